// TPascalSource: the parsed model of one Pascal unit and the parser that
// builds it from a token source. Part of the unit VelmoricPascalScanner
// (include that header).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/opentools/EditIntf.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Sets.h"
#include "scanner/VelmoricSaveList.h"
#include "scanner/VelmoricSymbols.h"
#include "scanner/VelmoricToken.h"

class TOrvikSymbolstore;
class TPascalProject;
struct TKeptParse;

enum TCompilerOptions : uint8_t {
  oCompileUnits,           // compile every unit named in a uses clause
  oCompileImplementation,  // parse beyond "implementation"
  oCompileLocalVar         // record parameters and local variables
};
using TCompilerOptionsSet = TSet<TCompilerOptions, uint8_t>;

enum TSourceStates : uint8_t { stEditorLoaded, stInterfaceCompiled, stUpdated, stCompiled };

enum TErrorType : uint8_t { errMissingChar, errMissingVartype, errDuplicateUses };

// Extra trace lines of the class and procedure scanners. Off by default.
extern bool ProcDebug;
// Show the compiling status window while a unit is parsed.
extern bool DisplayCompilerProcess;
// Extra trace lines of the procedure search at the cursor (stream
// "findpos1") and of find position ("findpos"). Off by default.
extern bool bFindPosDebug;

// The project's compile operation, called for every unit of a uses clause
// when oCompileUnits is set. The project model installs it; while it is
// unset, used units are only recorded in usesList.
using TCompileUnitProc = void (*)(TPascalProject* Project, const std::string& UnitName,
                                  TCompilerOptionsSet Options);
extern TCompileUnitProc CompileUnitProc;

class TPascalSource : public TObject {
 public:
  // Token (which may be null) becomes the source's, with its line list.
  explicit TPascalSource(TToken* AToken);
  ~TPascalSource() override;
  TPascalSource(const TPascalSource&) = delete;
  TPascalSource& operator=(const TPascalSource&) = delete;

  // ---- unit structure and declarations
  void CreateSymbols(TCompilerOptionsSet AOptions);
  bool NextToken();
  void EnterParse(const std::string& Text);
  void ExitParse();
  void AddSymbol(TOrvikSymbol* Sym);
  void AddError(int Line, const std::string& Text);
  void FreeSymbols(TOrvikSymbol* Sym);
  void AddUses(const std::string& Name);
  void ScanUses();
  void ScanType(TOrvikSymbol* Owner);
  void ScanClass(const std::string& Name, TOrvikSymbol* Owner);
  void ScanInterface(const std::string& Name, TOrvikSymbol* Owner);
  void Scanrecord(const std::string& Name, TOrvikSymbol* Owner);
  void ScanVariantPart(TOrvikSymbol* Rec);

  // ---- constants, variables and properties
  void GetComment(std::string& Comment);
  void ScanConst(TOrvikSymbol* Owner);
  void ScanVariable(TOrvikSymbol* Owner, TBereichTokenType Bereich, const std::string& FirstName);
  void ScanGlobalVar();
  void ScanProperty(TOrvikSymbol* Owner, TBereichTokenType Bereich);

  // ---- cursor queries and positioning
  // Shows line Line (1-based) at column Col in the unit's IDE editor;
  // nothing moves for a line of 0 or less.
  void GotoLine(int Line, int Col);
  // The innermost procedure (or class) whose range holds the 0-based line.
  TOrvikSymbol* GetProcedureFromCursor(int Line);
  // Resolves the dotted expression under the IDE editor's cursor: fills
  // Find and returns the expression's last part in Word. Without an IDE the
  // cursor is the one preset in Find (CursorLine, CursorCol, both 1-based).
  void GetSymbolFromCursor(TFindSymbol* Find, std::string& Word);
  // The dotted expression under the IDE editor's cursor, unresolved.
  std::string GetWordFromCursor();

  // ---- procedures and implementations
  bool ScanProcedure(TOrvikSymbol* Owner, TProcTokenType Kind, TBereichTokenType Bereich);
  void ScanProcImplementation(TOrvikSymbol* Owner);
  void ScanProcImplementation2(TOrvikSymbol* Owner, TBereichTokenType Bereich);
  TOrvikSymbol* FindSymbolInClass(const std::string& ClassName, const std::string& Name);
  void ParseProcParameters(TOrvikSymbol* Sym);
  void ReadLongComment(int& Line, int& Count, std::string& Comment);

  // ---- a parse kept for the next parse of the same buffer
  // CreateSymbols, and then a copy of the model kept in KeptParse with
  // Text, the whole text of the token source's lines.
  void CreateSymbolsKept(TCompilerOptionsSet AOptions, std::string_view Text);
  // Takes Kept's model, when Text (the whole text of this source's lines,
  // which no parse has read yet) gives it: when it is Kept's text, or differs
  // from it only within one line whose tokens stay the same, in a place no
  // comment, string or end of the text makes it count. Kept then becomes
  // this source's KeptParse and ParseTaken is set. False, with nothing
  // changed, when the text must be parsed.
  bool TakeKeptParse(std::shared_ptr<TKeptParse> Kept, std::string_view Text,
                     TCompilerOptionsSet AOptions);

  // ---- the IDE: editor, text and change notifications
  // Opens the unit in the IDE when needed; its module becomes EditModule.
  // The module's editor (the caller releases it), or nil.
  TIEditorInterface* GetEditor();
  // Gives the source a token source over the editor buffer, or without an
  // IDE over the file read from disk.
  void LoadFileForEdit();
  // Registers the source's module notifier with Module (referenced until
  // RemoveNotifier); a notifier registered with another module moves.
  void AddNotifier(TIModuleInterface* Module);
  void RemoveNotifier();

