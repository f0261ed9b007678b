#include "help/VelmoricFormatBar.h"

#include <cstdio>
#include <cstdlib>

#include "platform/vcl/FormBuilding.h"

namespace {

TSpeedButton* BarButton(TComponent* Owner, TPanel* Panel, const char* Name, const char* Caption, int Left) {
  auto* B = MakeControl<TSpeedButton>(Owner, Panel, Name, Left, 2, 23, 22);
  B->Caption = Caption;
  return B;
}

struct TNamedColor {
  const char* Name;
  TColor Color;
};

const TNamedColor NamedColors[] = {
    {"Black", clBlack}, {"Maroon", clMaroon}, {"Green", clGreen},     {"Olive", clOlive},
    {"Navy", clNavy},   {"Purple", clPurple}, {"Teal", clTeal},       {"Gray", clGray},
    {"Silver", clSilver}, {"Red", clRed},     {"Lime", clLime},       {"Yellow", clYellow},
    {"Blue", clBlue},   {"Fuchsia", clFuchsia}, {"Aqua", clAqua},     {"White", clWhite},
};

}  // namespace

std::string VelmoricColorToString(TColor Color) {
  for (const TNamedColor& N : NamedColors)
    if (N.Color == Color) return N.Name;
  char Buf[16];
  std::snprintf(Buf, sizeof Buf, "$%08X", static_cast<unsigned>(Color));
  return Buf;
}

