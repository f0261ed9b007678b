#include "help/VelmoricRTFUtil.h"

#include <climits>
#include <memory>

#include "platform/rtl/Streams.h"
#include "platform/vcl/RichEdit.h"
#include "project/VelmoricProjectSettings.h"
#include "trace/traceletVelmoric.h"

const char* const RTFTagNames[7] = {"Document title", "Description region", "Unit title", "Class title",
                                    "Member title",   "Property window",    "Standard text"};

TStringList* rtfCommands = nullptr;

void AddRTFCommand(TRTFCommand* Command) {
  TTraceProc Trace("AddRTFCommand");
  rtfCommands->AddObject(LowerCase(Command->CommandName()), Command);
}

namespace {

// Fills the handler registry at start-up and frees it at the end.
struct TRTFCommandsUnit {
  TRTFCommandsUnit() {
    rtfCommands = new TStringList;
    AddRTFCommand(new TRTFStylesheet);
    AddRTFCommand(new TRTFFonttable);
  }
  ~TRTFCommandsUnit() {
    for (int I = 0; I < rtfCommands->Count(); ++I) delete rtfCommands->Objects(I);
    delete rtfCommands;
    rtfCommands = nullptr;
  }
} RTFCommandsUnit;

void TraceWrite(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

bool IsBlank(char C) { return C == ' '; }
bool IsLineEnd(char C) { return C == '\r' || C == '\n'; }

// The first "<" splits a link or heading into its text and its target.
bool SplitAtLess(const std::string& S, std::string& Before, std::string& After) {
  const size_t P = S.find('<');
  if (P == std::string::npos) return false;
  Before = S.substr(0, P);
  After = S.substr(P + 1);
  return true;
}

// "/link[text<target]" -> "{\uldb {text}}{\v target}", every link of the
// line up to the first one without "<" (or without "]").
std::string ConvertLinks(const std::string& Line) {
  std::string Out = Line;
  size_t From = 0;
  for (;;) {
    const size_t Start = Out.find("/link[", From);
    if (Start == std::string::npos) break;
    const size_t End = Out.find(']', Start + 6);
    if (End == std::string::npos) break;
    std::string Text, Target;
    if (!SplitAtLess(Out.substr(Start + 6, End - Start - 6), Text, Target)) break;
    const std::string Hotspot = "{\\uldb {" + Text + "}}{\\v " + Target + "}";
    Out.replace(Start, End - Start + 1, Hotspot);
    From = Start + Hotspot.size();
  }
  return Out;
}

void RemoveAll(std::string& S, const std::string& What) {
  for (size_t P; (P = S.find(What)) != std::string::npos;) S.erase(P, What.size());
}

std::string ContextOf(const std::string& S) {
  std::string C = S;
  for (char& Ch : C)
    if (!((Ch >= '0' && Ch <= '9') || (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z'))) Ch = '_';
  return C;
}

}  // namespace

// --------------------------------------------------------------- handlers

void TRTFFonttable::process(TVelmoricRTF& RTF) {
  TTraceProc Trace("TRTFFonttable.process");
  const int GroupDepth = RTF.Depth;
  const bool Keep = RTF.KeepDigits;
  RTF.KeepDigits = true;
  int Number = -1;
  std::string Name;
  while (RTF.GetNextWord() && RTF.Depth >= GroupDepth) {
    if (RTF.IsControl) {
      std::string Letters;
      int N = 0;
      RTF.GetParameter(Letters, N);
      if (Letters == "f") Number = N;
    } else if (RTF.Word == ";") {
      if (Number >= 0) RTF.Fonts.SetValue(IntToStr(Number), Trim(Name));
      Name.clear();
    } else if (RTF.Word != "{" && RTF.Word != "}") {
      Name += RTF.Word + RTF.Blanks;
    }
  }
  RTF.KeepDigits = Keep;
}

void TRTFStylesheet::process(TVelmoricRTF& RTF) {
  TTraceProc Trace("TRTFStylesheet.process");
  const int GroupDepth = RTF.Depth;
  const bool Keep = RTF.KeepDigits;
  RTF.KeepDigits = false;
  while (RTF.GetNextWord() && RTF.Depth >= GroupDepth)
    if (RTF.Word == "{") RTF.ReadStyleEntry();
  RTF.KeepDigits = Keep;
}

// ----------------------------------------------------------------- reader

TVelmoricRTF::TVelmoricRTF() = default;

TVelmoricRTF::~TVelmoricRTF() { ClearSheets(); }

void TVelmoricRTF::ClearSheets() {
  for (int I = 0; I < FStyleSheets.Count(); ++I) delete FStyleSheets.Objects(I);
  FStyleSheets.Clear();
}

void TVelmoricRTF::PutText(const std::string& AText) {
  TTraceProc Trace("TVelmoricRTF.PutText");
  Text = AText;
  TextLength = static_cast<int>(Text.size());
  ReadPos = 1;
  Depth = 0;
}

void TVelmoricRTF::ReadFromFile(const std::string& Name) {
  TTraceProc Trace([&] { return "TVelmoricRTF.ReadFromFile(" + Name + ")"; });
  ClearSheets();
  Fonts.Clear();
  if (!FileExists(Name)) {
    FileName.clear();
    Lines.Clear();
    PutText("");
    return;
  }
  FileName = Name;
  Lines.LoadFromFile(Name);
  PutText(Lines.GetText());
  LoadParameters();
}

bool TVelmoricRTF::GetNextWord() {
  Word.clear();
  Blanks.clear();
  IsControl = false;
  while (ReadPos <= TextLength && (IsBlank(Text[ReadPos - 1]) || IsLineEnd(Text[ReadPos - 1]))) ++ReadPos;
  if (ReadPos > TextLength) return false;
  const char C = Text[ReadPos - 1];
  if (C == ';' || C == '{' || C == '}') {
    Word = C;
    ++ReadPos;
    if (C == '{') ++Depth;
    if (C == '}') --Depth;
  } else if (C == '\\') {
    ++ReadPos;
    while (ReadPos <= TextLength) {
      const char D = Text[ReadPos - 1];
      if (IsLineEnd(D) || IsBlank(D) || D == '\\' || D == '{' || D == '}') break;
      if (!KeepDigits && D >= '0' && D <= '9') break;
      Word += D;
      ++ReadPos;
    }
    Word = LowerCase(Word);
    IsControl = true;
  } else {
    while (ReadPos <= TextLength) {
      const char D = Text[ReadPos - 1];
      if (IsLineEnd(D) || IsBlank(D) || D == ';' || D == '\\' || D == '{' || D == '}') break;
      Word += D;
      ++ReadPos;
    }
  }
  while (ReadPos <= TextLength && IsBlank(Text[ReadPos - 1])) {
    Blanks += ' ';
    ++ReadPos;
  }
  return true;
}

void TVelmoricRTF::GetParameter(std::string& Name, int& Number) const {
  Name.clear();
  long long N = 0;
  for (char C : Word) {
    if (C >= '0' && C <= '9') {
      if (N < INT_MAX) N = N * 10 + (C - '0');
    } else {
      Name += C;
    }
  }
  Number = static_cast<int>(std::min<long long>(N, INT_MAX));
}

void TVelmoricRTF::ReadStylesheets() {
  TTraceProc Trace("TVelmoricRTF.ReadStylesheets");
  const int StartDepth = Depth;
  bool Found = false;
  while (GetNextWord()) {
    if (IsControl && Word == "stylesheet" && Depth >= StartDepth) {
      Found = true;
      break;
    }
  }
  if (Found) {
    const int SheetDepth = Depth;
    while (GetNextWord() && Depth >= SheetDepth)
      if (Word == "{") ReadStyleEntry();
  }
  LoadParameters();
}

void TVelmoricRTF::ReadStyleEntry() {
  TTraceProc Trace("TVelmoricRTF.ReadStyleEntry");
  const int EntryDepth = Depth;
  auto Sheet = std::make_unique<TStyleSheet>();
  // The style's own control word and its number: "\s" and "1".
  for (int Part = 0; Part < 2; ++Part) {
    if (!GetNextWord()) return;
    if (Word == "}" || Word == "{" || Word == ";") {
      if (Depth < EntryDepth) return;
      break;
    }
    Sheet->Control += (IsControl ? Prefix : std::string()) + Word;
  }
  KeepDigits = true;
  while (Depth >= EntryDepth && GetNextWord() && Depth >= EntryDepth) {
    if (Word == "{" || Word == "}") continue;
    if (!IsControl) {
      if (Word != ";") Sheet->StyleName += Word + Blanks;
      continue;
    }
    std::string Name;
    int Number = 0;
    GetParameter(Name, Number);
    if (Name == "sbasedon") {
      Sheet->BasedOn = "\\sbasedon" + IntToStr(Number);
      Sheet->BasedOnNumber = Number;
    } else if (Name == "snext") {
      Sheet->Next = "\\snext" + IntToStr(Number);
      Sheet->NextNumber = Number;
    } else {
      Sheet->Format += Prefix + Word + Blanks;
    }
  }
  KeepDigits = false;
  const int Index = FStyleSheets.IndexOf(Sheet->StyleName);
  if (Index >= 0) {
    TStyleSheet* Old = static_cast<TStyleSheet*>(FStyleSheets.Objects(Index));
    Sheet->UsedFor = Old->UsedFor;
    *Old = *Sheet;
  } else {
    const std::string Name = Sheet->StyleName;
    FStyleSheets.AddObject(Name, Sheet.release());
  }
}

void TVelmoricRTF::preprocess() {
  TTraceProc Trace("TVelmoricRTF.preprocess");
  ReadPos = 1;
  Depth = 0;
  while (GetNextWord()) {
    if (!IsControl) continue;
    const int I = rtfCommands ? rtfCommands->IndexOf(Word) : -1;
    if (I >= 0) static_cast<TRTFCommand*>(rtfCommands->Objects(I))->process(*this);
  }
  Processed = true;
}

TStyleSheet* TVelmoricRTF::GetSheet(int Index) const {
  return static_cast<TStyleSheet*>(FStyleSheets.Objects(Index));
}

TStyleSheet* TVelmoricRTF::GetSheetByName(const std::string& Name) const {
  const int I = FStyleSheets.IndexOf(Name);
  return I >= 0 ? GetSheet(I) : nullptr;
}

TStyleSheet* TVelmoricRTF::FindSheetFormat(const std::string& TagName) const {
  for (int I = 0; I < GetSheetCount(); ++I)
    if (GetSheet(I)->UsedFor == TagName) return GetSheet(I);
  return nullptr;
}

void TVelmoricRTF::LoadParameters() {
  TTraceProc Trace("TVelmoricRTF.LoadParameters");
  if (FileName.empty() || !FileExists(ParameterFileName())) return;
  TStringList Pairs;
  Pairs.LoadFromFile(ParameterFileName());
  for (int I = 0; I + 1 < Pairs.Count(); I += 2)
    if (TStyleSheet* Sheet = GetSheetByName(Pairs[I])) Sheet->UsedFor = Pairs[I + 1];
}

void TVelmoricRTF::SaveParameters() {
  TTraceProc Trace("TVelmoricRTF.SaveParameters");
  if (FileName.empty()) return;
  TStringList Pairs;
  for (int I = 0; I < GetSheetCount(); ++I) {
    Pairs.Add(GetSheet(I)->StyleName);
    Pairs.Add(GetSheet(I)->UsedFor);
  }
  Pairs.SaveToFile(ParameterFileName());
}

int TVelmoricRTF::GetTagID(const std::string& Name) {
  for (int I = 0; I < 7; ++I)
    if (Name == RTFTagNames[I]) return I;
  return RTFNoTag;
}

std::string TVelmoricRTF::GetSpecialTag(int Index) {
  if (Index < 0 || Index >= 7) return "</>";
  return std::string("</") + RTFTagNames[Index] + ">";
}

void TVelmoricRTF::CopyStart(TStrings& Out) {
  TTraceProc Trace("TVelmoricRTF.CopyStart");
  KeepDigits = true;
  ReadPos = 1;
  Depth = 0;
  while (GetNextWord())
    if (IsControl && Word == "par") break;
  KeepDigits = false;
  TStringList Start;
  Start.SetText(Copy(Text, 1, ReadPos - 1));
  Out.AddStrings(Start);
}

void TVelmoricRTF::CopyLinesToControl(TStrings& Source, TRichEdit& RichEdit) {
  TTraceProc Trace("TVelmoricRTF.CopyLinesToControl");
  TStringStream Stream(Source.GetText());
  RichEdit.Lines()->LoadFromStream(Stream);
}

std::string TVelmoricRTF::RawFileName(const std::string& AFileName) const {
  const std::string Dir = !VelmoricPath.empty() ? VelmoricPath : ExtractFilePath(AFileName);
  return Dir + "raw.rtf";
}

void TVelmoricRTF::SaveFileWithPostProcess(TRichEdit& Source, const std::string& AFileName, bool MakeHelp) {
  TStringList L;
  L.SetText(Source.RtfText());
  SaveFileWithPostProcess(L, AFileName, MakeHelp);
}

void TVelmoricRTF::SaveFileWithPostProcess(TStrings& Source, const std::string& AFileName, bool MakeHelp) {
  TTraceProc Trace([&] { return "TVelmoricRTF.SaveFileWithPostProcess(" + AFileName + ")"; });
  TStyleSheet* Standard = FindSheetFormat(RTFTagNames[6]);
  const std::string StandardText =
      Standard ? "\\par\\pard\\plain " + Standard->Control + Standard->Format : std::string("\\par\\pard\\plain");

  // The unprocessed copy is a help for whoever checks the result: best effort.
  try {
    Source.SaveToFile(RawFileName(AFileName));
  } catch (const Exception& E) {
    TraceWrite("raw.rtf not written: " + E.Message());
  }

  TStringList L;
  L.Assign(Source);
  bool TitleRegion = false;
  for (int I = 0; I < L.Count(); ++I) {
    std::string Line = ConvertLinks(L[I]);
    if (TitleRegion) RemoveAll(Line, "\\par\\pard");
    L.Put(I, Line);

    const size_t Open = Line.find("</");
    const size_t Close = Open == std::string::npos ? std::string::npos : Line.find('>', Open + 2);
    if (Close == std::string::npos) continue;
    const std::string TagName = Line.substr(Open + 2, Close - Open - 2);

    // The heading is the text of the next line.
    std::string Heading;
    if (I + 1 < L.Count()) {
      TVelmoricRTF Reader;
      Reader.KeepDigits = true;
      Reader.PutText(L[I + 1]);
      while (Reader.GetNextWord())
        if (!Reader.IsControl && Reader.Word != "{" && Reader.Word != "}") Heading += Reader.Word + Reader.Blanks;
      Heading = Trim(Heading);
    }
    std::string Title = Heading, Context = Heading;
    SplitAtLess(Heading, Title, Context);

    const int Tag = GetTagID(TagName);
    if (MakeHelp) {
      if (Tag == 2 || Tag == 3 || Tag == 4) {
        const size_t Dot = Title.rfind('.');
        const std::string Keyword = Dot == std::string::npos ? Title : Title.substr(Dot + 1);
        L.Insert(I++, "\\par\\page");
        L.Insert(I++, "{\\up $}{\\footnote $ " + Title + "}");
        L.Insert(I++, "{\\up #}{\\footnote # " + ContextOf(Context) + "}");
        L.Insert(I++, "{\\up K}{\\footnote K " + Keyword + "}");
        L.Insert(I++, "\\keepn");
        TitleRegion = true;
      } else if (Tag == 1) {
        TitleRegion = false;
        L.Insert(I++, "\\par\\pard");
      }
    }
    if (TStyleSheet* Sheet = FindSheetFormat(TagName)) {
      L.Put(I, "\\par " + Sheet->Control + Sheet->Format + " " + Title);
      if (I + 1 < L.Count()) L.Put(I + 1, StandardText);
    } else {
      TraceWrite(" tag " + TagName + " nicht gefunden");
    }
  }

  // The template's preamble takes the place of the document's own.
  int Preamble = -1;
  for (int I = 0; I < L.Count(); ++I)
    if (L[I].rfind("\\deflang", 0) == 0) {
      Preamble = I;
      break;
    }
  if (Preamble >= 0 && TextLength > 0) {
    for (int I = 0; I <= Preamble; ++I) L.Delete(0);
    TStringList Start;
    CopyStart(Start);
    for (int I = Start.Count() - 1; I >= 0; --I) L.Insert(0, Start[I]);
  }
  L.SaveToFile(AFileName);
}
