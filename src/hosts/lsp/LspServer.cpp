// The language server's lifecycle, dispatch, configuration and documents.
#include "hosts/lsp/LspServer.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <iostream>

#include "browsers/VelmoricSourceExplorer.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/lsp/LspModel.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricNavigation.h"
#include "ide/VelmoricWizard.h"
#include "platform/rtl/FileSearch.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"
#include "trace/traceletVelmoric.h"

namespace fs = std::filesystem;

namespace {

// Folders below a workspace folder that are searched for units, at most.
constexpr int MaxSearchFolders = 200;

std::string IdText(const json& Id) { return Id.dump(); }

std::string StringSetting(const json& S, const char* Name) {
  auto It = S.find(Name);
  if (It == S.end()) return {};
  if (It->is_string()) return It->get<std::string>();
  if (It->is_array()) {  // a list of folders
    std::string Joined;
    for (const json& E : *It)
      if (E.is_string()) Joined += (Joined.empty() ? "" : ";") + E.get<std::string>();
    return Joined;
  }
  return {};
}

bool IsProgramFile(const fs::path& P) {
  const std::string Ext = LowerCase(P.extension().string());
  return Ext == ".dpr" || Ext == ".lpr";
}

}  // namespace

TLspServer::TLspServer(TSender Send) : FSend(std::move(Send)), FSavedSearchPath(AdditionalSearchPath) {}

TLspServer::~TLspServer() {
  if (FSession) {
    FSession->ReleaseExpert();
    FSession.reset();
  }
  VclHost() = TVclHost();
  AdditionalSearchPath = FSavedSearchPath;
  if (!FRegistryDir.empty()) {
    std::error_code Ec;
    fs::remove_all(FRegistryDir, Ec);
    if (FHadRegistry) ::setenv("VELMORIC_REGISTRY", FSavedRegistry.c_str(), 1);
    else ::unsetenv("VELMORIC_REGISTRY");
  }
}

// ---------------------------------------------------------------- the loop

int TLspServer::Run(TLspInput& In) {
  TLspReader Reader(In);
  while (!FExited) {
    // Read what has arrived, at least one frame.
    std::deque<TLspFrame> Batch;
    do {
      TLspFrame F = Reader.Next();
      if (F.Kind == TLspFrame::End) break;
      Batch.push_back(std::move(F));
    } while (Reader.Ready() && Batch.size() < 256);
    if (Batch.empty()) break;  // the input ended
    std::vector<TLspIncoming> Messages;
    for (const TLspFrame& F : Batch) {
      if (F.Kind == TLspFrame::Error) {
        TLspIncoming Bad;
        Bad.ErrorCode = lspParseError;
        Bad.Error = F.Problem;
        Messages.push_back(Bad);
        continue;
      }
      Messages.push_back(ParseMessage(F.Body));
      const TLspIncoming& M = Messages.back();
      if (M.Kind == TLspIncoming::Notification && M.Method == "$/cancelRequest" &&
          M.Params.is_object() && M.Params.contains("id"))
        FCancelled.insert(IdText(M.Params["id"]));
    }
    for (const TLspIncoming& M : Messages) {
      if (FExited) break;
      Dispatch(M);
    }
    FCancelled.clear();
    if (!FExited) PublishDiagnostics();
  }
  return ExitCode();
}

void TLspServer::Receive(const std::string& Body) {
  Dispatch(ParseMessage(Body));
  if (!FExited) PublishDiagnostics();
}

void TLspServer::Send(const json& Message) { FSend(DumpJson(Message)); }

void TLspServer::Log(const std::string& Text) {
  std::cerr << "velmoric lsp: " << Text << std::endl;
  if (tracelet) tracelet->StrWrite("lsp", Text);
}

