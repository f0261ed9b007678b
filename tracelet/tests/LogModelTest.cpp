#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/LogModel.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string Payload(const std::string& Stream, const std::string& Text) {
  return std::string(1, static_cast<char>(Stream.size())) + Stream + Text;
}

std::vector<std::string> Listed(const TLogModel& M) {
  std::vector<std::string> Lines;
  for (int I = 0; I < M.LineCount(); ++I) Lines.emplace_back(M.LineText(I));
  return Lines;
}

std::string Markers(const TLogModel& M) {
  std::string S;
  for (int I = 0; I < M.LineCount(); ++I) S += "+- "[M.ViewEntry(I).Marker];
  return S;
}

std::string TempPath(const std::string& Name) {
  return testing::TempDir() + "tracelet-" + std::to_string(::getpid()) + "-" + Name;
}

}  // namespace

TEST(LogModel, StartsWithThreeShownStreamsAndAnEmptyStore) {
  TLogModel M;
  ASSERT_EQ(M.StreamCount(), 3);
  EXPECT_EQ(M.Stream(0).Name, "null");
  EXPECT_EQ(M.Stream(1).Name, "stdOut");
  EXPECT_EQ(M.Stream(2).Name, "stdError");
  for (int S = 0; S < 3; ++S) EXPECT_TRUE(M.Stream(S).Shown);
  EXPECT_EQ(M.LineCount(), 0);
  EXPECT_EQ(M.TopLine(), 0);
  EXPECT_EQ(M.LeftOffset(), 5);
  EXPECT_EQ(M.WritePos(), 0);
  EXPECT_EQ(M.Used() + M.Free(), 500000);
  EXPECT_EQ(M.Store()[0], 0);
}

TEST(LogModel, RecordsAreStreamByteTextAndZeroFollowedByTheEndMarker) {
  TLogModel M;
  EXPECT_EQ(M.StoreLine("hello", "stdOut"), 0);
  EXPECT_EQ(M.StoreLine("x", "stdError"), 1);
  ASSERT_EQ(M.WritePos(), 7 + 3);
  const uint8_t* S = M.Store();
  EXPECT_EQ(S[0], 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(S + 1), 5), "hello");
  EXPECT_EQ(S[6], 0);
  EXPECT_EQ(S[7], 2);
  EXPECT_EQ(S[8], 'x');
  EXPECT_EQ(S[9], 0);
  EXPECT_EQ(S[10], 0);  // end of the records
  EXPECT_EQ(M.RecordCount(), 2);
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"hello", "x"}));
}

TEST(LogModel, NewStreamsAreStoredHiddenUntilShown) {
  TLogModel M;
  M.StoreLine("A", "stdOut");
  EXPECT_EQ(M.StoreLine("->Proc", "velmoric.trace"), -1);
  EXPECT_EQ(M.FindStream("velmoric.trace"), 3);
  EXPECT_FALSE(M.Stream(3).Shown);
  EXPECT_EQ(M.RecordCount(), 2);
  EXPECT_EQ(Listed(M), std::vector<std::string>{"A"});
  M.ToggleStream(3);
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"A", "->Proc"}));
  // Names are compared exactly: another case is another stream.
  M.StoreLine("b", "STDOUT");
  EXPECT_EQ(M.FindStream("STDOUT"), 4);
}

TEST(LogModel, NullStreamIsLoggedButNotStoredNorRegisteredAgain) {
  std::string Log = TempPath("null.log");
  TLogModel M;
  ASSERT_TRUE(M.OpenLogFile(Log));
  EXPECT_EQ(M.StoreLine("gone", "null"), -1);
  EXPECT_EQ(M.ReceiveLine(Payload("null", "gone too"), true).Line, -1);
  M.CloseLogFile();
  EXPECT_EQ(M.WritePos(), 0);
  EXPECT_EQ(M.StreamCount(), 3);
  EXPECT_EQ(ReadFileBytes(Log), "null    |gone\nnull    |gone too\n");
  std::remove(Log.c_str());
}

