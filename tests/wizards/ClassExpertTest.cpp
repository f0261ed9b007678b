// The class expert dialog driven by its controls over editor buffers of the
// in-process IDE.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "WizardTestSupport.h"
#include "platform/vcl/VclHost.h"
#include "project/VelmoricProjectSettings.h"
#include "wizards/VelmoricNewProcedure.h"

namespace {

std::vector<std::string> Slice(const std::vector<std::string>& L, int From, int Count) {
  return std::vector<std::string>(L.begin() + From, L.begin() + From + Count);
}

const std::string ShopUnit =
    "unit Shop;\n"                                  // 0
    "\n"                                            // 1
    "interface\n"                                   // 2
    "\n"                                            // 3
    "uses Classes;\n"                               // 4
    "\n"                                            // 5
    "type\n"                                        // 6
    "  TOrder = class(TComponent)\n"                // 7
    "  private\n"                                   // 8
    "    FTotal: Integer;\n"                        // 9
    "  public\n"                                    // 10
    "    procedure Clear(All: Boolean);\n"          // 11
    "  end;\n"                                      // 12
    "\n"                                            // 13
    "  TCart = class(TComponent)\n"                 // 14
    "  public\n"                                    // 15
    "    constructor Create(AOwner: TComponent);\n" // 16
    "    destructor Destroy; override;\n"           // 17
    "    procedure Notification(AComponent: TComponent; Operation: TOperation); override;\n"  // 18
    "  end;\n"                                      // 19
    "\n"                                            // 20
    "implementation\n"                              // 21
    "\n"                                            // 22
    "// ------\n"                                   // 23
    "// procedure TOrder Clear(All: Boolean)\n"     // 24
    "// Created : Ann 01.01.99 10:00:00\n"          // 25
    "//\n"                                          // 26
    "// Parameters:\n"                              // 27
    "// All :everything\n"                          // 28
    "//\n"                                          // 29
    "// Description:\n"                             // 30
    "// Empties the order\n"                        // 31
    "// ------\n"                                   // 32
    "procedure TOrder.Clear(All: Boolean);\n"       // 33
    "begin\n"                                       // 34
    "  FTotal := 0;\n"                              // 35
    "end;\n"                                        // 36
    "\n"                                            // 37
    "constructor TCart.Create(AOwner: TComponent);\n"  // 38
    "begin\n"                                       // 39
    "  inherited Create(AOwner);\n"                 // 40
    "end;\n"                                        // 41
    "\n"                                            // 42
    "destructor TCart.Destroy;\n"                   // 43
    "begin\n"                                       // 44
    "  inherited Destroy;\n"                        // 45
    "end;\n"                                        // 46
    "\n"                                            // 47
    "procedure TCart.Notification(AComponent: TComponent; Operation: TOperation);\n"  // 48
    "begin\n"                                       // 49
    "end;\n"                                        // 50
    "\n"                                            // 51
    "end.\n";                                       // 52

const std::string MessagesUnit =
    "unit Messages;\n"
    "interface\n"
    "const\n"
    "  WM_PAINT = $000F;\n"
    "  WM_KEYDOWN = $0100;\n"
    "type\n"
    "  TMessage = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "  TWMKeyDown = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "  TWMPaint = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "implementation\n"
    "end.\n";

class ClassExpertTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    SavedPath = VelmoricPath;
    VelmoricPath = Dir.Path + "/";
    velmoricVariables->Clear();
    SavedHost = VclHost();
  }
  void TearDown() override {
    VclHost() = SavedHost;
    velmoricVariables->Clear();
    VelmoricPath = SavedPath;
    WizardTest::TearDown();
  }

  // Opens the dialog with the opener's settings (Setup) and works it as the
  // user would (Work); returns the modal result.
  int Run(const std::function<void(TFormVelmoricNewProcedure&)>& Setup,
          const std::function<void(TFormVelmoricNewProcedure&)>& Work) {
    auto Form = std::make_unique<TFormVelmoricNewProcedure>(nullptr);
    Form->Project = Project.get();
    Setup(*Form);
    VclHost().ShowModal = [&](TCustomForm& F) {
      Work(static_cast<TFormVelmoricNewProcedure&>(F));
      return F.ModalResult;
    };
    const int Result = Form->ShowModal();
    Caption = Form->Caption;
    return Result;
  }
  static void Choose(TComboBox* Box, const std::string& Text) {
    const int I = Box->Items()->IndexOf(Text);
    ASSERT_GE(I, 0) << Text;
    Box->Select(I);
  }
  // The shop unit, with the messages unit parsed into its project.
  void LoadShopWithMessages() {
    const std::string MessagesFile = Dir.Write("Messages.pas", MessagesUnit);
    Load(ShopUnit, "Shop.pas");
    ASSERT_TRUE(ToolServices->OpenFile(MessagesFile));
    TIModuleInterface* Module = ToolServices->GetModuleInterface(MessagesFile);
    TIEditorInterface* MsgEditor = Module->GetEditorInterface();
    Module->Release();
    ASSERT_NE(Project->CompileEditor(MsgEditor), nullptr);
    MsgEditor->Release();
    ASSERT_TRUE(ToolServices->OpenFile(FileName));
  }
  int IndexOfLine(const std::string& Line) const {
    const auto L = BufferLines();
    for (size_t I = 0; I < L.size(); ++I)
      if (L[I] == Line) return int(I);
    return -1;
  }

  TVclHost SavedHost;
  std::string SavedPath;
  std::string Caption;
};

