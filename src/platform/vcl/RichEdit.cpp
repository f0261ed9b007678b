#include "platform/vcl/RichEdit.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <set>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ScriptHooks.h"

namespace {

// The formatting of the last copied selection, for a paste of the same text.
struct TRichClipboard {
  std::string Text;
  std::string Rtf;
};

TRichClipboard& RichClipboard() {
  static TRichClipboard Clip;
  return Clip;
}

}  // namespace


namespace {
std::vector<std::string> ReadScreenFontNames() {
  std::set<std::string, bool (*)(const std::string&, const std::string&)> Names(
      [](const std::string& A, const std::string& B) { return CompareText(A, B) < 0; });
  if (FcConfig* Config = FcInitLoadConfigAndFonts()) {
    FcPattern* Pattern = FcPatternCreate();
    FcObjectSet* Wanted = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* Set = FcFontList(Config, Pattern, Wanted)) {
      for (int I = 0; I < Set->nfont; ++I) {
        FcChar8* Family = nullptr;
        if (FcPatternGetString(Set->fonts[I], FC_FAMILY, 0, &Family) == FcResultMatch && Family)
          Names.insert(reinterpret_cast<const char*>(Family));
      }
      FcFontSetDestroy(Set);
    }
    FcObjectSetDestroy(Wanted);
    FcPatternDestroy(Pattern);
    FcConfigDestroy(Config);
  }
  if (Names.empty())
    for (const char* F : {"Arial", "Courier New", "MS Sans Serif", "Symbol", "Times New Roman"}) Names.insert(F);
  return {Names.begin(), Names.end()};
}
}  // namespace

std::vector<std::string> ScreenFontNames() {
  // Read once: the font configuration is slow to load.
  static const std::vector<std::string> Names = ReadScreenFontNames();
  return Names;
}

// ------------------------------------------------------------- attributes

TCharFormat TTextAttributes::Get() const {
  const TRichTextDocument& D = FOwner.FDoc;
  if (FDefault) return D.DefaultFormat;
  if (FOwner.FInsertFormat && FOwner.FSelLength == 0) return *FOwner.FInsertFormat;
  if (D.Empty()) return D.DefaultFormat;
  const int Pos = FOwner.FSelStart;
  if (FOwner.FSelLength > 0) return D.FormatAt(Pos);
  int Start = 0;
  const int P = D.ParagraphAt(Pos, &Start);
  if (Pos > Start) return D.FormatAt(Pos - 1);
  if (D.Paragraph(P).Runs.empty()) return D.DefaultFormat;
  return D.FormatAt(Pos);
}

void TTextAttributes::Change(const std::function<void(TCharFormat&)>& Fn) {
  if (FDefault) {
    Fn(FOwner.FDoc.DefaultFormat);
    return;
  }
  if (FOwner.FSelLength > 0) {
    FOwner.FDoc.ApplyFormat(FOwner.FSelStart, FOwner.FSelLength, Fn);
    FOwner.Changed();
    return;
  }
  TCharFormat F = Get();
  Fn(F);
  FOwner.FInsertFormat = std::make_unique<TCharFormat>(F);
}

void TTextAttributes::SetName(const std::string& Value) {
  Change([&](TCharFormat& F) { F.FontName = Value; });
}
void TTextAttributes::SetSize(int Points) {
  const int Half = std::clamp(Points, 1, 1638) * 2;
  Change([&](TCharFormat& F) { F.HalfPoints = Half; });
}
void TTextAttributes::SetColor(TColor Value) {
  Change([&](TCharFormat& F) { F.Color = Value; });
}
void TTextAttributes::SetHidden(bool Value) {
  Change([&](TCharFormat& F) { F.Hidden = Value; });
}

TFontStyles TTextAttributes::Style() const {
  const TCharFormat F = Get();
  return (F.Bold ? fsBold : 0) | (F.Italic ? fsItalic : 0) | (F.Underline || F.DoubleUnderline ? fsUnderline : 0) |
         (F.StrikeOut ? fsStrikeOut : 0);
}

void TTextAttributes::SetStyle(TFontStyles Value) {
  Change([&](TCharFormat& F) {
    F.Bold = Value & fsBold;
    F.Italic = Value & fsItalic;
    if (!(Value & fsUnderline)) F.DoubleUnderline = false;
    F.Underline = Value & fsUnderline;
    F.StrikeOut = Value & fsStrikeOut;
  });
}

void TTextAttributes::Assign(const TFont& Font) {
  const int Points = Font.Height < 0 ? (-Font.Height * 72 + 48) / 96 : std::max(Font.Height, 1);
  Change([&](TCharFormat& F) {
    F.FontName = Font.Name;
    F.HalfPoints = std::clamp(Points, 1, 1638) * 2;
    F.Color = Font.Color;
    F.Bold = Font.Bold;
  });
}

TParaFormat TParaAttributes::Get() const {
  const TRichTextDocument& D = FOwner.FDoc;
  if (D.Empty()) return {};
  return D.Paragraph(D.ParagraphAt(FOwner.FSelStart)).Format;
}