TEST(LogModel, FullStreamTableLogsLinesOfFurtherStreamsWithoutStoringThem) {
  std::string Log = TempPath("full.log");
  TLogModel M;
  for (int I = 3; I < kStreamSlots; ++I) EXPECT_EQ(M.RegisterStream("s" + std::to_string(I)), I);
  EXPECT_EQ(M.StreamCount(), 127);
  ASSERT_TRUE(M.OpenLogFile(Log));
  EXPECT_EQ(M.StoreLine("lost", "one.too.many"), -1);
  M.StoreLine("kept", "s126");
  M.CloseLogFile();
  EXPECT_EQ(M.RecordCount(), 1);
  EXPECT_EQ(M.FindStream("one.too.many"), -1);
  EXPECT_EQ(ReadFileBytes(Log), "one.too.many|lost\ns126    |kept\n");
  std::remove(Log.c_str());
}

TEST(LogModel, PayloadsAreTakenApartAndUnreadableOnesAreNotLines) {
  TLogModel M;
  std::string Fourteen = "velmoric.debug";
  ASSERT_EQ(Payload(Fourteen, "t")[0], 14);
  EXPECT_TRUE(M.ReceiveLine(Payload(Fourteen, "t"), true).Taken);
  EXPECT_EQ(M.FindStream(Fourteen), 3);

  // A length byte of 128 or more is negative as a signed byte.
  std::string Long(128, 's');
  EXPECT_FALSE(M.ReceiveLine(std::string(1, static_cast<char>(128)) + Long + "text", true).Taken);
  EXPECT_FALSE(M.ReceiveLine(std::string(1, static_cast<char>(0xFF)) + "x", true).Taken);
  // A name running past the payload, a name holding a 0, an empty payload.
  EXPECT_FALSE(M.ReceiveLine(std::string(1, 20) + "short", true).Taken);
  EXPECT_FALSE(M.ReceiveLine(std::string("\3a\0b", 4) + "text", true).Taken);
  EXPECT_FALSE(M.ReceiveLine("", true).Taken);
  // More than an atom holds.
  EXPECT_FALSE(M.ReceiveLine(Payload("stdOut", std::string(249, 'x')), true).Taken);
  EXPECT_EQ(M.RecordCount(), 1);
  EXPECT_EQ(M.StreamCount(), 4);

  // The text ends at a 0 byte; an empty text is a line.
  EXPECT_TRUE(M.ReceiveLine(Payload("stdOut", std::string("ab\0cd", 5)), true).Taken);
  EXPECT_TRUE(M.ReceiveLine(Payload("stdOut", ""), true).Taken);
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"ab", ""}));
}

TEST(LogModel, CopiedLinesAreCutToTheRecordBufferAndNotCounted) {
  TLogModel M;
  std::string Text(1000, 'c');
  TReceived R = M.ReceiveLine(Payload("stdOut", Text) + '\0', false);
  ASSERT_TRUE(R.Taken);
  EXPECT_EQ(M.LineText(R.Line), std::string(254, 'c'));
  EXPECT_EQ(M.WritePos(), 256);
  EXPECT_EQ(M.EventCount(), 0);
  M.ReceiveLine(Payload("stdOut", "by atom"), true);
  M.ReceiveLine(std::string(1, static_cast<char>(200)), true);  // unreadable, still an event
  EXPECT_EQ(M.EventCount(), 2);
}

TEST(LogModel, RegisterMessageTakesTheFirstTenCharacters) {
  TLogModel M;
  M.RegisterMessage("abcdefghijklmnop");
  EXPECT_EQ(M.FindStream("abcdefghij"), 3);
  EXPECT_FALSE(M.Stream(3).Shown);
  M.RegisterMessage("abcdefghij-again");
  M.RegisterMessage("stdOut");
  M.RegisterMessage("");
  EXPECT_EQ(M.StreamCount(), 4);
  EXPECT_EQ(M.Answer("what?"), "");
}