bool VelmoricStringToColor(const std::string& Text, TColor& Color) {
  const std::string T = Trim(Text);
  for (const TNamedColor& N : NamedColors)
    if (SameText(T, N.Name) || SameText(T, std::string("cl") + N.Name)) {
      Color = N.Color;
      return true;
    }
  const bool Hex = !T.empty() && T[0] == '$';
  const std::string Digits = Hex ? T.substr(1) : T;
  if (Digits.empty() || Digits.size() > 8 ||
      Digits.find_first_not_of(Hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    return false;
  const unsigned long V = std::strtoul(Digits.c_str(), nullptr, Hex ? 16 : 10);
  if (V > 0xFFFFFF) return false;
  Color = static_cast<TColor>(V);
  return true;
}

// ------------------------------------------------------------------ the bar

TVelmoricFormatBar::TVelmoricFormatBar(TComponent* Owner, TPanel* APanel, TRichEdit* Edit,
                                       const std::string& DefaultFont, int DefaultSize)
    : Panel(APanel), FEdit(Edit) {
  SpeedButtonBold = BarButton(Owner, Panel, "SpeedButtonBold", "B", 4);
  SpeedButtonItalic = BarButton(Owner, Panel, "SpeedButtonItalic", "I", 28);
  SpeedButtonUnderline = BarButton(Owner, Panel, "SpeedButtonUnderline", "U", 52);
  for (TSpeedButton* B : {SpeedButtonBold, SpeedButtonItalic, SpeedButtonUnderline})
    B->OnClick = [this](TObject* S) { ApplyStyle(S); };
  ComboBoxFont = MakeControl<TComboBox>(Owner, Panel, "ComboBoxFont", 80, 2, 120, 21);
  for (const std::string& F : ScreenFontNames()) ComboBoxFont->Items()->Add(F);
  ComboBoxFont->SetText(DefaultFont);
  ComboBoxFont->OnChange = [this](TObject*) {
    if (!FUpdating && !ComboBoxFont->Text().empty()) FEdit->SelAttributes()->SetName(ComboBoxFont->Text());
  };
  ComboBoxSize = MakeControl<TComboBox>(Owner, Panel, "ComboBoxSize", 204, 2, 44, 21);
  for (int Size = 8; Size <= 24; Size += 2) ComboBoxSize->Items()->Add(IntToStr(Size));
  ComboBoxSize->SetText(IntToStr(DefaultSize));
  ComboBoxSize->OnChange = [this](TObject*) {
    const int Size = StrToIntDef(ComboBoxSize->Text(), 0);
    if (!FUpdating && Size > 0) FEdit->SelAttributes()->SetSize(Size);
  };
  SpeedButtonLeft = BarButton(Owner, Panel, "SpeedButtonLeft", "L", 252);
  SpeedButtonCenter = BarButton(Owner, Panel, "SpeedButtonCenter", "C", 276);
  SpeedButtonRight = BarButton(Owner, Panel, "SpeedButtonRight", "R", 300);
  SpeedButtonLeft->OnClick = [this](TObject*) { FEdit->Paragraph()->SetAlignment(taLeftJustify); };
  SpeedButtonCenter->OnClick = [this](TObject*) { FEdit->Paragraph()->SetAlignment(taCenter); };
  SpeedButtonRight->OnClick = [this](TObject*) { FEdit->Paragraph()->SetAlignment(taRightJustify); };
  SpeedButtonBullet = BarButton(Owner, Panel, "SpeedButtonBullet", "*", 328);
  SpeedButtonBullet->OnClick = [this](TObject*) {
    TParaAttributes* P = FEdit->Paragraph();
    P->SetNumbering(P->Numbering() == nsBullet ? nsNone : nsBullet);
  };
  SpeedButtonColor = BarButton(Owner, Panel, "SpeedButtonColor", "A", 356);
  SpeedButtonColor->Hint = "Colour";
  SpeedButtonColor->OnClick = [this](TObject*) { ColorClick(); };
  Font.Name = DefaultFont;
  Font.Height = -DefaultSize * 96 / 72;
}

void TVelmoricFormatBar::SelectionChanged() {
  if (FUpdating) return;
  FUpdating = true;
  TTextAttributes* A = FEdit->SelAttributes();
  const TFontStyles Style = A->Style();
  SpeedButtonBold->Down = Style & fsBold;
  SpeedButtonItalic->Down = Style & fsItalic;
  SpeedButtonUnderline->Down = Style & fsUnderline;
  ComboBoxFont->SetText(A->Name());
  ComboBoxSize->SetText(IntToStr(A->Size()));
  const TAlignment Al = FEdit->Paragraph()->Alignment();
  SpeedButtonLeft->Down = Al == taLeftJustify;
  SpeedButtonCenter->Down = Al == taCenter;
  SpeedButtonRight->Down = Al == taRightJustify;
  SpeedButtonBullet->Down = FEdit->Paragraph()->Numbering() == nsBullet;
  Font.Name = A->Name();
  Font.Height = A->Height();
  Font.Color = A->Color();
  Font.Bold = Style & fsBold;
  FUpdating = false;
}

void TVelmoricFormatBar::ApplyStyle(TObject* Sender) {
  TTextAttributes* A = FEdit->SelAttributes();
  TFontStyles Style = A->Style();
  const TFontStyles Bit = Sender == SpeedButtonBold ? fsBold : Sender == SpeedButtonItalic ? fsItalic : fsUnderline;
  Style = (Style & Bit) ? (Style & ~Bit) : (Style | Bit);
  A->SetStyle(Style);
  SelectionChanged();
}

void TVelmoricFormatBar::ColorClick() {
  SelectionChanged();
  TColor Color = Font.Color;
  TFormVelmoricColor Dialog(nullptr);
  if (!Dialog.Execute(Color)) return;
  // The font as shown, in the new colour, goes back onto the selection.
  Font.Color = Color;
  const TFontStyles Style = FEdit->SelAttributes()->Style();
  FEdit->SelAttributes()->Assign(Font);
  FEdit->SelAttributes()->SetStyle(Style);
  SelectionChanged();
}

// ------------------------------------------------------------ colour window

TFormVelmoricColor::TFormVelmoricColor(TComponent* AOwner) : TForm(AOwner) {
  SetName("FormVelmoricColor");
  Caption = "Color";
  SetBounds(Left(), Top(), 220, 100);
  ComboBoxColor = MakeControl<TComboBox>(this, this, "ComboBoxColor", 8, 8, 196, 21);
  for (const TNamedColor& N : NamedColors) ComboBoxColor->Items()->Add(N.Name);
  ButtonOK = MakeControl<TButton>(this, this, "ButtonOK", 48, 40, 75, 25);
  ButtonOK->Caption = "OK";
  ButtonOK->ModalResult = mrOk;
  ButtonCancel = MakeControl<TButton>(this, this, "ButtonCancel", 128, 40, 75, 25);
  ButtonCancel->Caption = "Cancel";
  ButtonCancel->ModalResult = mrCancel;
}

bool TFormVelmoricColor::Execute(TColor& Value) {
  ComboBoxColor->SetText(VelmoricColorToString(Value));
  if (ShowModal() != mrOk) return false;
  TColor Chosen;
  if (!VelmoricStringToColor(ComboBoxColor->Text(), Chosen)) return false;
  Value = Chosen;
  return true;
}
