// Virtual help pages: the page header built from a symbol's declaration, the
// body from the stored page or the symbol's structured comment, the unit
// page, and the help table that stores edited pages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/db/DBTables.h"
#include "platform/rtl/Classes.h"

struct TOrvikSymbol;
class TPascalProject;
class TPascalSource;
class TRichEdit;

// The first two lines of every page header.
extern const char* const HelpHeaderFonts;
extern const char* const HelpHeaderColors;

// The names of the symbol and its owners, outermost first, joined by ".",
// without the unit: C.M for method M of class C, "" for a unit.
std::string NameOfSymbol(const TOrvikSymbol* Symbol);
// Nothing for the basic types integer, boolean, string, char and file, else
// any symbol of the project of that name.
TOrvikSymbol* FindVartype(TPascalProject* Project, const std::string& Name);

// The RTF lines of a page header (class, procedure, property, variable);
// none for other kinds. Types a procedure's parameters refer to are added to
// SeeAlso when given.
void CreateHelpHeader(TOrvikSymbol* Symbol, TPascalProject* Project, TStrings& Lines,
                      std::vector<TOrvikSymbol*>* SeeAlso = nullptr);
// The RTF lines of a unit's page.
void CreateUnitPage(TOrvikSymbol* Unit, TStrings& Lines);
// The RTF lines of a structured comment ("Created :", "Parameters",
// "Description").
void CopyVelmoricComment(const TStrings& Comment, TStrings& Rtf);
// The same, loaded into the editor.
void CopyVelmoricComment(TRichEdit& Editor, const TStrings& Comment);

// The help table, opened on the alias "Velmoric".
class TVelmoricHelpStore {
 public:
  TVelmoricHelpStore();
  // Opens the table; false, with the runtime's message, when it cannot.
  bool Open(std::string& Error);
  // Opens the table, creating it first when the database has no help table.
  bool OpenOrCreate(std::string& Error);
  void Close() { Table.Close(); }
  bool Active() const { return Table.Active(); }

  // Positions on the page of that name (case ignored).
  bool FindPage(const std::string& Name);
  // The stored body of the page, when there is one.
  bool ReadPage(const std::string& Name, std::string& Rtf);
  // Stores the body: the page of that name is changed, or a page is added
  // whose XParent is the Nr of the owner's page, -1 without one. Returns Nr.
  int64_t SavePage(const std::string& Name, const std::string& OwnerName, const std::string& Rtf);
  // The names of the page's owners by XParent, nearest first.
  std::vector<std::string> ParentChain(const std::string& Name);

  TTable Table{nullptr};
};

// Whether a page can be shown: variables always, symbols with a comment, and
// symbols with a stored page.
bool HelpAvailable(TOrvikSymbol* Symbol, TVelmoricHelpStore* Store);

// A page as the help window shows it: the header and the body, as RTF.
struct TVelmoricHelpPage {
  std::string Header;
  std::string Body;
};
// The page of the symbol; Store may be closed or null (comments only).
TVelmoricHelpPage ComposeHelpPage(TOrvikSymbol* Symbol, TPascalProject* Project, TVelmoricHelpStore* Store);
// The body alone (LoadRichText): the stored page, else the comment.
std::string HelpBody(TOrvikSymbol* Symbol, TVelmoricHelpStore* Store);

// A page for readers without an RTF viewer.
enum class THelpFormat { Text, Markdown, Html, Rtf };
std::string RenderHelpPage(const TVelmoricHelpPage& Page, THelpFormat Format, const std::string& Title);

// ------------------------------------------------------------- the window

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/StdCtrls.h"

class TFindSymbol;
class TFormVirtualHelpIndex;
class TFormVelmoricVirtualHelpProperty;
class TFormVelmoricManualCreate;
class TVelmoricFormatBar;

// The help window: the page of the help symbol (header and body), labels
// leading to related symbols, saving into the help table, the index and the
// member list windows, and a small formatting bar.
class TFormVelmoricVirtualHelp : public TForm {
 public:
  explicit TFormVelmoricVirtualHelp(TComponent* AOwner);
  ~TFormVelmoricVirtualHelp() override;
  std::string ClassName() const override { return "TFormVelmoricVirtualHelp"; }