TEST(LogModel, FullStoreDropsTheOldestRecordsAndKeepsTheTopLine) {
  TLogModel M;
  std::string Text(98, 'x');  // records of 100 bytes
  for (int I = 0; I < 5000; ++I) M.StoreLine(Format("%.4d", I) + Text.substr(4), "stdOut");
  ASSERT_EQ(M.WritePos(), 500000);
  M.SetTopLine(200);
  EXPECT_EQ(M.LineText(200).substr(0, 4), "0200");

  M.StoreLine("new", "stdOut");
  // 10000 bytes make 100 records; the new one follows the rest.
  EXPECT_EQ(M.WritePos(), 490000 + 5);
  EXPECT_EQ(M.RecordCount(), 4901);
  EXPECT_EQ(M.LineText(0).substr(0, 4), "0100");
  EXPECT_EQ(M.LineText(M.LineCount() - 1), "new");
  EXPECT_EQ(M.LineText(M.TopLine()).substr(0, 4), "0200");
  EXPECT_EQ(M.Used() + M.Free(), 500000);
  for (int P = M.WritePos(); P < kStoreSize; ++P) ASSERT_EQ(M.Store()[P], 0) << P;
}

TEST(LogModel, MoreListedLinesThanTheViewHoldsKeepTheNewest) {
  TLogModel M;
  for (int I = 0; I < 30000; ++I) M.StoreLine(std::to_string(I), "stdOut");
  EXPECT_LE(M.LineCount(), kViewSize);
  EXPECT_EQ(M.LineText(M.LineCount() - 1), "29999");
  EXPECT_EQ(M.RecordCount(), 30000);
  M.RebuildView();
  EXPECT_EQ(M.LineCount(), kViewSize);
  EXPECT_EQ(M.LineText(0), "10000");
  EXPECT_EQ(M.LineText(kViewSize - 1), "29999");
  // Shown again after being hidden: still no more than the view holds.
  M.ToggleStream(1);
  EXPECT_EQ(M.LineCount(), 0);
  M.ToggleStream(1);
  EXPECT_EQ(M.LineCount(), kViewSize);
  M.StoreLine("30000", "stdOut");
  EXPECT_EQ(M.LineText(M.LineCount() - 1), "30000");
}

TEST(LogModel, HiddenRecordsMarkTheLineAboveAndUnfoldUnderIt) {
  TLogModel M;
  M.StoreLine("A", "stdOut");
  M.StoreLine("t1", "trace");
  M.StoreLine("t2", "trace");
  M.StoreLine("B", "stdOut");
  M.RebuildView();
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Markers(M), "+ ");

  M.Unfold(0);
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"A", "t1", "t2", "B"}));
  EXPECT_EQ(Markers(M), "-   ");
  EXPECT_TRUE(M.Store()[3] & kUnfoldMark);

  M.Unfold(0);  // a second double click folds them away again
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Markers(M), "+ ");
}

TEST(LogModel, UnfoldTakesTheFirstRecordsPatternUpToTheNextLineOfTheStream) {
  TLogModel M;
  M.StoreLine("A", "stdOut");
  M.StoreLine("x1", "x");
  M.StoreLine("y1", "y");
  M.StoreLine("x2", "x");
  M.StoreLine("B", "stdOut");
  M.StoreLine("x3", "x");
  M.Unfold(0);
  // x1 sets the pattern; y1 differs; x3 lies past the next stdOut line.
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"A", "x1", "x2", "B"}));
  EXPECT_EQ(Markers(M), "-+ +");

  // A listed line followed directly by a line of its own stream: nothing to unfold.
  TLogModel N;
  N.StoreLine("A", "stdOut");
  N.StoreLine("B", "stdOut");
  N.StoreLine("h", "hidden");
  N.Unfold(0);
  EXPECT_EQ(Listed(N), (std::vector<std::string>{"A", "B"}));
  N.Unfold(1);
  EXPECT_EQ(Listed(N), (std::vector<std::string>{"A", "B", "h"}));
  N.Unfold(-1);
  N.Unfold(99);
  EXPECT_EQ(N.LineCount(), 3);
}