  TIModuleInterface* ModuleIntf = nullptr;  // one reference while the notifier is registered
  std::string ParseContext;
  int ParseStartLine = 0;
  bool InImplementation = false;
  bool Modified = false;
  TIModuleNotifier* Notifier = nullptr;  // owned; registered with ModuleIntf
  int RefCount = 0;
  TCompilerOptionsSet Options;
  TPascalProject* Project = nullptr;  // not owned
  TSourceStates State = stEditorLoaded;
  TToken* Token = nullptr;  // owned, with its line list
  TIModuleInterface* EditModule = nullptr;  // one reference, released with the source
  std::string FileName;
  int ParseTime = 0;
  TSaveStringList* usesList = nullptr;
  TSaveStringList* errors = nullptr;
  // The texts of a tree loaded from a store (declared before the tree, so
  // freed after it); OwnHeldTexts runs before it goes.
  std::unique_ptr<TSymTextArena> LoadedTexts;
  TOrvikSymbol symbols;  // the unit root
  TOrvikSymbolstore* Store = nullptr;
  bool Found = true;
  std::shared_ptr<TKeptParse> KeptParse;  // this model as parsed, for the buffer's next parse
  bool ParseTaken = false;  // the model was taken from a kept parse

 private:
  // Whether the current token is the word or symbol Lower (any letter case).
  template <size_t N>
  bool TokenIs(const char (&Lower)[N]) const {
    return Token->LowerText.size() == N - 1 && std::memcmp(Token->LowerText.data(), Lower, N - 1) == 0;
  }
  void ParseUnit(TCompilerOptionsSet AOptions);
  TOrvikSymbol* NewSymbol(TSymTyp Typ, const std::string& Name);
  // Reads tokens up to the word or symbol Lower (none when on it already).
  template <size_t N>
  void SkipTo(const char (&Lower)[N]) {
    while (!FEof && !TokenIs(Lower)) NextToken();
  }
  void ScanPlainType(const std::string& Name, const std::string& Prefix);
  void SkipLooseBlock();
  // Whether a conditional directive ("{$if...", "{$else...", "{$endif")
  // stands on a line from Line to the current token's.
  bool ConditionalSince(int Line);
  void ScanMembers(TOrvikSymbol* Cls);
  // One "Name = ..." of a type section; false (and the token after the name
  // skipped) when the tokens are no declaration.
  bool ScanTypeDeclaration(TOrvikSymbol* Owner);
  // The lower-case texts of the next N tokens (a string gives "'"); the
  // scanner stays where it is.
  std::vector<std::string> Peek(int N);
  // Skips a type parameter or argument list "<...>" (positioned on "<") and
  // returns it joined; the parser stays on the closing ">".
  std::string SkipAngles();
  // Members of classes, objects, interfaces and records beyond fields,
  // methods, properties and visibility words: strict visibility, nested
  // type, const and var sections, class var/property/operator, generic
  // methods. False, with nothing read, for any other token.
  bool ScanDialectMember(TOrvikSymbol* Owner, TBereichTokenType& Visibility);
  // Whether the token starts a member (ends a nested section of a class or
  // record).
  bool AtMemberKeyword();
  void ScanConstSection(TOrvikSymbol* Owner, TBereichTokenType Bereich, bool InMembers);
  void ScanOperatorPrototype(TOrvikSymbol* Owner, TBereichTokenType Bereich);
  void ScanPrototype(TOrvikSymbol* Owner, TProcTokenType Kind, TBereichTokenType Bereich, bool IsOperator);
  // The name of an operator after the word "operator" (on it): "+", ":=",
  // "Add"; the parser stays on the token after the name.
  std::string ReadOperatorName();
  // Whether the token "operator" starts an operator heading (not an
  // identifier named so).
  bool AtOperatorHeading();
  // Whether the token starts a procedure heading that is no section keyword:
  // "class procedure", "generic function", an operator heading.
  bool AtOtherProcStart();
  bool CallingConventionFollows(const std::string& TypeText);
  // A helper's "helper [(Ancestor)] for Type" (positioned on "helper"), up to
  // its first member.
  void SkipHelperHead(TOrvikSymbol* Sym);
  TOrvikSymbol* FindSymbolInClassPath(const std::vector<std::string>& Path, const std::string& Name);
  // Adds a type symbol to the class or record whose nested type section
  // declares it, or else to the unit root; true for a nested one.
  bool PlaceType(TOrvikSymbol* Sym, TOrvikSymbol* Into, TBereichTokenType Scope);
  void ScanLocalSections(TOrvikSymbol* Proc);
  void SkipBody();
  void SkipDirectives(TOrvikSymbol* Sym);

  // The class or record whose nested type section is being read, with the
  // section's scope: the next type symbol made becomes its child.
  TOrvikSymbol* FNestedIn = nullptr;
  TBereichTokenType FNestedScope = tPublic;
  // Reading an object or helper: every directive after a method's prototype
  // is read over, as in records (these were never read as classes).
  bool FAllDirectives = false;
  bool FEof = false;   // the last NextToken found the end of the text
  int FConditionalFrom = 0;  // the line of the last unit-level procedure heading
  int FNesting = 0;    // depth of nested procedures and variant parts
};

// Rebuilds the parameter symbols of Sym from its Params text.
void ReParseProcParamters(TOrvikSymbol* Sym);
// The comment block above line Line of Lines, inserted into Comment first
// line first; Line becomes the block's first line. A "{ }" or "(* *)" block
// is looked for up to MaxCommentBlockLines above its closing line.
inline constexpr int MaxCommentBlockLines = 1000;
void gReadLongComment(int& Line, TStrings* Lines, TStrings* Comment);
