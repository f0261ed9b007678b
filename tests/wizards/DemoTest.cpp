// The class expert on the demo project of examples/: fields, properties, a
// virtual method with its comment block, an overriding destructor, a
// message handler, exported properties and a changed method, one after the
// other on the same buffers; the units still parse without new errors.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "WizardTestSupport.h"
#include "platform/vcl/VclHost.h"
#include "project/VelmoricProjectSettings.h"
#include "wizards/VelmoricNewProcedure.h"

namespace {

const std::string MessagesUnit =
    "unit Messages;\n"
    "interface\n"
    "const\n"
    "  WM_PAINT = $000F;\n"
    "type\n"
    "  TMessage = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "  TWMPaint = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "implementation\n"
    "end.\n";

class DemoTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    SavedPath = VelmoricPath;
    VelmoricPath = Dir.Path + "/";
    SavedHost = VclHost();
    const std::string Demo = std::string(VELMORIC_SOURCE_DIR) + "/examples/demo";
    for (const char* Name : {"Shapes.pas", "MainForm.pas"}) Files[Name] = Dir.Write(Name, ReadFileBytes(Demo + "/" + Name));
    Dir.Write("Messages.pas", MessagesUnit);
    Project = std::make_unique<TPascalProject>();
    for (const char* Name : {"Messages.pas", "Shapes.pas", "MainForm.pas"}) {
      const std::string Full = Dir.File(Name);
      Originals[Name] = ReadFileBytes(Full);
      ASSERT_TRUE(ToolServices->OpenFile(Full));
      TIModuleInterface* Module = ToolServices->GetModuleInterface(Full);
      TIEditorInterface* E = Module->GetEditorInterface();
      Module->Release();
      Sources[Name] = Project->CompileEditor(E);
      E->Release();
      ASSERT_NE(Sources[Name], nullptr);
    }
  }
  void TearDown() override {
    VclHost() = SavedHost;
    VelmoricPath = SavedPath;
    WizardTest::TearDown();
  }

  TOrvikSymbol* ClassOf(const std::string& Unit, const std::string& Name) {
    return Sources[Unit]->symbols.symbols->FindSymbol({typClass}, Name);
  }
  void Run(TOrvikSymbol* Context, const std::function<void(TFormVelmoricNewProcedure&)>& Work,
           TOrvikSymbol* Edit = nullptr) {
    auto Form = std::make_unique<TFormVelmoricNewProcedure>(nullptr);
    Form->Project = Project.get();
    Form->ContextSymbol = Context;
    Form->EditSymbol = Edit;
    Form->ChangeMode = Edit != nullptr;
    VclHost().ShowModal = [&](TCustomForm& F) {
      Work(static_cast<TFormVelmoricNewProcedure&>(F));
      return F.ModalResult;
    };
    EXPECT_EQ(Form->ShowModal(), mrOk);
  }
  std::string Text(const std::string& Unit) { return IDE->Buffer(Dir.File(Unit)).Text(); }
  static void Choose(TComboBox* Box, const std::string& Text) {
    const int I = Box->Items()->IndexOf(Text);
    ASSERT_GE(I, 0) << Text;
    Box->Select(I);
  }

  std::map<std::string, std::string> Files, Originals;
  std::map<std::string, TPascalSource*> Sources;
  TVclHost SavedHost;
  std::string SavedPath;
};