TEST(LogModel, CollapseAndExpandLeaveTheFirstThreeStreams) {
  TLogModel M;
  M.StoreLine("o", "stdOut");
  M.StoreLine("e", "stdError");
  M.StoreLine("a", "a");
  M.StoreLine("b", "b");
  M.ToggleStream(2);  // stdError hidden
  M.ToggleStream(3);  // "a" shown
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"o", "a"}));
  M.Expand();
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"o", "a", "b"}));
  EXPECT_FALSE(M.Stream(2).Shown);
  M.Collapse();
  EXPECT_EQ(Listed(M), std::vector<std::string>{"o"});
  EXPECT_TRUE(M.Stream(0).Shown);
  EXPECT_TRUE(M.Stream(1).Shown);
  EXPECT_FALSE(M.Stream(3).Shown);
  EXPECT_FALSE(M.Stream(4).Shown);
  M.ToggleStream(4);
  M.ToggleStream(50);  // no such stream
  EXPECT_EQ(Listed(M), (std::vector<std::string>{"o", "b"}));
}

TEST(LogModel, StreamDialogListsSortedTextAndOkShowsTheSelection) {
  TLogModel M;
  for (int I = 3; I <= 11; ++I) M.RegisterStream("s" + std::to_string(I));
  M.ToggleStream(10);
  std::vector<std::string> Texts;
  std::vector<bool> Selected;
  for (const auto& L : M.StreamDialogLines()) {
    Texts.push_back(L.Text);
    Selected.push_back(L.Selected);
  }
  EXPECT_EQ(Texts, (std::vector<std::string>{"0\tnull", "1\tstdOut", "10\ts10", "11\ts11",
                                              "2\tstdError", "3\ts3", "4\ts4", "5\ts5", "6\ts6",
                                              "7\ts7", "8\ts8", "9\ts9"}));
  EXPECT_EQ(Selected, (std::vector<bool>{true, true, true, false, true, false, false, false,
                                         false, false, false, false}));

  M.StoreLine("out", "stdOut");
  M.StoreLine("five", "s5");
  M.StreamDialogOk({"5\ts5", "2\tstdError", "no tab", "99\tunknown"});
  for (int S = 0; S < M.StreamCount(); ++S) EXPECT_EQ(M.Stream(S).Shown, S == 5 || S == 2) << S;
  EXPECT_EQ(Listed(M), std::vector<std::string>{"five"});
}

TEST(LogModel, ClearEmptiesStoreAndViewButKeepsStreamsAndEvents) {
  TLogModel M;
  M.ReceiveLine(Payload("stdOut", "one"), true);
  M.ReceiveLine(Payload("mine", "two"), true);
  M.SetTopLine(1);
  M.Clear();
  EXPECT_EQ(M.WritePos(), 0);
  EXPECT_EQ(M.LineCount(), 0);
  EXPECT_EQ(M.TopLine(), 0);
  EXPECT_EQ(M.Store()[0], 0);
  EXPECT_EQ(M.Store()[5], 0);
  EXPECT_EQ(M.StreamCount(), 4);
  EXPECT_EQ(M.EventCount(), 2);
  M.StoreLine("again", "stdOut");
  EXPECT_EQ(Listed(M), std::vector<std::string>{"again"});
}