void TParaAttributes::Change(const std::function<void(TParaFormat&)>& Fn) {
  FOwner.FDoc.ApplyParaFormat(FOwner.FSelStart, FOwner.FSelLength, Fn);
  FOwner.Changed();
}

void TParaAttributes::SetAlignment(TAlignment Value) {
  Change([&](TParaFormat& F) { F.Alignment = Value; });
}
void TParaAttributes::SetNumbering(TNumberingStyle Value) {
  Change([&](TParaFormat& F) { F.Numbering = Value; });
}
void TParaAttributes::SetFirstIndent(int Points) {
  Change([&](TParaFormat& F) { F.FirstIndent = Points * 20; });
}
void TParaAttributes::SetLeftIndent(int Points) {
  Change([&](TParaFormat& F) { F.LeftIndent = Points * 20; });
}
void TParaAttributes::SetRightIndent(int Points) {
  Change([&](TParaFormat& F) { F.RightIndent = Points * 20; });
}

// ------------------------------------------------------------------ lines

void TRichEditStrings::CheckIndex(int Index, int Max) const {
  if (Index < 0 || Index > Max) throw EStringListError(Format("List index out of bounds (%d)", Index));
}

std::string TRichEditStrings::Get(int Index) const {
  CheckIndex(Index, GetCount() - 1);
  return FOwner.FDoc.Paragraph(Index).Text();
}

int TRichEditStrings::GetCount() const { return FOwner.FDoc.ParagraphCount(); }

void TRichEditStrings::Put(int Index, const std::string& S) {
  CheckIndex(Index, GetCount() - 1);
  TRichTextDocument& D = FOwner.FDoc;
  int Start = 0;
  for (int I = 0; I < Index; ++I) Start += D.Paragraph(I).Length() + 2;
  const int Len = D.Paragraph(Index).Length();
  D.Replace(Start, Len, S, Len ? D.FormatAt(Start) : D.DefaultFormat);
  FOwner.ClampSelection();
  FOwner.Changed();
}

void TRichEditStrings::Clear() { FOwner.Clear(); }

void TRichEditStrings::Delete(int Index) {
  CheckIndex(Index, GetCount() - 1);
  FOwner.FDoc.DeleteParagraph(Index);
  FOwner.ClampSelection();
  FOwner.Changed();
}

void TRichEditStrings::Insert(int Index, const std::string& S) {
  CheckIndex(Index, GetCount());
  TRichTextDocument& D = FOwner.FDoc;
  TCharFormat F = D.DefaultFormat;
  if (!D.Empty()) {
    const TParagraph& Near = D.Paragraph(std::min(Index, D.ParagraphCount() - 1));
    if (!Near.Runs.empty()) F = Index < D.ParagraphCount() ? Near.Runs.front().Format : Near.Runs.back().Format;
  }
  D.InsertParagraph(Index, "", F);
  int Start = 0;
  for (int I = 0; I < Index; ++I) Start += D.Paragraph(I).Length() + 2;
  D.Replace(Start, 0, S, F);
  FOwner.ClampSelection();
  FOwner.Changed();
}

std::string TRichEditStrings::GetText() const { return TStrings::GetText(); }

void TRichEditStrings::SetText(std::string_view Text) {
  FOwner.FDoc.LoadText(Text);
  FOwner.ClampSelection();
  FOwner.Changed();
}

void TRichEditStrings::LoadFromStream(TStream& Stream) {
  std::string Bytes;
  char Buf[8192];
  for (;;) {
    const int32_t N = Stream.Read(Buf, sizeof Buf);
    if (N <= 0) break;
    Bytes.append(Buf, static_cast<size_t>(N));
  }
  if (FOwner.PlainText)
    FOwner.FDoc.LoadText(Bytes);
  else
    FOwner.FDoc.LoadRtf(Bytes);
  FOwner.FSelStart = FOwner.FSelLength = 0;
  FOwner.Changed();
  FOwner.SelectionChanged();
}

void TRichEditStrings::SaveToStream(TStream& Stream) const {
  const std::string Bytes = FOwner.PlainText ? GetText() : FOwner.RtfText();
  if (!Bytes.empty()) Stream.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
}

void TRichEditStrings::LoadFromFile(const std::string& FileName) {
  TStringStream S(ReadFileBytes(FileName));
  LoadFromStream(S);
}

void TRichEditStrings::SaveToFile(const std::string& FileName) const {
  TStringStream S;
  SaveToStream(S);
  WriteFileBytes(FileName, S.DataString());
}

// ---------------------------------------------------------------- control

TRichEdit::TRichEdit(TComponent* AOwner) : TWinControl(AOwner) { TabStop = true; }

TRichEdit::~TRichEdit() { BeginDestroy(); }

void TRichEdit::Changed() {
  if (OnChange && !Destroying()) OnChange(this);
}

void TRichEdit::SelectionChanged() {
  FInsertFormat.reset();
  if (OnSelectionChange && !Destroying()) OnSelectionChange(this);
}

