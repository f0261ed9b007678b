// The new class dialog: writes a class skeleton into a unit, after the
// unit's first "type", or a whole new unit into an empty buffer.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TVelmoricWizard;
class TStrings;

// The class skeleton in a unit that has lines: inserted after the line of
// the first "type". False, with nothing inserted, when there is no "type".
bool InsertClassSkeleton(TStrings& Lines, const std::string& ClassName, const std::string& BaseClass);
// A whole new unit named after FileName holding the class.
std::vector<std::string> NewClassUnit(const std::string& FileName, const std::string& ClassName,
                                      const std::string& BaseClass);

class TFormVelmoricNewClass : public TForm {
 public:
  explicit TFormVelmoricNewClass(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricNewClass"; }

  void FormShow(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void Button1Click(TObject* Sender);

  TLabel* LabelClass;
  TEdit* EditClass;
  TLabel* LabelSourcefile;
  TComboBox* ComboBoxSourcefile;
  TSpeedButton* SpeedButton1;
  TLabel* LabelBaseclass;
  TComboBox* ComboBoxBaseclass;
  TButton* Button1;
  TButton* ButtonCancel;

  TVelmoricWizard* Expert = nullptr;  // not owned; set by the opener
};