void TLspServer::Dispatch(const TLspIncoming& M) {
  switch (M.Kind) {
    case TLspIncoming::Invalid:
      if (M.ErrorCode == lspParseError && M.Id.is_null()) Log(M.Error);
      Send(ErrorMessage(M.Id, M.ErrorCode, M.Error));
      return;
    case TLspIncoming::Response:
      return;  // the server asks nothing of the client
    case TLspIncoming::Notification:
      try {
        Notification(M.Method, M.Params);
      } catch (const TLspError& E) {
        Log(M.Method + ": " + E.Message);
      } catch (const std::exception& E) {
        Log(M.Method + ": " + E.what());
      } catch (...) {
        Log(M.Method + " failed");
      }
      return;
    case TLspIncoming::Request:
      break;
  }
  if (FCancelled.erase(IdText(M.Id))) {
    Send(ErrorMessage(M.Id, lspRequestCancelled, "The request was cancelled"));
    return;
  }
  try {
    Send(ResponseMessage(M.Id, Request(M.Method, M.Params)));
  } catch (const TLspError& E) {
    Send(ErrorMessage(M.Id, E.Code, E.Message));
  } catch (const json::exception& E) {
    Send(ErrorMessage(M.Id, lspInvalidParams, std::string("Bad parameters: ") + E.what()));
  } catch (const std::exception& E) {
    Log(M.Method + " failed: " + E.what());
    Send(ErrorMessage(M.Id, lspRequestFailed, E.what()));
  } catch (...) {
    Log(M.Method + " failed");
    Send(ErrorMessage(M.Id, lspInternalError, M.Method + " failed"));
  }
}

json TLspServer::Request(const std::string& Method, const json& Params) {
  if (Method == "initialize") {
    if (FInitialized) throw TLspError{lspInvalidRequest, "initialize was already received"};
    return Initialize(Params);
  }
  if (!FInitialized) throw TLspError{lspServerNotInitialized, "The server is not initialized"};
  if (FShutdown) throw TLspError{lspInvalidRequest, "The server is shut down"};
  if (Method == "shutdown") {
    FShutdown = true;
    return nullptr;
  }
  const json& P = Params.is_null() ? json::object() : Params;
  if (!P.is_object()) throw TLspError{lspInvalidParams, Method + " takes an object"};
  if (Method == "textDocument/definition") return Definition(P);
  if (Method == "textDocument/declaration") return HeadingJump(P, true);
  if (Method == "textDocument/implementation") return HeadingJump(P, false);
  if (Method == "textDocument/documentSymbol") return DocumentSymbols(P);
  if (Method == "workspace/symbol") return WorkspaceSymbols(P);
  if (Method == "textDocument/completion") return Completion(P);
  if (Method == "textDocument/references") return References(P);
  if (Method == "textDocument/hover") return Hover(P);
  if (Method == "workspace/executeCommand") return ExecuteCommand(P);
  if (Method == "textDocument/codeAction") return CodeActions(P);
  if (Method == "codeAction/resolve") return ResolveCodeAction(P);
  throw TLspError{lspMethodNotFound, "Unknown method: " + Method};
}

void TLspServer::Notification(const std::string& Method, const json& Params) {
  if (Method == "exit") {
    FExited = true;
    return;
  }
  if (!FInitialized || FShutdown) return;
  const json& P = Params.is_object() ? Params : json::object();
  if (Method == "initialized") {
    CompileProject();
  } else if (Method == "textDocument/didOpen") {
    DidOpen(P);
  } else if (Method == "textDocument/didChange") {
    DidChange(P);
  } else if (Method == "textDocument/didSave") {
    DidSave(P);
  } else if (Method == "textDocument/didClose") {
    DidClose(P);
  } else if (Method == "workspace/didChangeConfiguration") {
    if (P.contains("settings")) ReadSettings(P["settings"]);
    ApplySettings();
  }
  // Other notifications ("$/cancelRequest" was seen when read, "$/..."
  // and the rest) need nothing.
}

// ---------------------------------------------------------- initialization

