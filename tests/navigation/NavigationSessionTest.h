// A session of the in-process IDE with the expert loaded on the three-unit
// zoo project: message boxes, beeps and modal dialogs are answered by the
// test, trace lines can be read back from a log file.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NavigationTestUtil.h"
#include "browsers/VelmoricSourceExplorer.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "ide/VelmoricWizard.h"
#include "platform/vcl/Forms.h"
#include "trace/traceletVelmoric.h"

namespace navtest {

class NavigationSessionTest : public testing::Test {
 protected:
  void SetUp() override {
    VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
      Boxes.push_back(R.Text);
      return int(mrOk);
    };
    VclHost().Beep = [this](uint32_t) { ++Beeps; };
    VclHost().ShowModal = [this](TCustomForm& Form) {
      ++ModalShown;
      return Modal ? Modal(Form) : int(mrCancel);
    };
    BaseFile = Dir.Write("Base.pas", BaseUnit);
    MidFile = Dir.Write("Mid.pas", MidUnit);
    ZooFile = Dir.Write("Zoo.pas", ZooUnit);
    ProgramFile = Dir.Write("ZooApp.dpr", ZooProgram);
    Session = std::make_unique<TExpertSession>();
  }

  void TearDown() override {
    Session->ReleaseExpert();
    Screen->OnActiveFormChange = nullptr;
    Session.reset();
    if (tracelet) tracelet->CloseLogfile();
    VclHost() = TVclHost();
  }

  // Opens the program as the IDE project and Zoo.pas in an editor, loads the
  // expert and presses the explorer's compile button.
  void StartOnProject() {
    Session->OpenProject(ProgramFile);
    Session->OpenFile(ZooFile);
    Session->RegisterExpert();
    FormSourceExplorer()->SpeedButtonCompileClick(nullptr);
  }

  TMemoryIDE& IDE() { return Session->IDE(); }
  TVelmoricWizard* Expert() { return Session->Expert(); }

  // The cursor of File on the line holding Needle (at or after the line
  // holding After), at Needle's first character plus Offset; the file's
  // window comes to the front.
  void CursorAt(const std::string& File, const std::string& Text, const std::string& Needle,
                int Offset = 0, const std::string& After = "") {
    const int Line = LineOf(Text, Needle, After.empty() ? 1 : LineOf(Text, After));
    ASSERT_GT(Line, 0) << Needle;
    Session->SetCursor(File, Line, ColOf(Text, Line, Needle) + Offset);
  }

  // The current file and its cursor line.
  std::string Where() {
    const std::string File = IDE().GetCurrentFile();
    return ExtractFileName(File) + ":" + IntToStr(IDE().Buffer(File).Cursor.Line);
  }

  std::string CaptionOf(const std::string& File) { return IDE().EditWindow(File)->Caption; }

  // From here on trace lines go to a log file.
  void StartTraceLog() {
    tracelet->CloseLogfile();
    tracelet->SetLogfile(Dir.File("trace.log"));
  }
  // The logged lines of one stream, without the stream name.
  std::vector<std::string> TraceLines(const std::string& Stream) {
    std::vector<std::string> Lines;
    const std::string Text = ReadFileBytes(Dir.File("trace.log"));
    size_t Start = 0;
    while (Start < Text.size()) {
      size_t End = Text.find("\r\n", Start);
      if (End == std::string::npos) End = Text.size();
      const std::string Line = Text.substr(Start, End - Start);
      if (Line.compare(0, Stream.size() + 1, Stream + ":") == 0)
        Lines.push_back(Line.substr(Stream.size() + 1));
      Start = End + 2;
    }
    return Lines;
  }
  int CountTrace(const std::string& Stream, const std::string& Text) {
    int N = 0;
    for (const std::string& L : TraceLines(Stream)) N += L == Text;
    return N;
  }

  ScratchDir Dir;
  ScratchSettings Settings{Dir};
  std::unique_ptr<TExpertSession> Session;
  std::string BaseFile, MidFile, ZooFile, ProgramFile;
  std::vector<std::string> Boxes;
  int Beeps = 0;
  int ModalShown = 0;
  std::function<int(TCustomForm&)> Modal;
};

}  // namespace navtest
