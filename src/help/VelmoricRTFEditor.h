// The manual editor: the help table edited as a tree of topics. Each record
// is a topic with a rich-text body; its parent is a button, its children are
// the member list. Topics are added by hand or from a table's structure,
// copied as links and followed by a selected word ("Jump").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DBTables.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/StdCtrls.h"

class TVelmoricFormatBar;
class TVelmoricWizard;
class TFormVelmoricRTFNewSubTopic;
class TFFormVelmoricFormatParagraph;
class TFormVelmoricNewEntry;

class TFFormVelmoricRTFEdit : public TForm {
 public:
  explicit TFFormVelmoricRTFEdit(TComponent* AOwner);
  ~TFFormVelmoricRTFEdit() override;
  std::string ClassName() const override { return "TFFormVelmoricRTFEdit"; }

  // Opens both views (creating the help table when there is none) and
  // shows the current topic; an empty table gets the topic "Root".
  void FormShow(TObject* Sender);
  // Saves the body, closes the views and frees the windows it opened.
  void FormClose(TObject* Sender, TCloseAction& Action);

  // Stores the body into the current topic.
  void SaveEditor();
  // Shows the current topic: body, caption, members and parent.
  void UpdateListBox();
  // Saves the body and shows the topic with that Nr (false when none has it).
  bool GoToTopic(int64_t Nr);
  // The Nr of the topic shown, -1 without one.
  int64_t CurrentNr() const { return FCurrent; }

  void ListBoxMembersClick(TObject* Sender);
  void ButtonParentClick(TObject* Sender);
  void MenuJumpClick(TObject* Sender);
  void MenuCopyLinkClick(TObject* Sender);
  void MenuInsertLinkClick(TObject* Sender);
  void ButtonNewSubTopicClick(TObject* Sender);
  void ButtonOpenEntryClick(TObject* Sender);
  void ButtonOpenClick(TObject* Sender);
  void ButtonSaveFileClick(TObject* Sender);
  void ButtonPrintClick(TObject* Sender);
  void ButtonParagraphClick(TObject* Sender);

  // Inserts a topic under the current one and returns its Nr.
  int64_t InsertTopic(const std::string& Name, int64_t Parent, const std::string& Body);

  TVelmoricWizard* Expert = nullptr;

  TTable* TableMDB;   // the current topic
  TTable* TableMDB1;  // its children: XParent = TableMDB's Nr
  TDataSource* DataSourceMDB;
  TPanel* PanelTop;
  TPanel* PanelFormat;
  TButton* ButtonParent;
  TButton* ButtonNewSubTopic;
  TButton* ButtonOpenEntry;
  TButton* ButtonOpen;
  TButton* ButtonSave;
  TButton* ButtonPrint;
  TButton* ButtonParagraph;
  TListBox* ListBoxMembers;
  TRichEdit* OleEdit1;
  TEdit* Edit2;
  TPopupMenu* PopupMenuText;
  TPopupMenu* PopupMenuMembers;
  std::unique_ptr<TVelmoricFormatBar> FormatBar;

  TFormVelmoricRTFNewSubTopic* FormNewSubTopic = nullptr;
  TFFormVelmoricFormatParagraph* FormParagraph = nullptr;

 private:
  void OpenTables();
  // Positions TableMDB on the topic; false when none has that Nr.
  bool Locate(int64_t Nr);
  void LoadBody(const std::string& Rtf);
  int64_t FCurrent = -1;
  int64_t FParentNr = -1;
  // The members shown: their full names and Nr.
  std::vector<std::string> FMemberNames;
  std::vector<int64_t> FMemberNrs;
  bool FLoading = false;
};

// The one manual editor of the expert, or nullptr; cleared when it is freed.
extern TFFormVelmoricRTFEdit* FFormVelmoricRTFEdit;
// The manual editor, made on first request.
TFFormVelmoricRTFEdit* GetFormVelmoricRTFEdit();

// The entry grid window ("Manual Entrys"): the records of the help table
// with the current topic's row selected; a row's name and parent can be
// changed and posted, and the row chosen becomes the current topic.
class TFormVelmoricNewEntry : public TForm {
 public:
  explicit TFormVelmoricNewEntry(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricNewEntry"; }
  // Fills the grid from Table, selecting the row of Nr.
  void Bind(TTable* Table, int64_t Nr);
  // The Nr of the selected row, -1 without one.
  int64_t SelectedNr() const;
  void GridSelect();
  void ButtonPostClick(TObject* Sender);

  TStringGrid* DBGrid1;
  TEdit* EditXName;
  TEdit* EditXParent;
  TButton* ButtonPost;
  TButton* ButtonOK;

 private:
  TTable* FTable = nullptr;
};

// The window of the manual editor's entry grid, or nullptr.
extern TFormVelmoricNewEntry* FormVelmoricNewEntry;

// The paragraph format window: alignment and indents of the body's
// paragraphs at the selection.
class TFFormVelmoricFormatParagraph : public TForm {
 public:
  explicit TFFormVelmoricFormatParagraph(TComponent* AOwner);
  std::string ClassName() const override { return "TFFormVelmoricFormatParagraph"; }
  // Shows the paragraph's attributes modally; OK applies them.
  bool Execute(TRichEdit& Edit);

  TEdit* EditLeftIndent;
  TEdit* EditRightIndent;
  TEdit* EditFirstIndent;
  TRadioGroup* RadioGroupAlignment;
  TButton* ButtonOK;
  TButton* ButtonCancel;
};