json TLspServer::Initialize(const json& Params) {
  const json& P = Params.is_object() ? Params : json::object();
  FRoots.clear();
  if (auto F = P.find("workspaceFolders"); F != P.end() && F->is_array()) {
    for (const json& W : *F)
      if (W.is_object() && W.contains("uri") && W["uri"].is_string())
        if (std::string Path = UriToPath(W["uri"]); !Path.empty()) FRoots.push_back(Path);
  }
  if (FRoots.empty()) {
    if (auto R = P.find("rootUri"); R != P.end() && R->is_string()) {
      if (std::string Path = UriToPath(*R); !Path.empty()) FRoots.push_back(Path);
    } else if (auto RP = P.find("rootPath"); RP != P.end() && RP->is_string() && !RP->empty()) {
      FRoots.push_back(RP->get<std::string>());
    }
  }
  if (auto O = P.find("initializationOptions"); O != P.end() && O->is_object()) ReadSettings(*O);
  // Code actions get their edits when chosen if the client can ask for them.
  FResolveEdits = false;
  try {
    const json Resolve = P.at(json::json_pointer("/capabilities/textDocument/codeAction/resolveSupport/properties"));
    FResolveEdits = Resolve.is_array() && std::find(Resolve.begin(), Resolve.end(), "edit") != Resolve.end();
  } catch (const json::exception&) {
    // not offered, or not as the protocol has it
  }

  FSession.reset();  // one in-process IDE at a time
  FSession = std::make_unique<TExpertSession>();
  FSession->SetDataDirectory(TExpertSession::DefaultDataDirectory());
  // The ambiguity dialog gives its symbols to the request that opened it;
  // every other form is cancelled, every message box logged.
  VclHost().ShowModal = [this](TCustomForm& Form) {
    if (FDialog) return FDialog(Form);
    if (auto* Dialog = dynamic_cast<TFormVelmoricAmbuingity*>(&Form)) {
      TStringList* Items = Dialog->ListBox1->Items();
      for (int I = 0; I < Items->Count(); ++I) {
        const auto* Sym = static_cast<const TOrvikSymbol*>(Items->Objects(I));
        if (Sym) FCandidates.push_back({SymbolFile(Sym), JumpLine(Sym), Sym->name});
      }
    }
    return int(mrCancel);
  };
  VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
    Log(R.Caption + ": " + R.Text);
    FLastMessage = R.Text;
    if (R.Buttons & MsgDlgButton(mbCancel)) return int(mrCancel);
    if (R.Buttons & MsgDlgButton(mbNo)) return int(mrNo);
    return int(mrOk);
  };
  VclHost().Beep = [](uint32_t) {};
  FSession->RegisterExpert();
  if (!FSession->Expert()) throw TLspError{lspRequestFailed, "The expert did not load"};
  FBaseSearchPath = AdditionalSearchPath;  // as the expert's settings have it
  ApplySettings();
  FInitialized = true;

  json Commands = json::array(
      {"velmoric.findPosition", "velmoric.clearMemory", "velmoric.hyperjump", "velmoric.compile"});
  return {
      {"capabilities",
       {{"positionEncoding", "utf-16"},
        {"textDocumentSync",
         {{"openClose", true}, {"change", 2}, {"save", {{"includeText", true}}}}},
        {"definitionProvider", true},
        {"declarationProvider", true},
        {"implementationProvider", true},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true},
        {"referencesProvider", true},
        {"hoverProvider", true},
        {"completionProvider", {{"triggerCharacters", {"."}}, {"resolveProvider", false}}},
        {"codeActionProvider",
         {{"codeActionKinds", {"quickfix", "refactor"}}, {"resolveProvider", true}}},
        {"executeCommandProvider", {{"commands", Commands}}}}},
      {"serverInfo", {{"name", "velmoric"}, {"version", VELMORIC_VERSION}}}};
}

void TLspServer::ReadSettings(const json& Settings) {
  if (!Settings.is_object()) return;
  const json& S = Settings.contains("velmoric") && Settings["velmoric"].is_object()
                      ? Settings["velmoric"]
                      : Settings;
  if (S.contains("searchPath")) FSettings.SearchPath = StringSetting(S, "searchPath");
  if (S.contains("libraryPath")) {
    FSettings.LibraryPath = StringSetting(S, "libraryPath");
    FSettings.HaveLibraryPath = true;
  }
  if (S.contains("projectFile")) FSettings.ProjectFile = StringSetting(S, "projectFile");
}