TEST(LogModel, LogFileAndSaveWriteStreamPaddedToEightThenText) {
  EXPECT_EQ(TLogModel::LogLine("stdOut", "hi"), "stdOut  |hi\n");
  EXPECT_EQ(TLogModel::LogLine("velmoric.trace", "->X"), "velmoric.trace|->X\n");

  std::string Log = TempPath("log.txt");
  WriteFileBytes(Log, "old contents\n");
  TLogModel M;
  ASSERT_TRUE(M.OpenLogFile(Log));  // truncated
  M.StoreLine("a", "stdOut");
  M.StoreLine("b", "hidden");
  M.FlushLog();
  EXPECT_EQ(ReadFileBytes(Log), "stdOut  |a\nhidden  |b\n");
  M.CloseLogFile();
  M.StoreLine("c", "stdOut");
  EXPECT_EQ(ReadFileBytes(Log), "stdOut  |a\nhidden  |b\n");

  // Save writes every stored line, listed or not, and not the "null" ones.
  M.StoreLine("d", "null");
  std::string Saved = TempPath("saved.txt");
  std::string Error;
  ASSERT_TRUE(M.SaveToFile(Saved, &Error)) << Error;
  EXPECT_EQ(ReadFileBytes(Saved), "stdOut  |a\nhidden  |b\nstdOut  |c\n");

  EXPECT_FALSE(M.SaveToFile(TempPath("no/such/dir/x.txt"), &Error));
  EXPECT_NE(Error, "");
  EXPECT_FALSE(M.OpenLogFile(TempPath("no/such/dir/x.txt"), &Error));
  EXPECT_FALSE(M.LogOpen());
  std::remove(Log.c_str());
  std::remove(Saved.c_str());
}

TEST(LogModel, ANewLineIsDrawnInPlaceOrTheViewJumpsToAThird) {
  TLogModel M;
  M.SetMeasure([](std::string_view T) { return static_cast<int>(T.size()) * 7; });
  M.RebuildView();
  const int Rows = 10;
  for (int I = 0; I <= 8; ++I) {
    TReceived R = M.ReceiveLine(Payload("stdOut", std::string(I + 1, 'w')), true);
    EXPECT_EQ(M.ShowNewLine(R.Line, Rows), saDrawLine) << I;
  }
  EXPECT_EQ(M.MaxWidth(), 9 * 7);
  TReceived R = M.ReceiveLine(Payload("stdOut", "ten"), true);
  EXPECT_EQ(M.ShowNewLine(R.Line, Rows), saJump);
  EXPECT_EQ(M.TopLine(), 9 - Rows / 3);

  R = M.ReceiveLine(Payload("hidden", "h"), true);
  EXPECT_EQ(M.ShowNewLine(R.Line, Rows), saNone);

  // A rebuild while storing (the store was full) repaints everything.
  while (M.WritePos() + 242 <= kStoreSize) M.StoreLine(std::string(240, 'f'), "stdOut");
  R = M.ReceiveLine(Payload("stdOut", std::string(240, 'l')), true);
  EXPECT_TRUE(M.FullRepaint());
  EXPECT_EQ(M.ShowNewLine(R.Line, Rows), saRepaintAll);
}

TEST(LogModel, VerticalScrollingStaysWithinTheLines) {
  TLogModel M;
  for (int I = 0; I < 30; ++I) M.StoreLine("l", "stdOut");
  EXPECT_FALSE(M.LineUp());
  EXPECT_TRUE(M.LineDown());
  EXPECT_EQ(M.TopLine(), 1);
  EXPECT_TRUE(M.PageDown(20));
  EXPECT_EQ(M.TopLine(), 21);
  EXPECT_TRUE(M.PageDown(20));
  EXPECT_EQ(M.TopLine(), 30);
  EXPECT_FALSE(M.LineDown());
  EXPECT_TRUE(M.PageUp(25));
  EXPECT_EQ(M.TopLine(), 5);
  EXPECT_TRUE(M.PageUp(25));
  EXPECT_EQ(M.TopLine(), 0);
}