TEST_F(ClassExpertTest, NewMethodWithCommentBlock) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  std::string ShownCaption, AfterCreate;
  const int R = Run(
      [&](TFormVelmoricNewProcedure& F) {
        F.ContextSymbol = Order;
        F.EditProcName->SetText("Total");
      },
      [&](TFormVelmoricNewProcedure& F) {
        ShownCaption = F.Caption;
        F.PageControl1->SelectPage(F.TabSheetNewProcedure);
        F.EditParameter->SetText("Discount: real");
        F.ComboBoxResult->TypeText("real");
        F.MemoComment->SetText("Sums all lines");
        F.ButtonCreate->Click();
        AfterCreate = F.Caption;
      });
  EXPECT_EQ(R, mrOk);
  EXPECT_EQ(ShownCaption, "New symbol");
  EXPECT_EQ(AfterCreate, "Shop Class expert");
  const auto L = BufferLines();
  EXPECT_EQ(L[12], "    Function Total(Discount: real):real;");
  const int H = IndexOfLine("Function TOrder.Total(Discount: real):real;");
  ASSERT_GT(H, 12);
  EXPECT_EQ(L[H - 12], "// " + std::string(72, '-'));
  EXPECT_EQ(L[H - 11], "// function TOrder Total(Discount: real)");
  EXPECT_EQ(L[H - 10].substr(0, 13), "// Created : ");
  EXPECT_EQ(L[H - 8], "// Parameters:");
  EXPECT_EQ(L[H - 7], "// Discount :");
  EXPECT_EQ(L[H - 5], "// Description:");
  EXPECT_EQ(L[H - 4], "// Sums all lines");
  EXPECT_EQ(L[H + 2], "  // Velmoric: Insert your code here");
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, ChangeModeKeepsKindScopeAndTheCreationStamp) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  ASSERT_NE(Clear, nullptr);
  std::string Kind, Scope, Memo, Button;
  bool VariableTabVisible = true, NameEnabled = true;
  Run(
      [&](TFormVelmoricNewProcedure& F) {
        F.EditSymbol = Clear;
        F.ContextSymbol = Clear->Parent;
        F.ChangeMode = true;
      },
      [&](TFormVelmoricNewProcedure& F) {
        Kind = F.ComboBoxProctyp->Text();
        Scope = F.ComboBoxProcScope->Text();
        Memo = F.MemoComment->Text();
        Button = F.ButtonCreate->Caption;
        VariableTabVisible = F.TabSheetNewVariable->TabVisible();
        NameEnabled = F.EditProcName->Enabled;
        F.EditParameter->SetText("all: Boolean; Depth: Integer");
        F.CheckBoxVirtual->Click();
        F.ButtonCreate->Click();
      });
  EXPECT_EQ(Caption, "Shop Class expert");
  EXPECT_EQ(Kind, "procedure");
  EXPECT_EQ(Scope, "public");
  EXPECT_EQ(Memo, "Empties the order");
  EXPECT_EQ(Button, "Change");
  EXPECT_FALSE(VariableTabVisible);
  EXPECT_FALSE(NameEnabled);
  const auto L = BufferLines();
  EXPECT_EQ(L[11], "    Procedure Clear(all: Boolean; Depth: Integer); virtual; ");
  const int H = IndexOfLine("procedure TOrder.Clear(All: Boolean);");
  ASSERT_GT(H, 0);
  EXPECT_EQ(L[H - 1], "// " + std::string(72, '-'));
  EXPECT_EQ(L[H - 2], "// Empties the order");
  EXPECT_EQ(L[H - 6], "// all   :everything");
  EXPECT_EQ(L[H - 5], "// Depth :");
  EXPECT_EQ(L[H - 9], "// created : ann 01.01.99 10:00:00");
  EXPECT_EQ(L.size(), SplitLines(Original).size() + 1);
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, VariableWithConstructionInANewConstructorAndDestructor) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Order; },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetNewVariable);
        F.EditVarName->SetText("FItems");
        F.ComboBoxVarType->TypeText("TStringList");
        F.EditConstructor->SetText("FItems := TStringList.Create");
        F.EditDestructor->SetText("FItems.Free");
        F.ComboBoxVarScope->TypeText("private");
        F.ComboBoxConstructorPos->Select(1);
        F.ButtonCreate->Click();
      });
  const auto L = BufferLines();
  EXPECT_EQ(L[9], "      FItems:TStringList;");
  EXPECT_NE(IndexOfLine("    Constructor Create;"), -1);
  EXPECT_NE(IndexOfLine("    Destructor Destroy;"), -1);
  const int C = IndexOfLine("Constructor TOrder.Create;");
  ASSERT_GT(C, 0);
  EXPECT_EQ(L[C + 2], "   FItems := TStringList.Create");
  const int D = IndexOfLine("Destructor TOrder.Destroy;");
  ASSERT_GT(D, 0);
  EXPECT_EQ(L[D + 2], "FItems.Free");
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, VariableWithConstructionInTheExistingConstructorAndDestructor) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Cart = Find("TCart", {typClass});
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Cart; },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetNewVariable);
        F.EditVarName->SetText("FList");
        F.ComboBoxVarType->TypeText("TList");
        F.EditConstructor->SetText("FList := TList.Create");
        F.EditDestructor->SetText("FList.Free");
        F.ComboBoxConstructorPos->Select(1);
        F.ButtonCreate->Click();
      });
  const int C = IndexOfLine("constructor TCart.Create(AOwner: TComponent);");
  const auto L = BufferLines();
  EXPECT_EQ(L[C + 2], "  inherited Create(AOwner);");
  EXPECT_EQ(L[C + 3], "   FList := TList.Create");
  EXPECT_EQ(L[C + 4], "end;");
  const int D = IndexOfLine("destructor TCart.Destroy;");
  EXPECT_EQ(L[D + 3], "   FList.Free");
  EXPECT_EQ(L[D + 4], "end;");
  EXPECT_EQ(IndexOfLine("    Constructor Create;"), -1);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, PropertyWithGetAndSet) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  std::string Get, Put, Var;
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Order; },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetProperty);
        F.EditNameProperty->SetText("count");
        Get = F.EditGet->Text();
        Put = F.EditPut->Text();
        Var = F.ComboBoxPropVariable->Text();
        F.CheckBoxGet->Click();
        F.CheckBoxSet->Click();
        F.ButtonCreate->Click();
      });
  EXPECT_EQ(Get, "GetCount");
  EXPECT_EQ(Put, "PutCount");
  EXPECT_EQ(Var, "FCount");
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 8, 3), (std::vector<std::string>{"  private", "      FCount:integer;" + std::string(59, ' ') +
                                                                   "//Variable used in property",
                                                      "    FTotal: Integer;"}));
  EXPECT_NE(IndexOfLine("    Function GetCount:integer;"), -1);
  EXPECT_NE(IndexOfLine("    Procedure PutCount(value : integer);"), -1);
  EXPECT_NE(IndexOfLine("    Published"), -1);
  EXPECT_NE(IndexOfLine("    property count : integer read GetCount write PutCount;"), -1);
  const int G = IndexOfLine("Function TOrder.GetCount:integer;");
  EXPECT_EQ(L[G + 2], "  result := FCount;");
  const int P = IndexOfLine("Procedure TOrder.PutCount(value : integer);");
  EXPECT_EQ(L[P + 2], "  FCount := value;");
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, ArrayPropertyAndHiddenProperty) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Order; },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetProperty);
        F.EditNameProperty->SetText("Count");
        Choose(F.ComboBoxPropArray, "integer");
        F.EditRange->SetText("0..9");
        F.CheckBoxGet->Click();
        F.CheckBoxSet->Click();
        F.ButtonCreate->Click();
      });
  EXPECT_NE(IndexOfLine("    Function GetCount(index : integer):integer;"), -1);
  EXPECT_NE(IndexOfLine("    Procedure PutCount(index :integer; value : integer);"), -1);
  EXPECT_NE(IndexOfLine("    property Count [index:integer] : integer read GetCount write PutCount;"), -1);
  EXPECT_NE(BufferText().find("      FCount:array [0..9] of integer;"), std::string::npos);
  EXPECT_NE(BufferText().find("  result := FCount[index];"), std::string::npos);
  EXPECT_NE(BufferText().find("  FCount[index] := value;"), std::string::npos);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();

  Load(ShopUnit, "Shop2.pas");
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Find("TOrder", {typClass}); },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetProperty);
        F.EditNameProperty->SetText("Secret");
        F.CheckBoxGet->Click();
        F.CheckBoxHide->Click();
        EXPECT_FALSE(F.CheckBoxGet->Checked);
        EXPECT_FALSE(F.EditGet->Enabled);
        F.ButtonCreate->Click();
      });
  EXPECT_NE(IndexOfLine("    property Secret : integer read FDummy;"), -1);
  EXPECT_NE(BufferText().find("      FDummy:integer;"), std::string::npos);
  EXPECT_EQ(BufferText().find("GetSecret"), std::string::npos);
}

