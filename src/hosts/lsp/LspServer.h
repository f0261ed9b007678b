// The language server: the protocol's lifecycle, documents and features over
// the in-process IDE with the expert loaded. Each feature runs the expert's
// own code: definition clicks "Hyper&jump" with the editor cursor placed,
// the symbol queries ask the unit's model at that cursor, and the commands
// are the expert's menu items.
//
//   TLspServer Server([](const std::string& Body) { /* frame and write */ });
//   TFdInput In(0);
//   return Server.Run(In);
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hosts/lsp/LspText.h"
#include "hosts/lsp/LspTransport.h"

class TEditBuffer;
class TExpertSession;
class TVelmoricWizard;
class TPascalSource;
class TPascalProject;
struct TOrvikSymbol;
class TCustomForm;
class TFormVelmoricNewProcedure;

// A failed request: answered with Code and Message.
struct TLspError {
  int Code;
  std::string Message;
};

class TLspServer {
 public:
  using TSender = std::function<void(const std::string& Body)>;

  // Send gets the body of every message for the client, in order.
  explicit TLspServer(TSender Send);
  ~TLspServer();
  TLspServer(const TLspServer&) = delete;
  TLspServer& operator=(const TLspServer&) = delete;

  // Reads and answers messages until "exit" or the end of the input; the
  // exit status (0 only after "shutdown" and "exit"). Messages that arrive
  // together are read first, so that a "$/cancelRequest" among them cancels
  // an earlier request that has not been answered yet.
  int Run(TLspInput& In);
  // Handles one message body, then publishes the diagnostics due.
  void Receive(const std::string& Body);

  bool Exited() const { return FExited; }
  int ExitCode() const { return FShutdown ? 0 : 1; }

 private:
  struct TDocument {
    std::string Uri;
    std::string Path;  // the IDE's file name
    int Version = 0;
    bool Dirty = true;              // changed since its last compile
    bool DiagnosticsDue = false;    // compiled since the last publish
    std::vector<std::string> Errors;  // parse errors of the last compile
  };
  struct TFileText {
    std::string Text;
    TLineIndex Lines;
    TTextEncoding Encoding = TTextEncoding::Utf8;
    long long Stamp = 0;  // a buffer's version; modification time and size of a file
    std::string Found;    // its name on disk
    std::string Line(int I) const { return Text.substr(Lines.LineStart(I), Lines.LineLength(I)); }
  };
  struct TSettings {
    std::string SearchPath;
    std::string LibraryPath;
    std::string ProjectFile;
    bool HaveLibraryPath = false;
  };

  void Dispatch(const TLspIncoming& M);
  json Request(const std::string& Method, const json& Params);
  void Notification(const std::string& Method, const json& Params);
  void Send(const json& Message);
  void Log(const std::string& Text);
  void PublishDiagnostics();

  // lifecycle and configuration
  json Initialize(const json& Params);
  void ReadSettings(const json& Settings);
  void ApplySettings();
  void UseRegistryCopy();
  std::string FindProjectFile() const;
  void CompileProject();
  // Compiles the project when it is not, and every changed document but Except.
  void Freshen(const TDocument* Except = nullptr);