void TLspServer::UseRegistryCopy() {
  if (!FRegistryDir.empty()) return;
  std::string Templ = (fs::temp_directory_path() / "velmoric-lsp-XXXXXX").string();
  if (!::mkdtemp(Templ.data())) throw TLspError{lspRequestFailed, "Cannot make a folder for the settings"};
  FRegistryDir = Templ;
  const char* Old = std::getenv("VELMORIC_REGISTRY");
  FHadRegistry = Old != nullptr;
  if (Old) FSavedRegistry = Old;
  const std::string Copy = FRegistryDir + "/registry";
  // The settings the user has stay as they were; this session works on a copy.
  std::string Current;
  if (Old && *Old) Current = Old;
  else if (const char* Xdg = std::getenv("XDG_CONFIG_HOME"); Xdg && *Xdg)
    Current = std::string(Xdg) + "/velmoric/registry";
  else if (const char* Home = std::getenv("HOME"); Home && *Home)
    Current = std::string(Home) + "/.config/velmoric/registry";
  std::error_code Ec;
  if (!Current.empty() && fs::exists(Current, Ec)) fs::copy_file(Current, Copy, Ec);
  ::setenv("VELMORIC_REGISTRY", Copy.c_str(), 1);
}

std::string TLspServer::FindProjectFile() const {
  if (!FSettings.ProjectFile.empty()) {
    fs::path P = FSettings.ProjectFile;
    if (P.is_relative() && !FRoots.empty()) P = fs::path(FRoots.front()) / P;
    return P.lexically_normal().string();
  }
  for (const std::string& Root : FRoots) {
    std::vector<std::string> Found;
    std::error_code Ec;
    for (const auto& E : fs::directory_iterator(Root, Ec))
      if (E.is_regular_file(Ec) && IsProgramFile(E.path())) Found.push_back(E.path().string());
    std::sort(Found.begin(), Found.end());
    if (Found.size() > 1)
      const_cast<TLspServer*>(this)->Log("Several program files in " + Root + "; using " +
                                         Found.front() + " (set velmoric.projectFile to choose)");
    if (!Found.empty()) return Found.front();
  }
  return {};
}

void TLspServer::ApplySettings() {
  if (!FSession) return;
  // Units are searched in the library path, the expert's search path, the
  // configured folders, then the workspace folders and the folders below them.
  std::string Path = FBaseSearchPath;
  if (!FSettings.SearchPath.empty()) Path += (Path.empty() ? "" : ";") + FSettings.SearchPath;
  int Folders = 0;
  for (const std::string& Root : FRoots) {
    Path += (Path.empty() ? "" : ";") + Root;
    std::error_code Ec;
    for (auto It = fs::recursive_directory_iterator(Root, fs::directory_options::skip_permission_denied, Ec);
         !Ec && It != fs::recursive_directory_iterator() && Folders < MaxSearchFolders; It.increment(Ec)) {
      const std::string Name = It->path().filename().string();
      if (!It->is_directory(Ec)) continue;
      if (!Name.empty() && (Name[0] == '.' || Name == "build" || Name == "node_modules")) {
        It.disable_recursion_pending();
        continue;
      }
      Path.append(";").append(It->path().string());
      ++Folders;
    }
  }
  const bool PathChanged = AdditionalSearchPath != Path;
  AdditionalSearchPath = Path;
  bool Changed = PathChanged;
  if (FSettings.HaveLibraryPath && FSettings.LibraryPath != FSession->IDE().LibraryPath()) {
    UseRegistryCopy();
    FSession->IDE().SetLibraryPath(FSettings.LibraryPath);
    Changed = true;
  }
  const std::string Project = FindProjectFile();
  if (Project != FProject) {
    Changed = true;
    FSession->IDE().CloseProject();
    FProject.clear();
    if (!Project.empty()) {
      if (FSession->IDE().OpenProject(Project)) FProject = Project;
      else Log("Cannot open the project " + Project + ": " + FSession->IDE().LastError());
    }
  }
  // What was parsed with other settings goes.
  if (Changed && FProjectCompiled && FSession->Expert()) {
    FSession->IDE().ClickMenuItem("Velmoric16");  // Clear Memory
    FProjectCompiled = false;
  }
}