TEST(LogModel, HorizontalScrollingFollowsTheWidestLine) {
  TLogModel M;
  M.SetMeasure([](std::string_view T) { return static_cast<int>(T.size()); });
  M.StoreLine(std::string(1000, 'w'), "stdOut");
  M.RebuildView();
  ASSERT_EQ(M.MaxWidth(), 254);
  const int W = 100;
  M.LineRight(W);
  EXPECT_EQ(M.LeftOffset(), -5);
  M.PageRight(W);
  EXPECT_EQ(M.LeftOffset(), -105);
  M.PageRight(W);  // past the end: the line's end stands 5 pixels from the edge
  EXPECT_EQ(M.LeftOffset(), W - 254 - 5);
  M.LineLeft();
  EXPECT_EQ(M.LeftOffset(), -149);
  M.PageLeft(W);
  EXPECT_EQ(M.LeftOffset(), -49);
  M.PageLeft(W);
  EXPECT_EQ(M.LeftOffset(), 5);
  M.LineLeft();
  EXPECT_EQ(M.LeftOffset(), 5);
  M.PageRight(300);  // a window wider than the line
  EXPECT_EQ(M.LeftOffset(), 5);
}

TEST(LogModel, TheHorizontalOffsetStaysInTheRangeOfTheListedLines) {
  TLogModel M;
  M.SetMeasure([](std::string_view T) { return static_cast<int>(T.size()); });
  M.StoreLine(std::string(200, 'w'), "wide");
  M.StoreLine("short", "stdOut");
  M.ToggleStream(M.FindStream("wide"));
  ASSERT_EQ(M.MaxWidth(), 200);
  const int W = 100;
  M.PageRight(W);
  M.PageRight(W);
  ASSERT_EQ(M.LeftOffset(), W - 200 - 5);
  // Hiding the wide stream leaves nothing to scroll: the text starts at the left again.
  M.ToggleStream(M.FindStream("wide"));
  EXPECT_EQ(M.MaxWidth(), 5);
  EXPECT_EQ(M.LeftOffset(), 5);

  M.ToggleStream(M.FindStream("wide"));
  M.PageRight(W);
  M.PageRight(W);
  ASSERT_LT(M.LeftOffset(), 0);
  M.Clear();
  EXPECT_EQ(M.LeftOffset(), 5);

  // A narrower range keeps the offset but no further than the range's end.
  M.StoreLine(std::string(200, 'w'), "stdOut");
  M.RebuildView();
  M.PageRight(W);
  M.PageRight(W);
  ASSERT_EQ(M.LeftOffset(), -105);
  M.SetMeasure([](std::string_view T) { return static_cast<int>(T.size()) / 4; });
  M.RebuildView();
  EXPECT_EQ(M.MaxWidth(), 50);
  EXPECT_EQ(M.LeftOffset(), 5);  // the line fits the window now
  M.SetMeasure([](std::string_view T) { return static_cast<int>(T.size()) * 3 / 4; });
  M.RebuildView();
  EXPECT_EQ(M.MaxWidth(), 150);
  M.PageRight(W);
  M.PageRight(W);
  ASSERT_EQ(M.LeftOffset(), W - 150 - 5);
  // The window grows: the offset follows the range.
  M.SetClientWidth(140);
  EXPECT_EQ(M.LeftOffset(), 140 - 150 - 5);
  M.SetClientWidth(400);
  EXPECT_EQ(M.LeftOffset(), 5);
}

TEST(LogModel, MaxWidthCountsTabsToMultiplesOfEight) {
  TLogModel M;
  M.StoreLine("ab\tc", "stdOut");
  M.StoreLine("x", "stdOut");
  M.RebuildView();
  EXPECT_EQ(M.MaxWidth(), 9);
}

TEST(LogModel, ListedTextHoldsTheListedLines) {
  TLogModel M;
  M.StoreLine("one", "stdOut");
  M.StoreLine("hidden", "h");
  M.StoreLine("two", "stdError");
  EXPECT_EQ(M.ListedText(), "one\ntwo\n");
}
