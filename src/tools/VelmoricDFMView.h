// The form dependency window: "Analyze" reads the form files of the IDE
// project's units (and the files named by its host), finds the links between
// their components and shows them as a tree; selecting a component lists its
// properties, double-clicking opens its unit, "Clear" starts over.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/StdCtrls.h"
#include "tools/VelmoricTableAnalyzer.h"

class TFFormVelmoricDFMView : public TForm {
 public:
  explicit TFFormVelmoricDFMView(TComponent* AOwner);
  ~TFFormVelmoricDFMView() override;
  std::string ClassName() const override { return "TFFormVelmoricDFMView"; }

  // Reads the form files and fills the tree. A file that is no form file
  // raises the stream error, which ends the analysis.
  void Analyze();

  void ButtonAnalyzeClick(TObject* Sender);  // Analyze, errors shown as the IDE shows them
  void ButtonClearClick(TObject* Sender);
  void TreeView1Change(TObject* Sender, TTreeNode* Node);
  void TreeView1DblClick(TObject* Sender);

  // The component a node stands for: its own, or the owner of its property.
  static TVelmoricControl* ComponentOf(TTreeNode* Node);

  TPageControl* PageControl1;
  TTabSheet* TabSheetTree;
  TTreeView* TreeView1;
  TStringGrid* StringGrid1;
  TLabel* LabelComponent;
  TLabel* LabelFile;
  TLabel* LabelForm;
  TButton* ButtonAnalyze;
  TButton* ButtonClear;

  TVelmoricDFMProject* Project;
  // Form files read besides those of the IDE project's units (outside the
  // IDE: the files given on the command line).
  std::vector<std::string> FormFiles;

 private:
  void FillTree();
  void AddComponent(TTreeNode* Parent, TVelmoricControl* Control, std::vector<TVelmoricControl*>& Path);
  void ShowProperties(TVelmoricControl* Control);
};

// The window while it exists; created on first request and kept.
extern TFFormVelmoricDFMView* FFormVelmoricDFMView;
TFFormVelmoricDFMView* FormVelmoricDFMView();