// Parses the project as the source explorer's compile button does; then the
// open documents again from their buffers.
void TLspServer::CompileProject() {
  if (!FSession || !FSession->Expert()) return;
  FProjectCompiled = true;
  if (FProject.empty() && FDocuments.empty()) return;
  if (!FDocuments.empty()) FSession->IDE().ActivateFile(FDocuments.begin()->first);
  try {
    FormSourceExplorer()->SpeedButtonCompileClick(nullptr);
  } catch (const std::exception& E) {
    Log(std::string("Compiling the project failed: ") + E.what());
  }
  for (auto& [Path, D] : FDocuments) D.Dirty = true;
}

void TLspServer::Freshen(const TDocument* Except) {
  if (!FProjectCompiled) CompileProject();
  for (auto& [Path, D] : FDocuments)
    if (D.Dirty && &D != Except) CompileDocument(D);
}

void TLspServer::CompileDocument(TDocument& D) {
  TVelmoricWizard* Expert = FSession->Expert();
  D.Dirty = false;
  D.DiagnosticsDue = true;
  if (!Expert || !FSession->IDE().ActivateFile(D.Path)) return;
  const bool SavedQuick = gQuickRecompile;
  // Quick recompile parses the document alone; a unit it uses that memory
  // does not hold yet (a document just opened, a unit added to its uses)
  // takes a compile of the used units as well.
  for (int Pass = 0; Pass < 2; ++Pass) {
    if (!Expert->GetCompiledEditor()) break;
    bool Missing = false;
    try {
      D.Errors.clear();
      if (TPascalSource* S = Expert->Source) {
        for (int I = 0; S->errors && I < S->errors->Count(); ++I) D.Errors.push_back(S->errors->Get(I));
        for (int I = 0; S->usesList && I < S->usesList->Count(); ++I)
          Missing = Missing || Expert->Project->FUnitLIst->IndexOf(TPascalProject::UnitKey(S->usesList->Get(I))) < 0;
      }
    } catch (...) {
      Expert->ReleaseEditor();
      FreeAndNil(Expert->CompileProject);
      gQuickRecompile = SavedQuick;
      throw;
    }
    Expert->ReleaseEditor();
    FreeAndNil(Expert->CompileProject);
    if (!Missing || !gQuickRecompile) break;
    gQuickRecompile = false;
  }
  gQuickRecompile = SavedQuick;
}

// ------------------------------------------------------------- diagnostics

void TLspServer::PublishDiagnostics() {
  if (!FInitialized || FShutdown) return;
  bool Due = false;
  for (auto& [Path, D] : FDocuments) Due = Due || D.Dirty;
  if (Due) {
    try {
      Freshen();
    } catch (const std::exception& E) {
      Log(std::string("Compiling failed: ") + E.what());
    }
  }
  for (auto& [Path, D] : FDocuments) {
    if (!D.DiagnosticsDue) continue;
    D.DiagnosticsDue = false;
    std::shared_ptr<TFileText> T = Text(D.Path);
    json List = json::array();
    for (const std::string& E : D.Errors) {
      // "Error <file>(<line>): <text>"
      int Line = 0;
      std::string Message = E;
      const std::string Prefix = "Error " + D.Path + "(";
      size_t Open = E.rfind(Prefix, 0) == 0 ? Prefix.size() - 1 : E.find('(');
      if (Open != std::string::npos) {
        size_t Close = E.find("): ", Open);
        if (Close != std::string::npos) {
          const std::string Number = E.substr(Open + 1, Close - Open - 1);
          if (!Number.empty() && Number.size() < 10 &&
              std::all_of(Number.begin(), Number.end(), [](char C) { return C >= '0' && C <= '9'; })) {
            Line = std::stoi(Number);
            Message = E.substr(Close + 3);
          }
        }
      }
      Line = std::clamp(Line, 0, T->Lines.LineCount() - 1);
      List.push_back({{"range", Range(D.Path, Line, 0, Line, T->Lines.LineLength(Line))},
                      {"severity", 2},
                      {"source", "velmoric"},
                      {"message", ToUtf8(Message, T->Encoding)}});
    }
    Send(NotificationMessage("textDocument/publishDiagnostics",
                             {{"uri", D.Uri}, {"version", D.Version}, {"diagnostics", List}}));
  }
}

