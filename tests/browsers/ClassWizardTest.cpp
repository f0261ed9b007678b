// The class wizard through the expert's command (Alt+W): its grids, the
// walk up the ancestors, sorting, the export tab, overriding through the
// class expert, and the Register procedure read and rewritten.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "../expert/ExpertTestSupport.h"
#include "../wizards/WizardTestSupport.h"
#include "browsers/VelmoricInheritance.h"
#include "browsers/VelmoricNewClasspas.h"
#include "browsers/VelmoricRegisterComponent.h"
#include "wizards/VelmoricNewProcedure.h"
#include "wizards/VelmoricNewPropertyEditor.h"

namespace {

const std::string ButtonsUnit =
    "unit Buttons;\n"
    "\n"
    "interface\n"
    "\n"
    "type\n"
    "  TControl2 = class\n"
    "  public\n"
    "    property Color: Integer read FColor;\n"
    "    property Text: string read FText;\n"
    "  end;\n"
    "  TEdit = class(TControl2)\n"
    "  public\n"
    "    property MaxLength: Integer read FMaxLength;\n"
    "  end;\n"
    "  TMemo = class(TControl2)\n"
    "  public\n"
    "    property Lines: TStrings read FLines;\n"
    "  end;\n"
    "  TBase = class\n"
    "  private\n"
    "    FCount: Integer;\n"
    "    procedure Hidden; virtual;\n"
    "  protected\n"
    "    procedure Paint(Canvas: TObject); virtual;\n"
    "  public\n"
    "    procedure Plain;\n"
    "    property Count: Integer read FCount write FCount;\n"
    "  end;\n"
    "  TMid = class(TBase)\n"
    "  protected\n"
    "    procedure Paint(Canvas: TObject); override;\n"
    "  end;\n"
    "  TMyButton = class(TMid)\n"
    "  private\n"
    "    FCaption: string;\n"
    "    Edit: TEdit;\n"
    "    Memo: TMemo;\n"
    "    procedure WMPaint(var Msg: TMessage); message WM_PAINT;\n"
    "  public\n"
    "    procedure Click;\n"
    "    procedure Press;\n"
    "    property Caption: string read FCaption write FCaption;\n"
    "  end;\n"
    "  TLoopA = class(TLoopB)\n"
    "  public\n"
    "    procedure Run; virtual;\n"
    "  end;\n"
    "  TLoopB = class(TLoopA)\n"
    "  public\n"
    "    procedure Run; override;\n"
    "  end;\n"
    "\n"
    "implementation\n"
    "\n"
    "procedure TBase.Hidden;\n"
    "begin\n"
    "end;\n"
    "\n"
    "{ Repaints.\n"
    "  Description: paints the base }\n"
    "procedure TBase.Paint(Canvas: TObject);\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TBase.Plain;\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TMid.Paint(Canvas: TObject);\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TMyButton.WMPaint(var Msg: TMessage);\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TMyButton.Click;\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TMyButton.Press;\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TLoopA.Run;\n"
    "begin\n"
    "end;\n"
    "\n"
    "procedure TLoopB.Run;\n"
    "begin\n"
    "end;\n"
    "\n"
    "initialization\n"
    "end.\n";

class ClassWizardTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    VclHost().ShowModal = [this](TCustomForm& Form) {
      if (auto* F = dynamic_cast<TFormVelmoricClasses*>(&Form)) {
        if (Work) Work(*F);
        return int(mrOk);
      }
      if (auto* F = dynamic_cast<TFormRegisterComponent*>(&Form)) {
        F->Edit1->SetText(Page);
        return int(mrOk);
      }
      if (auto* F = dynamic_cast<TFormVelmoricNewProcedure*>(&Form)) {
        ++ExpertShown;
        if (CreateInExpert) F->ButtonCreate->Click();
        return int(mrCancel);
      }
      if (auto* F = dynamic_cast<TFormVelmoricNewPropertyEditor*>(&Form)) {
        if (PropertyEditor) PropertyEditor(*F);
        return int(mrCancel);
      }
      return int(mrCancel);
    };
  }
  // Opens Text as Buttons.pas and runs the wizard on it with class Cls chosen.
  void Run(const std::string& Text, const std::string& Cls, std::function<void(TFormVelmoricClasses&)> Answer) {
    File = Open("Buttons.pas", Text);
    Session->RegisterExpert();
    Work = [Cls, Answer = std::move(Answer)](TFormVelmoricClasses& F) {
      if (!Cls.empty()) F.ComboBoxClass->Select(F.ComboBoxClass->Items()->IndexOf(Cls));
      Answer(F);
    };
    ASSERT_TRUE(IDE().PressShortCut(0x8057));  // Alt+W
  }
  std::vector<std::string> BufferLines() { return SplitLines(IDE().Buffer(File).Text()); }

  static std::string RowText(TDrawGrid* Grid, int Row) {
    std::string S;
    for (int C = 0; C < Grid->ColCount(); ++C) S += (C ? "|" : "") + Grid->PaintedText(C, Row);
    return S;
  }
  static std::vector<std::string> Rows(TDrawGrid* Grid) {
    std::vector<std::string> R;
    for (int I = 0; I < Grid->RowCount(); ++I) R.push_back(RowText(Grid, I));
    return R;
  }
  static std::vector<std::string> Items(TListBox* Box) {
    std::vector<std::string> R;
    for (int I = 0; I < Box->Items()->Count(); ++I) R.push_back(Box->Items()->Get(I));
    return R;
  }

  std::string File;
  std::string Page = "Samples";
  bool CreateInExpert = true;
  int ExpertShown = 0;
  std::function<void(TFormVelmoricClasses&)> Work;
  std::function<void(TFormVelmoricNewPropertyEditor&)> PropertyEditor;
};