TEST_F(ClassExpertTest, NotificationIsCreatedOrFilled) {
  Load(ShopUnit, "Shop.pas");
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Find("TOrder", {typClass}); },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetProperty);
        F.EditNameProperty->SetText("Link");
        F.ComboBoxPropType->TypeText("TComponent");
        F.CheckBoxUpdateNotification->Click();
        EXPECT_TRUE(F.CheckBoxSet->Checked);
        F.ButtonCreate->Click();
      });
  const std::string Clearing = "   if (operation = opRemove) and (AComponent = Link) then Link := NIL;";
  EXPECT_NE(IndexOfLine("    Procedure Notification(AComponent: TComponent; Operation: TOperation); override; "), -1);
  int N = IndexOfLine("Procedure TOrder.Notification(AComponent: TComponent; Operation: TOperation);");
  ASSERT_GT(N, 0);
  auto L = BufferLines();
  EXPECT_EQ(L[N + 2], "  inherited;");
  EXPECT_EQ(L[N + 3], Clearing);
  EXPECT_NE(BufferText().find("     value.FreeNotification(self);"), std::string::npos);
  ExpectTreeMatchesBuffer();

  // TCart's Notification has no statements: the clearing one goes inside.
  Load(ShopUnit, "Shop2.pas");
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Find("TCart", {typClass}); },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetProperty);
        F.EditNameProperty->SetText("Link");
        F.ComboBoxPropType->TypeText("TComponent");
        F.CheckBoxUpdateNotification->Click();
        F.ButtonCreate->Click();
      });
  L = BufferLines();
  N = IndexOfLine("procedure TCart.Notification(AComponent: TComponent; Operation: TOperation);");
  EXPECT_EQ(Slice(L, N, 4), (std::vector<std::string>{L[N], "begin", Clearing, "end;"}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, MessageHandler) {
  LoadShopWithMessages();
  std::string Struct, Name;
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Find("TOrder", {typClass}); },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetMessages);
        Choose(F.ComboBoxMessage, "WM_KEYDOWN");
        Struct = F.ComboBoxMessageStruct->Text();
        Name = F.EditMessageName->Text();
        F.ButtonCreate->Click();
      });
  EXPECT_EQ(Struct, "TWMKeyDown");
  EXPECT_EQ(Name, "OnWMKeydown");
  EXPECT_NE(IndexOfLine("    Procedure OnWMKeydown(var message : TWMKeyDown); message WM_KEYDOWN; "), -1);
  const int H = IndexOfLine("Procedure TOrder.OnWMKeydown(var message : TWMKeyDown);");
  ASSERT_GT(H, 0);
  EXPECT_NE(BufferText().find("// procedure TOrder OnWMKeydown(var message : TWMKeyDown)"), std::string::npos);
  EXPECT_NE(BufferText().find("// MessageHandler"), std::string::npos);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