// --------------------------------------------------------------- documents

void TLspServer::DidOpen(const json& P) {
  const json& Doc = P.at("textDocument");
  const std::string Uri = Doc.at("uri").get<std::string>();
  const std::string Path = UriToPath(Uri);
  if (Path.empty()) throw TLspError{lspInvalidParams, "Not a file URI: " + Uri};
  const std::string Content = Doc.at("text").get<std::string>();
  TMemoryIDE& IDE = FSession->IDE();
  TEditBufferPtr B = IDE.FindBuffer(Path);
  if (!B && IDE.OpenFile(Path)) B = IDE.FindBuffer(Path);
  if (!B) {  // a file that is not on disk (yet)
    IDE.CreateModule(Path, Content, CreateModuleFlag(cmShowSource));
    B = IDE.FindBuffer(Path);
  }
  if (!B) throw TLspError{lspRequestFailed, "Cannot open " + Path};
  if (B->Text() != Content) {
    B->Reset(Content);
    B->Modified = true;
    IDE.BufferChanged(*B);
  }
  TDocument& D = FDocuments[B->FileName()];
  D.Uri = Uri;
  D.Path = B->FileName();
  D.Version = Doc.value("version", 0);
  D.Dirty = true;
}

TLspServer::TDocument& TLspServer::Document(const json& P) {
  auto Doc = P.find("textDocument");
  if (Doc == P.end() || !Doc->is_object() || !Doc->contains("uri") || !(*Doc)["uri"].is_string())
    throw TLspError{lspInvalidParams, "textDocument.uri is missing"};
  const std::string Uri = (*Doc)["uri"];
  const std::string Path = UriToPath(Uri);
  TEditBufferPtr B = Path.empty() ? nullptr : FSession->IDE().FindBuffer(Path);
  auto It = B ? FDocuments.find(B->FileName()) : FDocuments.end();
  if (It == FDocuments.end()) throw TLspError{lspInvalidParams, "The document is not open: " + Uri};
  return It->second;
}

void TLspServer::DidChange(const json& P) {
  TDocument& D = Document(P);
  TMemoryIDE& IDE = FSession->IDE();
  for (const json& C : P.at("contentChanges")) {
    const std::string NewText = C.at("text").get<std::string>();
    if (!C.contains("range")) {
      TEditBuffer& B = IDE.Buffer(D.Path);
      B.Reset(NewText);
      B.Modified = true;
      IDE.BufferChanged(B);
      continue;
    }
    // Positions past the end of a line or of the text mean its end. The
    // text's line index is the one kept for it since the last request.
    const std::shared_ptr<TFileText> Before = TLspServer::Text(D.Path);
    const std::string& Text = Before->Text;
    const TLineIndex& Lines = Before->Lines;
    const TTextEncoding Enc = Before->Encoding;
    auto Offset = [&](const json& Pos) {
      const int Line = Pos.at("line").get<int>();
      const int Char = Pos.at("character").get<int>();
      if (Line < 0 || Char < 0) throw TLspError{lspInvalidParams, "A negative position"};
      if (Line >= Lines.LineCount()) return static_cast<int>(Text.size());
      const std::string_view L(Text.data() + Lines.LineStart(Line), Lines.LineLength(Line));
      return Lines.LineStart(Line) + ByteOffset(L, Char, Enc);
    };
    const int Start = Offset(C["range"].at("start"));
    const int End = Offset(C["range"].at("end"));
    if (End < Start) throw TLspError{lspInvalidParams, "A change range ends before it starts"};
    IDE.EditText(D.Path, Start, End - Start, NewText);
    FollowEdit(IDE.Buffer(D.Path), Before, Start, End, NewText);
  }
  if (auto V = P["textDocument"].find("version"); V != P["textDocument"].end() && V->is_number_integer())
    D.Version = V->get<int>();
  D.Dirty = true;
}