void TRichEdit::ClampSelection() {
  const int End = FDoc.Empty() ? 0 : FDoc.TextLength() + 2;
  FSelStart = std::clamp(FSelStart, 0, FDoc.TextLength());
  FSelLength = std::clamp(FSelLength, 0, End - FSelStart);
}

void TRichEdit::SetText(const std::string& Value) {
  FDoc.LoadText(Value);
  FSelStart = FSelLength = 0;
  Changed();
  SelectionChanged();
}

void TRichEdit::Clear() {
  FDoc.Clear();
  FSelStart = FSelLength = 0;
  Changed();
  SelectionChanged();
}

void TRichEdit::SetSelStart(int Value) {
  FSelStart = Value;
  FSelLength = 0;
  ClampSelection();
  SelectionChanged();
}

void TRichEdit::SetSelLength(int Value) {
  FSelLength = Value;
  ClampSelection();
  SelectionChanged();
}

void TRichEdit::Select(int Start, int Length) {
  FSelStart = Start;
  FSelLength = Length;
  ClampSelection();
  SelectionChanged();
}

void TRichEdit::SelectAll() { Select(0, FDoc.TextLength()); }

std::string TRichEdit::SelText() const {
  std::string T = FDoc.Range(FSelStart, FSelLength).Text();
  if (FSelLength > 0 && FSelStart + FSelLength > FDoc.TextLength()) T += "\r\n";  // the final paragraph mark
  return T;
}

void TRichEdit::SetSelText(const std::string& Value) {
  const TCharFormat F = FSelAttributes.Get();
  const int Before = FDoc.TextLength();
  const int Replaced = std::min(FSelLength, Before - FSelStart);
  FDoc.Replace(FSelStart, FSelLength, Value, F);
  FSelStart += FDoc.TextLength() - (Before - Replaced);
  FSelLength = 0;
  ClampSelection();
  Changed();
  SelectionChanged();
}

void TRichEdit::SetRtfText(std::string_view Rtf) {
  FDoc.LoadRtf(Rtf);
  FSelStart = FSelLength = 0;
  Changed();
  SelectionChanged();
}

std::string TRichEdit::SelRtf() const {
  TRichTextDocument D = FDoc.Range(FSelStart, FSelLength);
  if (FSelLength > 0 && FSelStart + FSelLength > FDoc.TextLength())
    D.InsertParagraph(D.ParagraphCount(), "", FDoc.DefaultFormat);
  return D.SaveRtf();
}

void TRichEdit::SetSelRtf(std::string_view Rtf) {
  TRichTextDocument D;
  D.DefaultFormat = FDoc.DefaultFormat;
  D.LoadRtf(Rtf);
  FDoc.Replace(FSelStart, FSelLength, "", FSelAttributes.Get());
  const int Before = FDoc.TextLength();
  FDoc.InsertDocument(FSelStart, D);
  FSelStart += FDoc.TextLength() - Before;
  FSelLength = 0;
  ClampSelection();
  Changed();
  SelectionChanged();
}

void TRichEdit::CopyToClipboard() {
  if (FSelLength <= 0) return;
  const std::string Text = SelText();
  Clipboard().SetAsText(Text);
  RichClipboard() = {Text, SelRtf()};
}

void TRichEdit::CutToClipboard() {
  if (FSelLength <= 0 || ReadOnly) return;
  CopyToClipboard();
  SetSelText("");
}

void TRichEdit::PasteFromClipboard() {
  if (ReadOnly) return;
  const std::string Text = Clipboard().AsText();
  if (!RichClipboard().Rtf.empty() && Text == RichClipboard().Text)
    SetSelRtf(RichClipboard().Rtf);
  else
    SetSelText(Text);
}

void TRichEdit::TypeText(const std::string& Value) {
  if (ReadOnly || !Enabled) return;
  SetSelText(Value);
  Modified = true;
}

void TRichEdit::Print(const std::string& Caption) {
  if (VclHost().PrintRichText) VclHost().PrintRichText(Caption, FDoc);
}

void TRichEdit::ChangeDocument(const std::function<void(TRichTextDocument&)>& Fn) {
  Fn(FDoc);
  ClampSelection();
  Changed();
}

void TRichEdit::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  if (FDoc.Empty()) return;
  const std::string Text = FDoc.VisibleText();
  size_t Start = 0;
  for (;;) {
    const size_t End = Text.find("\r\n", Start);
    Lines.push_back("  | " + Text.substr(Start, End == std::string::npos ? std::string::npos : End - Start));
    if (End == std::string::npos) break;
    Start = End + 2;
  }
}

bool TRichEdit::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "set") {
    ScriptCheckArgs(Verb, Args, 1, 1);
    if (ReadOnly) throw EScriptError(ScriptName(*this) + " is read-only");
    SelectAll();
    TypeText(Args[0]);
    return true;
  }
  if (Verb == "select") {
    ScriptCheckArgs(Verb, Args, 2, 2);
    Select(ScriptNumber(Args[0], "start"), ScriptNumber(Args[1], "length"));
    return true;
  }
  return TWinControl::ScriptAction(Verb, Args);
}