using ::testing::ElementsAre;

TEST_F(ClassWizardTest, GridsListOwnInheritedAndMemberSymbolsOfTheChosenClass) {
  bool Ran = false;
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    Ran = true;
    EXPECT_EQ(F.Caption, "Inheritance Experte");
    EXPECT_EQ(F.ComboBoxClass->Items()->Count(), 8);
    // Three own methods: header, three rows, one empty row.
    EXPECT_EQ(F.DrawGridProcedures->RowCount(), 5);
    EXPECT_EQ(RowText(F.DrawGridProcedures, 0), "Type|Scope|Name|Class");
    EXPECT_EQ(RowText(F.DrawGridProcedures, 4), "|||");
    // Only the overridable ones: not the private virtual, not the static.
    EXPECT_THAT(Rows(F.DrawGridInherited),
                ElementsAre("Type|Scope|Name|Class", "Procedure|Protected override|Paint|TMid",
                            "Procedure|Protected virtual|Paint|TBase"));
    EXPECT_EQ(F.FMessageList->Count(), 1);
    EXPECT_EQ(RowText(F.DrawGridMessages, 1), "Procedure|Private|WMPaint|TMyButton");
    EXPECT_EQ(RowText(F.DrawGridVariables, 0), "Class|Name|Typ|");
    EXPECT_EQ(F.FVarList->Count(), 4);  // three own fields and TBase's FCount
    EXPECT_EQ(RowText(F.DrawGridVariables, 4), "TBase|FCount|Integer|Private");
    EXPECT_THAT(Rows(F.DrawGridProperties),
                ElementsAre("Class|Name|Typ|Read|Write", "TMyButton|Caption|string|FCaption|FCaption",
                            "TBase|Count|Integer|FCount|FCount"));
    EXPECT_THAT(Rows(F.DrawGridPropertyWithEdit), ElementsAre("Type|property|Editor", "string|Caption|"));
    // A click on an inherited row shows its comment from "Description:".
    F.DrawGridInherited->ClickCell(0, 2);
    EXPECT_EQ(Trim(F.MemoProcComment->Text()), "Description: paints the base");
    EXPECT_EQ(F.ButtonRegister->Caption, "Register");
    EXPECT_TRUE(F.ButtonRegister->Enabled);
  });
  EXPECT_TRUE(Ran);
}

TEST_F(ClassWizardTest, AncestorsDerivingFromEachOtherEndTheWalk) {
  Run(ButtonsUnit, "TLoopA", [&](TFormVelmoricClasses& F) {
    EXPECT_THAT(Rows(F.DrawGridInherited), ElementsAre("Type|Scope|Name|Class", "Procedure|Public override|Run|TLoopB"));
    EXPECT_EQ(F.FVarList->Count(), 0);
    EXPECT_EQ(F.FPropList->Count(), 0);
  });
}