  // documents
  void DidOpen(const json& Params);
  void DidChange(const json& Params);
  void DidSave(const json& Params);
  void DidClose(const json& Params);
  TDocument& Document(const json& Params);
  void CompileDocument(TDocument& D);
  std::shared_ptr<TFileText> Text(const std::string& Path);
  // Brings Kept, the text of B before the change of bytes Start to End into
  // NewText, up to B's text, or drops it.
  void FollowEdit(const TEditBuffer& B, const std::shared_ptr<TFileText>& Kept, int Start, int End,
                  const std::string& NewText);
  // Places the IDE cursor of D at the protocol position; the byte index in
  // its line goes to ByteIndex.
  void PlaceCursor(TDocument& D, const json& Position, int& Line, int& ByteIndex);
  json Position(const std::string& Path, int Line, int Byte);
  json Range(const std::string& Path, int Line, int Byte, int EndLine, int EndByte);
  std::string UriOf(const std::string& Path);
  // Where the word Word stands on the 0-based Line of Path: a range on it,
  // or the line's first non-blank character.
  json WordRange(const std::string& Path, int Line, const std::string& Word);
  json SymbolLocation(const TOrvikSymbol* Sym, int Line);
  // The line of Sym's name at or just above Line.
  int NameLine(const TOrvikSymbol* Sym, int Line);
  TPascalSource* MemorySource(const TDocument& D);
  // The symbol at the cursor of D: the model's cursor query, else a
  // procedure or declaration whose heading is on the cursor line.
  // Proc gets the procedure that holds the cursor, if any.
  TOrvikSymbol* SymbolAtCursor(TDocument& D, const json& Params, std::string& Word,
                               TOrvikSymbol** Proc = nullptr);

  // features
  json Definition(const json& Params);
  json HeadingJump(const json& Params, bool ToDeclaration);
  json DocumentSymbols(const json& Params);
  json WorkspaceSymbols(const json& Params);
  json Completion(const json& Params);
  json References(const json& Params);
  json Hover(const json& Params);
  json ExecuteCommand(const json& Params);
  // The virtual help page of Sym as Markdown.
  std::string HelpPage(TOrvikSymbol* Sym);

  // code actions: the class expert and the uses manager on the buffer
  json CodeActions(const json& Params);
  json ResolveCodeAction(const json& Action);
  // The workspace edit of an action's data, or an error.
  json ActionEdit(const json& Data);
  // Runs Run on the buffer of D and puts the buffer back: the edit is the
  // difference of its text before and after; the model is parsed again.
  json BufferEdit(TDocument& D, const std::function<void()>& Run);
  // Opens the class expert on Context (a class) as its openers do, with
  // Edit to change or a new member named Name; Fill sets the dialog's
  // fields before "Create" is pressed.
  void RunClassExpert(TOrvikSymbol* Context, TOrvikSymbol* Edit, const std::string& Name,
                      const std::function<void(TFormVelmoricNewProcedure&)>& Fill);
  // The protocol's text edits that turn Before into After.
  json TextEdits(const std::string& Before, const std::string& After);
  json FindPosition(const json& Args);
  json DocumentSymbol(const TOrvikSymbol* Sym, const std::string& Path);

  TSender FSend;
  std::unique_ptr<TExpertSession> FSession;
  std::map<std::string, TDocument> FDocuments;  // by the IDE's file name
  std::map<std::string, std::shared_ptr<TFileText>> FDiskTexts;
  std::map<std::string, std::shared_ptr<TFileText>> FBufferTexts;  // by the IDE's file name
  std::map<std::string, std::string> FUris;  // of files that are no documents
  std::set<std::string> FCancelled;  // ids (as JSON text) cancelled before their turn
  std::vector<std::string> FRoots;   // workspace folders
  TSettings FSettings;
  std::string FProject;        // the IDE project's file, or empty
  bool FInitialized = false;
  bool FShutdown = false;
  bool FExited = false;
  bool FProjectCompiled = false;
  // Where the symbols the ambiguity dialog offered lie: file, line, name.
  struct TCandidate {
    std::string File;
    int Line;
    std::string Name;
  };
  std::vector<TCandidate> FCandidates;
  // Answers the dialog a code action opens, when set.
  std::function<int(TCustomForm&)> FDialog;
  std::string FLastMessage;   // the text of the last message box
  bool FResolveEdits = false;  // the client asks for an action's edit when chosen
  std::string FRegistryDir;    // a private copy of the settings, when made
  std::string FSavedRegistry;  // $VELMORIC_REGISTRY before it
  bool FHadRegistry = false;
  std::string FSavedSearchPath;
  std::string FBaseSearchPath;  // the expert's own search path setting
};