TEST_F(DemoTest, TheClassExpertBuildsOnTheDemo) {
  TOrvikSymbol* Shape = ClassOf("Shapes.pas", "TShape");
  ASSERT_NE(Shape, nullptr);
  // A private field.
  Run(Shape, [](TFormVelmoricNewProcedure& F) {
    F.PageControl1->SelectPage(F.TabSheetNewVariable);
    F.EditVarName->SetText("FTag");
    F.ComboBoxVarType->TypeText("Integer");
    F.ComboBoxVarScope->TypeText("private");
    F.ButtonCreate->Click();
  });
  EXPECT_NE(Text("Shapes.pas").find("  private\n      FTag:Integer;\n    FBounds: TRect;"), std::string::npos);
  // A property with get function and set procedure.
  Run(Shape, [](TFormVelmoricNewProcedure& F) {
    F.PageControl1->SelectPage(F.TabSheetProperty);
    F.EditNameProperty->SetText("Caption");
    F.ComboBoxPropType->TypeText("string");
    F.CheckBoxGet->Click();
    F.CheckBoxSet->Click();
    F.ButtonCreate->Click();
  });
  EXPECT_NE(Text("Shapes.pas").find("    property Caption : string read GetCaption write PutCaption;\n  end;"),
            std::string::npos);
  EXPECT_NE(Text("Shapes.pas").find("Function TShape.GetCaption:string;"), std::string::npos);
  // An array property.
  Run(ClassOf("Shapes.pas", "TShapeList"), [](TFormVelmoricNewProcedure& F) {
    F.PageControl1->SelectPage(F.TabSheetProperty);
    F.EditNameProperty->SetText("Weights");
    F.ComboBoxPropType->TypeText("Integer");
    Choose(F.ComboBoxPropArray, "integer");
    F.EditRange->SetText("0..9");
    F.CheckBoxGet->Click();
    F.CheckBoxSet->Click();
    F.ButtonCreate->Click();
  });
  EXPECT_NE(Text("Shapes.pas").find("      FWeights:array [0..9] of Integer;"), std::string::npos);
  EXPECT_NE(Text("Shapes.pas").find("property Weights [index:integer] : Integer read GetWeights write PutWeights;"),
            std::string::npos);
  // A virtual method with a comment block.
  Run(Shape, [](TFormVelmoricNewProcedure& F) {
    F.PageControl1->SelectPage(F.TabSheetNewProcedure);
    F.EditProcName->SetText("Resize");
    F.EditParameter->SetText("Factor: Double");
    F.CheckBoxVirtual->Click();
    F.MemoComment->SetText("Scales the shape around its centre");
    F.ButtonCreate->Click();
  });
  EXPECT_NE(Text("Shapes.pas").find("    Procedure Resize(Factor: Double); virtual; "), std::string::npos);
  EXPECT_NE(Text("Shapes.pas").find("// Scales the shape around its centre\n// ---"), std::string::npos);
  // An overriding destructor.
  Run(ClassOf("Shapes.pas", "TRectShape"), [](TFormVelmoricNewProcedure& F) {
    F.PageControl1->SelectPage(F.TabSheetNewProcedure);
    Choose(F.ComboBoxProctyp, "destructor");
    EXPECT_EQ(F.EditProcName->Text(), "Destroy");
    F.CheckBoxOverride->Click();
    F.ButtonCreate->Click();
  });
  EXPECT_NE(Text("Shapes.pas").find("Destructor TRectShape.Destroy;\nbegin\n  inherited;\n"), std::string::npos);
  // Changing an existing method's heading and comment.
  TOrvikSymbol* MoveBy = Shape->symbols->FindAnyFlatSymbol("MoveBy");
  ASSERT_NE(MoveBy, nullptr);
  Run(Shape, [](TFormVelmoricNewProcedure& F) {
    F.EditParameter->SetText("DX, DY: Integer; Redraw: Boolean");
    F.MemoComment->SetText("Moves the shape");
    F.ButtonCreate->Click();
  }, MoveBy);
  EXPECT_NE(Text("Shapes.pas").find("    Procedure MoveBy(DX, DY: Integer; Redraw: Boolean);\n"), std::string::npos);
  EXPECT_NE(Text("Shapes.pas").find("// Moves the shape\n// ---"), std::string::npos);

  TOrvikSymbol* Main = ClassOf("MainForm.pas", "TFormMain");
  ASSERT_NE(Main, nullptr);
  // A message handler from the messages unit.
  Run(Main, [](TFormVelmoricNewProcedure& F) {
    F.PageControl1->SelectPage(F.TabSheetMessages);
    Choose(F.ComboBoxMessage, "WM_PAINT");
    F.ButtonCreate->Click();
  });
  EXPECT_NE(Text("MainForm.pas").find("    Procedure OnWMPaint(var message : TWMPaint); message WM_PAINT; "),
            std::string::npos);
  // Exported properties of two buttons.
  {
    TSaveStringList Lines("lines", "test");
    Lines.Add("Caption:string");
    TList Objects;
    Objects.Add(Main->symbols->FindAnyFlatSymbol("ButtonRectangle"));
    Objects.Add(Main->symbols->FindAnyFlatSymbol("ButtonEllipse"));
    auto Form = std::make_unique<TFormVelmoricNewProcedure>(nullptr);
    Form->Project = Project.get();
    Form->ExportProperty(Lines, Objects, Main);
    VclHost().ShowModal = [&](TCustomForm& F) {
      static_cast<TFormVelmoricNewProcedure&>(F).ButtonCreate->Click();
      return F.ModalResult;
    };
    EXPECT_EQ(Form->ShowModal(), mrOk);
  }
  EXPECT_NE(Text("MainForm.pas").find("  ButtonRectangle.Caption := value;\n  ButtonEllipse.Caption := value;"),
            std::string::npos);

  // Both units parse as before, with the new members, and the kept model
  // agrees with a fresh parse.
  for (const char* Unit : {"Shapes.pas", "MainForm.pas"}) {
    SCOPED_TRACE(Unit);
    auto Fresh = ParseFresh(Text(Unit), Dir.File(Unit));
    EXPECT_EQ(ErrorList(*Fresh), ErrorList(*ParseFresh(Originals[Unit], Dir.File(Unit))));
    EXPECT_EQ(Positions(Sources[Unit]->symbols), Positions(Fresh->symbols));
  }
}

}  // namespace