// A message without a structure (a messages unit that declares TMessage
// other than as a record) gets the generic TMessage, never an empty type.
TEST_F(ClassExpertTest, MessageHandlerWithoutAStructureTakesTMessage) {
  LoadShopWithMessages();
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Find("TOrder", {typClass}); },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetMessages);
        Choose(F.ComboBoxMessage, "WM_PAINT");
        F.ComboBoxMessageStruct->TypeText("");
        F.ButtonCreate->Click();
      });
  EXPECT_NE(IndexOfLine("    Procedure OnWMPaint(var message : TMessage); message WM_PAINT; "), -1) << BufferText();
  EXPECT_NE(IndexOfLine("Procedure TOrder.OnWMPaint(var message : TMessage);"), -1);
  ExpectTreeMatchesBuffer();
}

TEST_F(ClassExpertTest, ExportedPropertiesCombinedAndSeparate) {
  const std::string Text =
      "unit Panel;\n"
      "interface\n"
      "type\n"
      "  TDuo = class\n"
      "  public\n"
      "    Edit1: TEdit;\n"
      "    Edit2: TEdit;\n"
      "  end;\n"
      "implementation\n"
      "\n"
      "end.\n";
  Load(Text, "Panel.pas");
  TOrvikSymbol* Duo = Find("TDuo", {typClass});
  TSaveStringList Lines("lines", "test");
  Lines.Add("Text:string");
  TList Objects;
  Objects.Add(Find("Edit1", {typVar}));
  Objects.Add(Find("Edit2", {typVar}));
  std::vector<std::string> Preview;
  Run([&](TFormVelmoricNewProcedure& F) { F.ExportProperty(Lines, Objects, Duo); },
      [&](TFormVelmoricNewProcedure& F) {
        for (int I = 0; I < F.ListBoxExportedPropertes->Items()->Count(); ++I)
          Preview.push_back(F.ListBoxExportedPropertes->Items()->Get(I));
        EXPECT_EQ(F.PageControl1->ActivePage(), F.TabSheetExport);
        F.ButtonCreate->Click();
      });
  EXPECT_EQ(Preview, (std::vector<std::string>{"CombineText:string"}));
  EXPECT_NE(IndexOfLine("    property CombineText : string read GetCombineText write PutCombineText;"), -1);
  int G = IndexOfLine("Function TDuo.GetCombineText:string;");
  ASSERT_GT(G, 0);
  auto L = BufferLines();
  EXPECT_EQ(L[G + 2], " result := Edit1.Text;");
  const int P = IndexOfLine("Procedure TDuo.PutCombineText(value : string);");
  EXPECT_EQ(Slice(L, P + 2, 2), (std::vector<std::string>{"  Edit1.Text := value;", "  Edit2.Text := value;"}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();

  Load(Text, "Panel2.pas");
  Duo = Find("TDuo", {typClass});
  Objects.Clear();
  Objects.Add(Find("Edit1", {typVar}));
  Objects.Add(Find("Edit2", {typVar}));
  Preview.clear();
  Run([&](TFormVelmoricNewProcedure& F) { F.ExportProperty(Lines, Objects, Duo); },
      [&](TFormVelmoricNewProcedure& F) {
        F.CheckBoxCombine->Click();
        for (int I = 0; I < F.ListBoxExportedPropertes->Items()->Count(); ++I)
          Preview.push_back(F.ListBoxExportedPropertes->Items()->Get(I));
        F.ButtonCreate->Click();
      });
  EXPECT_EQ(Preview, (std::vector<std::string>{"Edit1Text:string", "Edit2Text:string"}));
  EXPECT_NE(IndexOfLine("    property Edit1Text : string read GetEdit1Text write PutEdit1Text;"), -1);
  EXPECT_NE(IndexOfLine("    property Edit2Text : string read GetEdit2Text write PutEdit2Text;"), -1);
  L = BufferLines();
  G = IndexOfLine("Function TDuo.GetEdit2Text:string;");
  EXPECT_EQ(L[G + 2], " result := Edit2.Text;");
  ExpectTreeMatchesBuffer();
}

TEST_F(ClassExpertTest, LocalVariableAndRememberedDefaults) {
  Dir.Write("defaults.dat", "name=Count\r\ntyp=Cardinal\r\ncomment=how many\r\n");
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  std::string Type, Comment, Scope;
  TTabSheet* Page = nullptr;
  Run(
      [&](TFormVelmoricNewProcedure& F) {
        F.ContextSymbol = Clear;
        F.EditProcName->SetText("Count");
      },
      [&](TFormVelmoricNewProcedure& F) {
        Type = F.ComboBoxVarType->Text();
        Comment = F.EditVarComment->Text();
        Scope = F.ComboBoxVarScope->Text();
        Page = F.PageControl1->ActivePage();
        EXPECT_EQ(Page, F.TabSheetNewVariable);
        F.ButtonCreate->Click();
      });
  EXPECT_EQ(Type, "Cardinal");
  EXPECT_EQ(Comment, "how many");
  EXPECT_EQ(Scope, "local");
  const auto L = BufferLines();
  const int H = IndexOfLine("procedure TOrder.Clear(All: Boolean);");
  EXPECT_EQ(L[H + 1], "var");
  EXPECT_EQ(L[H + 2], "      Count:Cardinal;" + std::string(59, ' ') + "//how many");
  EXPECT_EQ(L[H + 3], "begin");
  // The class got no field of that name.
  EXPECT_EQ(Find("TOrder", {typClass})->symbols->FindAnyFlatSymbol("Count"), nullptr);
  EXPECT_NE(ReadFileBytes(Dir.File("defaults.dat")).find("name=Count\r\ntyp=Cardinal\r\ncomment=how many\r\nname=Count"),
            std::string::npos);
  ExpectOneUndoRestores();
}

TEST_F(ClassExpertTest, CancelAndNoClassGenerateNothing) {
  Load(ShopUnit, "Shop.pas");
  EXPECT_EQ(Run([](TFormVelmoricNewProcedure&) {}, [](TFormVelmoricNewProcedure& F) { F.Button1->Click(); }),
            mrCancel);
  EXPECT_EQ(Run([](TFormVelmoricNewProcedure&) {},
                [](TFormVelmoricNewProcedure& F) {
                  F.PageControl1->SelectPage(F.TabSheetNewProcedure);
                  F.ComboBoxClass1->TypeText("TNowhere");
                  F.EditProcName->SetText("Lost");
                  F.ButtonCreate->Click();
                }),
            mrOk);
  EXPECT_EQ(BufferText(), Original);
  EXPECT_FALSE(IDE->Undo(FileName));
}

}  // namespace

namespace {

TEST_F(ClassExpertTest, AClassIsNotRewrittenAsAVariable) {
  Load(ShopUnit, "Shop.pas");
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  std::vector<std::string> Boxes;
  VclHost().MessageBox = [&](const TMessageBoxRequest& R) {
    Boxes.push_back(R.Text);
    return int(mrOk);
  };
  const int R = Run(
      [&](TFormVelmoricNewProcedure& F) {
        F.EditSymbol = Order;
        F.ChangeMode = true;
      },
      [&](TFormVelmoricNewProcedure& F) { F.ButtonCreate->Click(); });
  EXPECT_NE(R, mrOk);
  EXPECT_EQ(Boxes, (std::vector<std::string>{"TOrder can not be changed here"}));
  EXPECT_EQ(BufferText(), Original);
}

}  // namespace

namespace {

// A used unit declares a class of the same name, listed first in the class
// boxes: the dialog works on the class it was opened on, and the other unit
// is neither opened nor changed.
TEST_F(ClassExpertTest, TheNamesakeOfTheClassInAnotherUnitIsLeftAlone) {
  const std::string Other =
      "unit ZOther;\ninterface\ntype\n  TOrder = class\n  public\n    procedure Clear(All: Boolean);\n"
      "  end;\nimplementation\nprocedure TOrder.Clear(All: Boolean);\nbegin\nend;\nend.\n";
  const std::string OtherFile = Dir.Write("ZOther.pas", Other);
  std::string Shop = ShopUnit;
  Shop.replace(Shop.find("uses Classes;"), 13, "uses Classes, ZOther;");
  const std::string SavedSearch = AdditionalSearchPath;
  AdditionalSearchPath = Dir.Path;
  Load(Shop, "Shop.pas");
  AdditionalSearchPath = SavedSearch;
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  ASSERT_NE(Clear, nullptr);
  TOrvikSymbol* Order = Clear->Parent;
  TOrvikSymbol* FirstOrder = nullptr;
  Run(
      [&](TFormVelmoricNewProcedure& F) {
        F.EditSymbol = Clear;
        F.ContextSymbol = Order;
        F.ChangeMode = true;
      },
      [&](TFormVelmoricNewProcedure& F) {
        const int First = F.ComboBoxClass1->Items()->IndexOf("TOrder");
        if (First >= 0) FirstOrder = static_cast<TOrvikSymbol*>(F.ComboBoxClass1->Items()->Objects(First));
        F.EditParameter->SetText("All: Boolean; Depth: Integer");
        F.ButtonCreate->Click();
      });
  ASSERT_NE(FirstOrder, nullptr);
  ASSERT_NE(FirstOrder, Order);  // the namesake comes first
  EXPECT_EQ(BufferLines()[11], "    Procedure Clear(All: Boolean; Depth: Integer);");
  // New members of the class the dialog was opened on.
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Order; },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetNewVariable);
        F.EditVarName->SetText("FTax");
        F.ComboBoxVarType->TypeText("Integer");
        F.ComboBoxVarScope->TypeText("private");
        F.ButtonCreate->Click();
      });
  Run([&](TFormVelmoricNewProcedure& F) { F.ContextSymbol = Order; },
      [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SelectPage(F.TabSheetProperty);
        F.EditNameProperty->SetText("Rate");
        F.ButtonCreate->Click();
      });
  EXPECT_NE(IndexOfLine("      FTax:Integer;"), -1) << BufferText();
  EXPECT_NE(IndexOfLine("    property Rate : integer read FRate write FRate;"), -1);
  EXPECT_FALSE(ToolServices->IsFileOpen(OtherFile));
  EXPECT_EQ(ReadFileBytes(OtherFile), Other);
}

}  // namespace
