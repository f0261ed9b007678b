// The manual dialog: the template of a manual (its styles and which tag each
// serves), the units to document, and whether a manual or a WinHelp source
// is made.
#pragma once

#include <memory>

#include "help/VelmoricRTFUtil.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/StdCtrls.h"

class TPascalProject;

class TFormVelmoricManualCreate : public TForm {
 public:
  explicit TFormVelmoricManualCreate(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricManualCreate"; }

  // Offers the templates of the data directory and the project's folders.
  void FormShow(TObject* Sender);
  // Lists the ".pas" files of the chosen folder, the selected ones marked.
  void ComboBoxUnitsChange(TObject* Sender);
  void ListBoxUnitsClick(TObject* Sender);
  // Reads the template, its styles, its parameters and its ".units" file.
  void ButtonLoadClick(TObject* Sender);
  // Shows the style of the row and its tag.
  void StringGridStylesClick(TObject* Sender);
  // Assigns the chosen tag to the style of the current row.
  void ComboBox1Change(TObject* Sender);
  // Writes the parameters and the ".units" file.
  void ButtonSaveParametersClick(TObject* Sender);
  std::string UnitsFileName() const { return RTF.FileName + ".units"; }

  TComboBox* ComboBoxTemplate;
  TButton* ButtonLoad;
  TComboBox* ComboBoxUnits;
  TListBox* ListBoxUnits;
  TStringGrid* StringGridStyles;
  TComboBox* ComboBox1;
  TRichEdit* RichEditSample;
  TButton* ButtonSaveParameters;
  TButton* ButtonManual;  // "Create manual"
  TButton* ButtonHelp;    // "Create help file"
  TButton* ButtonCancel;

  TVelmoricRTF RTF;
  TStringList Units;  // the selected unit files, lower-cased paths
  bool MakeHelp = false;
  TPascalProject* Project = nullptr;  // not owned

 private:
  void FillStyles();
};
