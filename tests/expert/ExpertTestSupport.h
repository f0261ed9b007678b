// A test session of the in-process IDE with the expert: its own registry
// file and data directory, message boxes recorded instead of shown, trace
// lines readable from a log file, and the expert's settings restored
// afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "ide/VelmoricWizard.h"
#include "platform/registry/Registry.h"
#include "platform/vcl/Forms.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"
#include "trace/traceletVelmoric.h"


// Interfaces released at the end of the scope.
template <typename T>
struct TIntf {
  T* P;
  explicit TIntf(T* Ptr) : P(Ptr) {}
  ~TIntf() {
    if (P) P->Release();
  }
  TIntf(const TIntf&) = delete;
  TIntf& operator=(const TIntf&) = delete;
  T* operator->() const { return P; }
  explicit operator bool() const { return P != nullptr; }
};

// A unit with a class, a method and a unit-level procedure (1-based lines
// in the comments on the right are used by the tests).
inline const std::string Unit1Text =
    "unit Unit1;\n"                                    // 1
    "\n"                                               // 2
    "interface\n"                                      // 3
    "\n"                                               // 4
    "uses SysUtils;\n"                                 // 5
    "\n"                                               // 6
    "type\n"                                           // 7
    "  TForm1 = class\n"                               // 8
    "    procedure Button1Click(Sender: TObject);\n"   // 9
    "  end;\n"                                         // 10
    "\n"                                               // 11
    "implementation\n"                                 // 12
    "\n"                                               // 13
    "procedure TForm1.Button1Click(Sender: TObject);\n"  // 14
    "begin\n"                                          // 15
    "  Caption := 'x';\n"                              // 16
    "end;\n"                                           // 17
    "\n"                                               // 18
    "  procedure Helper;\n"                            // 19
    "  begin\n"                                        // 20
    "  end;\n"                                         // 21
    "\n"                                               // 22
    "end.\n";                                          // 23

class ExpertTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    SavedPath = VelmoricPath;
    SavedPasswords = DBPasswords;
    SavedSearchPath = AdditionalSearchPath;
    SavedQuick = gQuickRecompile;
    SavedUseDelphi = gUseDelphiPath;
    VelmoricPath = Dir.Path + "/";
    Installchecked = false;
    bFindTimer = true;
    fileRepository->Clear();
    VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
      Boxes.push_back(R);
      return int(mrOk);
    };
    Session = std::make_unique<TExpertSession>();
  }

  void TearDown() override {
    Session->ReleaseExpert();
    Screen->OnActiveFormChange = nullptr;
    Session.reset();
    if (tracelet) tracelet->CloseLogfile();
    VclHost() = TVclHost();
    fileRepository->Clear();
    VelmoricPath = SavedPath;
    DBPasswords = SavedPasswords;
    AdditionalSearchPath = SavedSearchPath;
    gQuickRecompile = SavedQuick;
    gUseDelphiPath = SavedUseDelphi;
    Installchecked = false;
  }

  TMemoryIDE& IDE() { return Session->IDE(); }
  TVelmoricWizard* Expert() { return Session->Expert(); }

  // Writes a registry value below "\SOFTWARE\HALVORN\Velmoric" + Sub.
  void RegString(const std::string& Sub, const std::string& Name, const std::string& Value) {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("\\SOFTWARE\\HALVORN\\Velmoric" + Sub, true));
    Reg.WriteString(Name, Value);
  }
  void RegInteger(const std::string& Sub, const std::string& Name, int Value) {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("\\SOFTWARE\\HALVORN\\Velmoric" + Sub, true));
    Reg.WriteInteger(Name, Value);
  }
  void CreateMenusKey() {
    TRegistry Reg;
    ASSERT_TRUE(Reg.CreateKey("\\SOFTWARE\\HALVORN\\Velmoric\\Menus"));
  }

  // Opens a file written into the scratch folder; returns its full name.
  std::string Open(const std::string& Name, const std::string& Text) {
    return Session->OpenFile(Dir.Write(Name, Text));
  }

  // From here on trace lines go to a log file (the expert's start-up
  // restarts the trace client, which ends file logging).
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

  // The message box texts shown so far.
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> Texts;
    for (const auto& B : Boxes) Texts.push_back(B.Text);
    return Texts;
  }

  TIMenuItemIntf* FindMenu(const std::string& Name) {
    TIntf<TIMainMenuIntf> Menu(ToolServices->GetMainMenu());
    return Menu->FindMenuItem(Name);
  }

  // The controls named Name directly on the form.
  static int CountControls(TWinControl* Form, const std::string& Name) {
    int N = 0;
    for (int I = 0; I < Form->ControlCount(); ++I)
      if (Form->Controls(I)->Name() == Name) ++N;
    return N;
  }

  TScratchDir Dir;
  std::unique_ptr<TExpertSession> Session;
  std::vector<TMessageBoxRequest> Boxes;

 private:
  std::string SavedPath, SavedPasswords, SavedSearchPath;
  bool SavedQuick = true, SavedUseDelphi = true;
};