  // Opens the help table, offering to create it when it cannot be opened.
  void FormShow(TObject* Sender);
  void UpdateHelpWindow(TOrvikSymbol* Symbol);
  void UpdateHelpUnit(TOrvikSymbol* Symbol);
  void UpdateHelpProcedure(TOrvikSymbol* Symbol);
  void UpdateHelpClass(TOrvikSymbol* Symbol);
  void UpdateHelpVar(TOrvikSymbol* Symbol);
  void UpdateHelpProperty(TOrvikSymbol* Symbol);
  // The symbol under the cursor of the IDE's editor.
  void GetSymbolFromCursor();
  // The same symbol in FMemoryProject, found by its owners' names.
  TOrvikSymbol* GetFromMemoryProject(TOrvikSymbol* Symbol);
  bool HelpAvailable(TOrvikSymbol* Symbol);
  void LoadRichText(TOrvikSymbol* Symbol);
  // Saves the body into the help table and, when "Update source code" is
  // ticked, its plain text as the symbol's comment into the source.
  void ButtonSaveClick(TObject* Sender);
  // Whether the source modifier can write the symbol's comment: procedures
  // and variables that stand in a source.
  bool CanUpdateSource(TOrvikSymbol* Symbol) const;
  // The parsed unit that holds the symbol, or nullptr.
  TPascalSource* SourceOf(TOrvikSymbol* Symbol) const;
  void SaveIntoSource();
  void ButtonIndexClick(TObject* Sender);

  // Labels.
  void ClearLabels(TOrvikSymbol* Symbol);
  void AddClassLabel();
  void AddLabel(const std::vector<TOrvikSymbol*>& List, const std::string& Caption);
  int LabelCount() const { return static_cast<int>(FLabels.size()); }
  TLabel* Labels(int Index) const { return FLabels.at(Index); }

  // Document creation (File, Create Documentation, Class or Unit): the
  // manual dialog, then the class or the units assembled in RichEditClip and
  // written with the template's converter to the file a save dialog names.
  void MenuCreateDocClassClick(TObject* Sender);
  void MenuCreateDocUnitClick(TObject* Sender);
  // Shows the manual dialog; when confirmed, starts the document with the
  // template's preamble.
  bool StartDocument();
  void CreateDocForClass();
  void CreateDocForUnit();
  // Asks for the output, appends the title block and writes the document
  // (and the ".hpj" project of a help file). False when nothing was written.
  bool FinishDocument(const std::vector<std::string>& UnitNames);
  // Appends Source's whole text through the clipboard at RichEditClip's end.
  void CopyRichEdit(TRichEdit& Source);
  void PasteHeader(int Tag);
  void PasteText();
  TFormVelmoricManualCreate* FormManual = nullptr;
  // File, Create Documentation: "Unit" (MenuCreateDocUnit) and "Class"
  // (MenuCreateDocClass), the window's pop-up menu.
  TPopupMenu* MenuFile;
  bool CreatingDocument = false;

  // The formatting bar.
  void RichEditTextChange(TObject* Sender);
  void RichEditTextSelectionChange(TObject* Sender);
  std::unique_ptr<TVelmoricFormatBar> FormatBar;

  TPanel* PanelLabels;
  TPanel* PanelButtons;
  TPanel* PanelFormat;
  TPanel* Panel2;
  TRichEdit* RichEditHeader;
  TRichEdit* RichEditText;  // the body
  TRichEdit* RichEditClip;
  TRichEdit* RichEditClip2;
  TButton* ButtonSave;
  TButton* ButtonIndex;
  TCheckBox* CheckBoxUpdateSource;  // "Update source code": for what CanUpdateSource allows
  TCheckBox* CheckBoxUpdateManual;  // "Update manual page"
  TButton* ButtonHidePanel;

  TOrvikSymbol* helpsymbol = nullptr;
  TPascalProject* FMemoryProject = nullptr;  // set by the opener, or owned
  TVelmoricHelpStore Store;
  TTable* TableVirtualHelp = &Store.Table;
  std::vector<TOrvikSymbol*> Hierarchy, Methods, UnlistedMethods, Properties, Events, Variables, Abstract,
      Overwrite, SeeAlso, UnitSymbols;
  TStringList* NameIndex = nullptr;  // name -> symbol, sorted, duplicates ignored
  TFormVirtualHelpIndex* FormIndex = nullptr;
  TFormVelmoricVirtualHelpProperty* FormProperty = nullptr;

 private:
  void ClearLists();
  void LoadHeader(TStrings& Lines);
  void ShowMembers(const std::vector<TOrvikSymbol*>* List);
  // Starts a new paragraph at the end of RichEditClip unless it ends in an
  // empty one; the caret goes to the end.
  void ClipNewLine();
  void PasteBlock(TStrings& Lines);
  bool FOwnsProject = false;
  bool FUpdating = false;
  std::vector<TLabel*> FLabels;
  std::vector<TLabel*> FOldLabels;
  std::vector<const std::vector<TOrvikSymbol*>*> FLabelLists;
};

// The one help window of the expert, or nullptr; cleared when it is freed.
extern TFormVelmoricVirtualHelp* FormVelmoricVirtualHelp;