TEST_F(ClassWizardTest, RightClickOnAHeaderSortsLeftClickDoesNot) {
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    auto Names = [&] {
      std::vector<std::string> N;
      for (int I = 1; I < F.DrawGridProcedures->RowCount() - 1; ++I) N.push_back(F.DrawGridProcedures->PaintedText(2, I));
      return N;
    };
    const std::vector<std::string> Before = Names();
    F.DrawGridProcedures->ClickCell(1, 0, mbLeft, ssLeft);
    EXPECT_EQ(Names(), Before);
    // By scope: the private message handler before the public methods.
    F.DrawGridProcedures->ClickCell(1, 0, mbRight, ssRight);
    // A selection sort: the smallest is swapped to the front.
    EXPECT_THAT(Names(), ElementsAre("WMPaint", "Press", "Click"));
    // By class: TBase's Paint before TMid's.
    F.DrawGridInherited->ClickCell(3, 0, mbRight, ssRight);
    EXPECT_EQ(F.DrawGridInherited->PaintedText(3, 1), "TBase");
    F.DrawGridVariables->ClickCell(1, 0, mbRight, ssRight);
    EXPECT_EQ(F.FVarList->Get(0), "Edit");
    EXPECT_EQ(F.DrawGridVariables->PaintedText(1, 4), "Memo");
  });
}

TEST_F(ClassWizardTest, ExportTabOffersThePropertiesTheSelectedObjectsShare) {
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    EXPECT_THAT(Items(F.ListBoxExportVariables), ElementsAre("Edit:TEdit", "Memo:TMemo"));
    F.ListBoxExportVariables->Select(0);
    EXPECT_THAT(Items(F.ListBoxExportProperties), ElementsAre("Color:Integer", "MaxLength:Integer", "Text:string"));
    EXPECT_EQ(F.LabelNumProperties->Caption, "3 Properties");
    F.ListBoxExportVariables->Select(1);
    EXPECT_THAT(Items(F.ListBoxExportProperties), ElementsAre("Color:Integer", "Text:string"));
    EXPECT_EQ(F.LabelNumProperties->Caption, "2 Properties");
  });
}

TEST_F(ClassWizardTest, InheritWritesTheOverridingMethodThroughTheClassExpert) {
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    F.DrawGridInherited->ClickCell(0, 2);  // TBase.Paint
    F.ButtonProcInherit->Click();
    EXPECT_EQ(ExpertShown, 1);
    // The new method is among the class's own now.
    EXPECT_EQ(F.DrawGridProcedures->RowCount(), 6);
  });
  const std::vector<std::string> L = BufferLines();
  // Declared in TMyButton, in a protected section of its own, with override.
  const auto Cls = std::find(L.begin(), L.end(), "  TMyButton = class(TMid)");
  const auto Decl = std::find(Cls, L.end(), "    Procedure Paint(Canvas : TObject); override; ");
  ASSERT_NE(Decl, L.end());
  EXPECT_EQ(*(Decl - 1), "    Protected");
  EXPECT_EQ(*(Decl + 1), "  end;");
  // The body calls the inherited method.
  const auto Impl = std::find(L.begin(), L.end(), "Procedure TMyButton.Paint(Canvas : TObject);");
  ASSERT_NE(Impl, L.end());
  EXPECT_EQ(*(Impl + 1), "begin");
  EXPECT_EQ(*(Impl + 2), "  inherited;");
  EXPECT_EQ(ParseFresh(IDE().Buffer(File).Text(), "Buttons.pas")->errors->Count(), 0);
}

TEST_F(ClassWizardTest, CancelledInheritWritesNothing) {
  CreateInExpert = false;
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    F.DrawGridInherited->ClickCell(0, 1);
    F.ButtonProcInherit->Click();
  });
  EXPECT_EQ(IDE().Buffer(File).Text(), ButtonsUnit);
}

TEST_F(ClassWizardTest, RegisteringWritesARegisterProcedureIntoAUnitWithoutOne) {
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    F.ButtonRegister->Click();
    EXPECT_EQ(F.ButtonRegister->Caption, "Unregister");
  });
  const std::vector<std::string> L = BufferLines();
  const auto Impl = std::find(L.begin(), L.end(), "implementation");
  ASSERT_NE(Impl, L.end());
  EXPECT_EQ(*(Impl - 1), "procedure Register;");
  const auto Init = std::find(L.begin(), L.end(), "initialization");
  ASSERT_NE(Init, L.end());
  EXPECT_THAT(std::vector<std::string>(Init - 4, Init),
              ElementsAre("procedure Register;", "begin", "   RegisterComponents('Samples',[TMyButton]);", "end;"));
  // The changed unit still parses without errors.
  EXPECT_EQ(ParseFresh(IDE().Buffer(File).Text(), "Buttons.pas")->errors->Count(), 0);
}