void TLspServer::DidSave(const json& P) {
  TDocument& D = Document(P);
  TEditBuffer& B = FSession->IDE().Buffer(D.Path);
  if (auto T = P.find("text"); T != P.end() && T->is_string() && T->get<std::string>() != B.Text()) {
    B.Reset(T->get<std::string>());
    FSession->IDE().BufferChanged(B);
    D.Dirty = true;
  }
  B.Modified = false;
}

void TLspServer::DidClose(const json& P) {
  TDocument& D = Document(P);
  const std::string Path = D.Path;
  const std::string Uri = D.Uri;
  TMemoryIDE& IDE = FSession->IDE();
  const bool Unsaved = IDE.Buffer(Path).Modified;
  IDE.CloseFile(Path);
  FDocuments.erase(Path);
  FBufferTexts.erase(Path);
  // A unit parsed from edits that were never saved goes from memory, so
  // that the next compile reads the file.
  if (Unsaved && FSession->Expert() && FSession->Expert()->Project) {
    TSaveStringList* List = FSession->Expert()->Project->FUnitLIst;
    for (int I = List->Count() - 1; I >= 0; --I) {
      auto* S = static_cast<TPascalSource*>(List->Objects(I));
      if (!S || !SameText(ExpandFileName(S->FileName), Path)) continue;
      List->PutObjects(I, nullptr);
      List->Delete(I);
      ReleaseSource(S);
    }
    if (FFormSourceExplorer) {
      FFormSourceExplorer->ComboBoxFinde->Clear();
      FFormSourceExplorer->UpdateClassBox();
    }
  }
  Send(NotificationMessage("textDocument/publishDiagnostics",
                           {{"uri", Uri}, {"diagnostics", json::array()}}));
}

// ------------------------------------------------------------------- texts