TEST_F(ClassWizardTest, NothingIsWrittenWithoutAChange) {
  Run(ButtonsUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    F.ButtonRegister->Click();
    F.ButtonRegister->Click();  // unregistered again: no Register procedure to write
  });
  EXPECT_EQ(IDE().Buffer(File).Text(), ButtonsUnit);
}

const std::string RegisteredUnit =
    "unit Reg;\n"
    "interface\n"
    "type\n"
    "  TMyButton = class\n"
    "  published\n"
    "    property Caption: string read FCaption write FCaption;\n"
    "  end;\n"
    "  TOther = class\n"
    "  end;\n"
    "  TCaptionProperty = class(TPropertyEditor)\n"
    "  end;\n"
    "procedure Register;\n"
    "implementation\n"
    "procedure Register;\n"
    "begin\n"
    "  Prepare;\n"
    "  RegisterComponents('Samples', [TMyButton, TOther]); Finish;\n"
    "  RegisterPropertyEditor(TypeInfo(string), TOther, 'Hint',\n"
    "    THintProperty);\n"
    "end;\n"
    "procedure Later;\n"
    "begin\n"
    "  RegisterComponents('Extra',[TLate]);\n"
    "end;\n"
    "end.\n";

TEST_F(ClassWizardTest, AnExistingRegisterIsReadAndOnlyItsRegistrationLinesAreReplaced) {
  Run(RegisteredUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    ASSERT_EQ(F.FRegistered->Count(), 4);
    auto* Hint = dynamic_cast<TPropertyEditorInfo*>(static_cast<TComponent*>(F.FRegistered->Get(2)));
    ASSERT_NE(Hint, nullptr);
    EXPECT_EQ(RegistrationLine(Hint), "   RegisterPropertyEditor(TypeInfo(string),TOther,'Hint',THintProperty);");
    EXPECT_EQ(F.ButtonRegister->Caption, "Unregister");
    F.ButtonRegister->Click();  // TMyButton's entry goes
    // TCaptionProperty applied to Caption.
    F.PageControl1->SetActivePage(F.TabSheetPropertyEditoren);
    F.PageControl1Change(nullptr);
    EXPECT_THAT(Items(F.ListBoxPropertyEditors), ElementsAre("TCaptionProperty"));
    F.ListBoxPropertyEditors->Select(0);
    F.DrawGridPropertyWithEdit->ClickCell(0, 1);
    F.SpeedButton2->Click();
    EXPECT_EQ(RowText(F.DrawGridPropertyWithEdit, 1), "string|Caption|TCaptionProperty");
  });
  EXPECT_THAT(BufferLines(),
              ElementsAre("unit Reg;", "interface", "type", "  TMyButton = class", "  published",
                          "    property Caption: string read FCaption write FCaption;", "  end;", "  TOther = class",
                          "  end;", "  TCaptionProperty = class(TPropertyEditor)", "  end;", "procedure Register;",
                          "implementation", "procedure Register;", "begin", "   RegisterComponents('Samples',[TOther]);",
                          "   RegisterPropertyEditor(TypeInfo(string),TOther,'Hint',THintProperty);",
                          "   RegisterComponents('Extra',[TLate]);",
                          "   RegisterPropertyEditor(Typinfo(string),TMyButton,'Caption',TCaptionProperty);",
                          "  Prepare;", "  Finish;", "end;", "procedure Later;", "begin", "end;", "end."));
}