namespace {

bool IsAscii(std::string_view S) {
  return std::all_of(S.begin(), S.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
}

bool IsUtf8Continuation(char C) { return (static_cast<unsigned char>(C) & 0xC0) == 0x80; }

}  // namespace

// A change within one line keeps the buffer's text, line index and encoding
// by editing them alike, instead of copying and reading the whole text
// again at the next request. Only when the result is certain: the text was
// UTF-8 and stays UTF-8 (ASCII put in at character boundaries), no line end
// is taken out or put in, and the buffer holds exactly the edited text.
void TLspServer::FollowEdit(const TEditBuffer& B, const std::shared_ptr<TFileText>& Kept, int Start,
                            int End, const std::string& NewText) {
  auto Slot = FBufferTexts.find(B.FileName());
  if (Slot == FBufferTexts.end() || Slot->second != Kept) return;
  std::string& Text = Kept->Text;
  const TLineIndex& Lines = Kept->Lines;
  const int Line = Lines.LineOf(Start);
  const bool Fits = Kept->Encoding == TTextEncoding::Utf8 && Start <= End &&
                    End <= Lines.LineStart(Line) + Lines.LineLength(Line) && IsAscii(NewText) &&
                    NewText.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos &&
                    (static_cast<size_t>(Start) == Text.size() || !IsUtf8Continuation(Text[Start])) &&
                    (static_cast<size_t>(End) == Text.size() || !IsUtf8Continuation(Text[End]));
  const std::string& Now = B.Text();
  if (!Fits || Now.size() != Text.size() - static_cast<size_t>(End - Start) + NewText.size() ||
      Now.compare(static_cast<size_t>(Start), NewText.size(), NewText) != 0) {
    FBufferTexts.erase(Slot);  // read afresh at the next request
    return;
  }
  Text.replace(static_cast<size_t>(Start), static_cast<size_t>(End - Start), NewText);
  Kept->Lines.ResizeLine(Line, static_cast<int>(NewText.size()) - (End - Start));
  Kept->Stamp = static_cast<long long>(B.Version());
}

std::shared_ptr<TLspServer::TFileText> TLspServer::Text(const std::string& Path) {
  if (TEditBufferPtr B = FSession ? FSession->IDE().FindBuffer(Path) : nullptr) {
    // The line index of a buffer is kept while its text stays the same.
    auto& Slot = FBufferTexts[B->FileName()];
    if (!Slot || Slot->Stamp != static_cast<long long>(B->Version()) || Slot->Text.size() != B->Text().size()) {
      Slot = std::make_shared<TFileText>();
      Slot->Stamp = static_cast<long long>(B->Version());
      Slot->Text = B->Text();
      Slot->Lines = TLineIndex(Slot->Text);
      Slot->Encoding = DetectEncoding(Slot->Text);
    }
    return Slot;
  }
  auto& Slot = FDiskTexts[Path];
  struct stat St {};
  std::string Found = Slot ? Slot->Found : std::string();
  if (Found.empty() || ::stat(Found.c_str(), &St) != 0) {
    Found = FindFileNoCase(ExpandFileName(Path));
    if (Found.empty() || ::stat(Found.c_str(), &St) != 0) Found.clear();
  }
  const bool Exists = !Found.empty() && S_ISREG(St.st_mode);
  const long long Stamp = Exists ? static_cast<long long>(St.st_mtim.tv_sec) * 1000000000LL +
                                       St.st_mtim.tv_nsec + St.st_size
                                 : -1;
  if (!Slot || Slot->Stamp != Stamp || Slot->Found != Found) {
    Slot = std::make_shared<TFileText>();
    Slot->Stamp = Stamp;
    Slot->Found = Found;
    if (Exists) {
      try {
        Slot->Text = ReadFileBytes(Found);
      } catch (const std::exception&) {
        Slot->Text.clear();
      }
    }
    Slot->Lines = TLineIndex(Slot->Text);
    Slot->Encoding = DetectEncoding(Slot->Text);
  }
  return Slot;
}

std::string TLspServer::UriOf(const std::string& Path) {
  if (TEditBufferPtr B = FSession->IDE().FindBuffer(Path)) {
    if (auto It = FDocuments.find(B->FileName()); It != FDocuments.end()) return It->second.Uri;
  }
  auto& Uri = FUris[Path];
  if (Uri.empty()) {
    const std::string Full = ExpandFileName(Path);
    const std::string Found = FindFileNoCase(Full);
    Uri = PathToUri(Found.empty() ? Full : Found);
  }
  return Uri;
}

json TLspServer::Position(const std::string& Path, int Line, int Byte) {
  std::shared_ptr<TFileText> T = Text(Path);
  Line = std::clamp(Line, 0, T->Lines.LineCount() - 1);
  return {{"line", Line}, {"character", Utf16Length(T->Line(Line), Byte, T->Encoding)}};
}

json TLspServer::Range(const std::string& Path, int Line, int Byte, int EndLine, int EndByte) {
  return {{"start", Position(Path, Line, Byte)}, {"end", Position(Path, EndLine, EndByte)}};
}

void TLspServer::PlaceCursor(TDocument& D, const json& Pos, int& Line, int& ByteIndex) {
  if (!Pos.is_object() || !Pos.contains("line") || !Pos.contains("character") ||
      !Pos["line"].is_number_integer() || !Pos["character"].is_number_integer())
    throw TLspError{lspInvalidParams, "position is missing"};
  Line = Pos["line"].get<int>();
  const int Char = Pos["character"].get<int>();
  std::shared_ptr<TFileText> T = Text(D.Path);
  if (Line < 0 || Char < 0 || Line >= T->Lines.LineCount())
    throw TLspError{lspInvalidParams,
                    Format("The position %d:%d is outside the document", Line, Char)};
  // A character past the end of the line means the line's end.
  ByteIndex = ByteOffset(T->Line(Line), Char, T->Encoding);
  TMemoryIDE& IDE = FSession->IDE();
  TEditBuffer& B = IDE.Buffer(D.Path);
  B.Cursor = B.CharPosToEditPos(TCharPos{static_cast<int16_t>(std::min(ByteIndex, 32767)), Line + 1});
  IDE.ActivateFile(D.Path);
}