TEST_F(ClassWizardTest, RemovingAPropertyEditorTakesItsEntryOut) {
  Run(RegisteredUnit, "TOther", [&](TFormVelmoricClasses& F) {
    F.ButtonRegister->Click();  // TOther unregistered
    F.ComboBoxClass->Select(F.ComboBoxClass->Items()->IndexOf("TMyButton"));
    F.PageControl1->SetActivePage(F.TabSheetPropertyEditoren);
    F.PageControl1Change(nullptr);
    F.ListBoxPropertyEditors->Select(0);
    F.SpeedButton2->Click();
    F.SpeedButton1->Click();
    EXPECT_EQ(RowText(F.DrawGridPropertyWithEdit, 1), "string|Caption|");
  });
  const std::string Text = IDE().Buffer(File).Text();
  EXPECT_EQ(Text.find("TOther]"), std::string::npos);
  EXPECT_EQ(Text.find("TCaptionProperty)"), std::string::npos);
  EXPECT_NE(Text.find("   RegisterComponents('Samples',[TMyButton]);\n"), std::string::npos);
}

TEST_F(ClassWizardTest, NewOnThePropertyEditorsTabWritesTheSkeletonAndListsTheEditor) {
  PropertyEditor = [](TFormVelmoricNewPropertyEditor& W) {
    EXPECT_EQ(W.ComboBoxBaseclass->Text(), "TPropertyEditor");
    W.EditName->SetText("TPagesProperty");
    W.ListBoxType->Select(0);  // paValueList
    W.MemoItems->SetText("One\nTwo");
    W.ButtonCreate->Click();
  };
  Run(RegisteredUnit, "TMyButton", [&](TFormVelmoricClasses& F) {
    F.PageControl1->SetActivePage(F.TabSheetPropertyEditoren);
    F.PageControl1Change(nullptr);
    F.ButtonProcNew->Click();
    EXPECT_THAT(Items(F.ListBoxPropertyEditors), ElementsAre("TCaptionProperty", "TPagesProperty"));
    // The lists hold the symbols of the new parse.
    EXPECT_EQ(F.ComboBoxClass->Text(), "TMyButton");
    EXPECT_THAT(Rows(F.DrawGridPropertyWithEdit), ElementsAre("Type|property|Editor", "string|Caption|"));
  });
  const std::string Text = IDE().Buffer(File).Text();
  EXPECT_NE(Text.find("type\n TPagesProperty = class(TPropertyEditor)\n"), std::string::npos);
  EXPECT_NE(Text.find("procedure TPagesProperty.GetValues(Proc: TGetStrProc); \nbegin\n   proc('One');\n"
                      "   proc('Two');\nend;\n"),
            std::string::npos);
}

TEST_F(ClassWizardTest, NewClassDialogDerivesIntoAUnitOrStartsANewOne) {
  File = Open("Buttons.pas", ButtonsUnit);
  Session->RegisterExpert();
  TFormVelmoricNewClass F(nullptr);
  F.Expert = Expert();
  F.FormShow(nullptr);
  F.EditClass->SetText("TBigButton");
  F.ComboBoxSourcefile->SetText(File);
  F.ComboBoxBaseclass->SetText("TMyButton");
  F.Button1->Click();
  EXPECT_EQ(F.ModalResult, mrOk);
  const std::vector<std::string> L = BufferLines();
  EXPECT_THAT(std::vector<std::string>(L.begin() + 4, L.begin() + 13),
              ElementsAre("type", "TBigButton = class(TMyButton)", "  private", "  protected", "  public",
                          "  published", "end;", "", "  TControl2 = class"));
  // Compiled into the memory project.
  EXPECT_NE(Expert()->Project->FindSymbol("TBigButton", typClass), nullptr);

  // A file that is not there starts as a whole unit.
  F.ModalResult = mrNone;
  F.EditClass->SetText("TGadget");
  F.ComboBoxBaseclass->SetText("");
  F.ComboBoxSourcefile->SetText(Dir.File("Gadgets.pas"));
  F.Button1->Click();
  EXPECT_EQ(F.ModalResult, mrOk);
  EXPECT_THAT(SplitLines(IDE().Buffer(Dir.File("Gadgets.pas")).Text()),
              ElementsAre("unit Gadgets;", "", "interface", "type", "  TGadget = class", "  private", "  protected",
                          "  public", "  published", "  private", "end;", "", "implementation", "end."));

  // Without a class name nothing is written and the dialog stays.
  F.ModalResult = mrNone;
  F.EditClass->SetText("");
  F.Button1->Click();
  EXPECT_EQ(F.ModalResult, mrNone);
  ASSERT_FALSE(Boxes.empty());
  EXPECT_EQ(Boxes.back().Text, "Enter the name of the class and of its base class.");
}

}  // namespace
