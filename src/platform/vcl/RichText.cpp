#include "platform/vcl/RichText.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "platform/rtl/SysUtils.h"

namespace {

constexpr int MaxGroupDepth = 512;

bool IsLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

// Splits at CR LF, LF or CR.
std::vector<std::string_view> SplitLines(std::string_view Text) {
  std::vector<std::string_view> Lines;
  size_t Start = 0;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] != '\r' && Text[I] != '\n') continue;
    Lines.push_back(Text.substr(Start, I - Start));
    if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    Start = I + 1;
  }
  Lines.push_back(Text.substr(Start));
  return Lines;
}

}  // namespace

// ---------------------------------------------------------------- paragraphs

std::string TParagraph::Text() const {
  std::string T;
  for (const TTextRun& R : Runs) T += R.Text;
  return T;
}

int TParagraph::Length() const {
  size_t N = 0;
  for (const TTextRun& R : Runs) N += R.Text.size();
  return static_cast<int>(N);
}

std::string TRichTextDocument::Text() const {
  std::string T;
  for (size_t I = 0; I < FParagraphs.size(); ++I) {
    if (I) T += "\r\n";
    T += FParagraphs[I].Text();
  }
  return T;
}

int TRichTextDocument::TextLength() const {
  int N = 0;
  for (size_t I = 0; I < FParagraphs.size(); ++I) N += FParagraphs[I].Length() + (I ? 2 : 0);
  return N;
}

std::string TRichTextDocument::VisibleText() const {
  std::string T;
  for (size_t I = 0; I < FParagraphs.size(); ++I) {
    if (I) T += "\r\n";
    for (const TTextRun& R : FParagraphs[I].Runs)
      if (!R.Format.Hidden && !R.Format.Footnote) T += R.Text;
  }
  return T;
}

void TRichTextDocument::Locate(int Pos, int& P, int& Offset) const {
  P = -1;
  Offset = 0;
  int Start = 0;
  for (size_t I = 0; I < FParagraphs.size(); ++I) {
    const int Len = FParagraphs[I].Length();
    P = static_cast<int>(I);
    if (Pos <= Start + Len) {
      Offset = std::max(0, Pos - Start);
      return;
    }
    Start += Len + 2;
    if (Pos < Start) {
      Offset = Len;
      return;
    }
    Offset = Len;
  }
}

int TRichTextDocument::ParagraphAt(int Pos, int* Start) const {
  int P = 0, Offset = 0;
  Locate(Pos, P, Offset);
  if (Start) {
    int S = 0;
    for (int I = 0; I < P; ++I) S += FParagraphs[I].Length() + 2;
    *Start = S;
  }
  return P;
}

int TRichTextDocument::SplitRun(int P, int Offset) {
  auto& Runs = FParagraphs[P].Runs;
  int Acc = 0;
  for (size_t I = 0; I < Runs.size(); ++I) {
    const int Len = static_cast<int>(Runs[I].Text.size());
    if (Acc == Offset) return static_cast<int>(I);
    if (Offset < Acc + Len) {
      TTextRun Tail{Runs[I].Text.substr(Offset - Acc), Runs[I].Format};
      Runs[I].Text.resize(Offset - Acc);
      Runs.insert(Runs.begin() + I + 1, std::move(Tail));
      return static_cast<int>(I) + 1;
    }
    Acc += Len;
  }
  return static_cast<int>(Runs.size());
}

void TRichTextDocument::Normalize(int P) {
  auto& Runs = FParagraphs[P].Runs;
  std::vector<TTextRun> Out;
  for (TTextRun& R : Runs) {
    if (R.Text.empty()) continue;
    if (!Out.empty() && Out.back().Format == R.Format)
      Out.back().Text += R.Text;
    else
      Out.push_back(std::move(R));
  }
  Runs = std::move(Out);
}

void TRichTextDocument::Replace(int Start, int Length, std::string_view Text, const TCharFormat& Format) {
  const int Total = TextLength();
  Start = std::clamp(Start, 0, Total);
  Length = std::clamp(Length, 0, Total - Start);
  if (FParagraphs.empty()) {
    if (Text.empty()) return;
    FParagraphs.emplace_back();
  }
  int Pa = 0, Oa = 0, Pb = 0, Ob = 0;
  Locate(Start, Pa, Oa);
  Locate(Start + Length, Pb, Ob);
  if (Pa == Pb) {
    const int Ia = SplitRun(Pa, Oa);
    const int Ib = SplitRun(Pa, std::max(Oa, Ob));
    auto& Runs = FParagraphs[Pa].Runs;
    Runs.erase(Runs.begin() + Ia, Runs.begin() + Ib);
  } else {
    const int Ib = SplitRun(Pb, Ob);
    std::vector<TTextRun> Tail(FParagraphs[Pb].Runs.begin() + Ib, FParagraphs[Pb].Runs.end());
    const int Ia = SplitRun(Pa, Oa);
    auto& Runs = FParagraphs[Pa].Runs;
    Runs.erase(Runs.begin() + Ia, Runs.end());
    Runs.insert(Runs.end(), Tail.begin(), Tail.end());
    FParagraphs.erase(FParagraphs.begin() + Pa + 1, FParagraphs.begin() + Pb + 1);
  }
  // Control characters other than tabs and line ends are dropped.
  std::string Clean;
  Clean.reserve(Text.size());
  for (char C : Text)
    if (static_cast<unsigned char>(C) >= 0x20 || C == '\t' || C == '\r' || C == '\n') Clean += C;
  const std::vector<std::string_view> Lines = SplitLines(Clean);
  const int Idx = SplitRun(Pa, Oa);
  auto& Runs = FParagraphs[Pa].Runs;
  if (Lines.size() == 1) {
    Runs.insert(Runs.begin() + Idx, TTextRun{std::string(Lines[0]), Format});
  } else {
    std::vector<TTextRun> Tail(Runs.begin() + Idx, Runs.end());
    Runs.erase(Runs.begin() + Idx, Runs.end());
    Runs.push_back({std::string(Lines[0]), Format});
    TParaFormat PF = FParagraphs[Pa].Format;
    PF.PageBreakBefore = false;
    std::vector<TParagraph> New;
    for (size_t I = 1; I < Lines.size(); ++I) {
      TParagraph NP;
      NP.Format = PF;
      NP.Runs.push_back({std::string(Lines[I]), Format});
      New.push_back(std::move(NP));
    }
    New.back().Runs.insert(New.back().Runs.end(), Tail.begin(), Tail.end());
    FParagraphs.insert(FParagraphs.begin() + Pa + 1, New.begin(), New.end());
  }
  for (size_t I = Pa; I < std::min(FParagraphs.size(), Pa + Lines.size()); ++I) Normalize(static_cast<int>(I));
  if (FParagraphs.size() == 1 && FParagraphs[0].Runs.empty() && Text.empty() && Start == 0 && Length == Total)
    FParagraphs.clear();
}

void TRichTextDocument::InsertParagraph(int Index, std::string_view Text, const TCharFormat& Format) {
  Index = std::clamp(Index, 0, ParagraphCount());
  TParagraph P;
  if (!FParagraphs.empty()) P.Format = FParagraphs[std::min(Index, ParagraphCount() - 1)].Format;
  P.Format.PageBreakBefore = false;
  if (!Text.empty()) P.Runs.push_back({std::string(Text), Format});
  FParagraphs.insert(FParagraphs.begin() + Index, std::move(P));
}

void TRichTextDocument::DeleteParagraph(int Index) {
  if (Index < 0 || Index >= ParagraphCount()) return;
  FParagraphs.erase(FParagraphs.begin() + Index);
}

void TRichTextDocument::InsertDocument(int Pos, const TRichTextDocument& Other) {
  if (Other.FParagraphs.empty()) return;
  if (FParagraphs.empty()) {
    FParagraphs = Other.FParagraphs;
    return;
  }
  int P = 0, O = 0;
  Locate(std::clamp(Pos, 0, TextLength()), P, O);
  const int Idx = SplitRun(P, O);
  auto& Runs = FParagraphs[P].Runs;
  std::vector<TTextRun> Tail(Runs.begin() + Idx, Runs.end());
  Runs.erase(Runs.begin() + Idx, Runs.end());
  const auto& First = Other.FParagraphs[0].Runs;
  Runs.insert(Runs.end(), First.begin(), First.end());
  if (Other.FParagraphs.size() == 1) {
    Runs.insert(Runs.end(), Tail.begin(), Tail.end());
    Normalize(P);
    return;
  }
  FParagraphs.insert(FParagraphs.begin() + P + 1, Other.FParagraphs.begin() + 1, Other.FParagraphs.end());
  const int Last = P + static_cast<int>(Other.FParagraphs.size()) - 1;
  FParagraphs[Last].Runs.insert(FParagraphs[Last].Runs.end(), Tail.begin(), Tail.end());
  Normalize(P);
  Normalize(Last);
}

TRichTextDocument TRichTextDocument::Range(int Start, int Length) const {
  TRichTextDocument D = *this;
  const int Total = D.TextLength();
  Start = std::clamp(Start, 0, Total);
  Length = std::clamp(Length, 0, Total - Start);
  D.Replace(Start + Length, Total - Start - Length, "", DefaultFormat);
  D.Replace(0, Start, "", DefaultFormat);
  if (Length == 0) D.Clear();
  return D;
}

TCharFormat TRichTextDocument::FormatAt(int Pos) const {
  if (FParagraphs.empty()) return DefaultFormat;
  int P = 0, O = 0;
  Locate(Pos, P, O);
  const auto& Runs = FParagraphs[P].Runs;
  int Acc = 0;
  for (const TTextRun& R : Runs) {
    if (O < Acc + static_cast<int>(R.Text.size())) return R.Format;
    Acc += static_cast<int>(R.Text.size());
  }
  return Runs.empty() ? DefaultFormat : Runs.back().Format;
}

void TRichTextDocument::ApplyFormat(int Start, int Length, const std::function<void(TCharFormat&)>& Change) {
  if (Length <= 0 || FParagraphs.empty()) return;
  int Pa = 0, Oa = 0, Pb = 0, Ob = 0;
  Locate(Start, Pa, Oa);
  Locate(Start + Length, Pb, Ob);
  for (int P = Pa; P <= Pb; ++P) {
    const int From = P == Pa ? Oa : 0;
    const int To = P == Pb ? Ob : FParagraphs[P].Length();
    if (To <= From) continue;
    const int I1 = SplitRun(P, From);
    const int I2 = SplitRun(P, To);
    for (int I = I1; I < I2; ++I) Change(FParagraphs[P].Runs[I].Format);
    Normalize(P);
  }
}

void TRichTextDocument::ApplyParaFormat(int Start, int Length, const std::function<void(TParaFormat&)>& Change) {
  if (FParagraphs.empty()) FParagraphs.emplace_back();
  int Pa = 0, Oa = 0, Pb = 0, Ob = 0;
  Locate(Start, Pa, Oa);
  Locate(Start + std::max(Length, 0), Pb, Ob);
  for (int P = Pa; P <= Pb; ++P) Change(FParagraphs[P].Format);
}

void TRichTextDocument::LoadText(std::string_view Text) {
  FParagraphs.clear();
  Replace(0, 0, Text, DefaultFormat);
}

// ------------------------------------------------------------------ reader

class TRtfReader {
 public:
  TRtfReader(TRichTextDocument& ADoc, std::string_view AIn) : Doc(ADoc), In(AIn) {}

  void Run() {
    Doc.FParagraphs.clear();
    TRtfState Base;
    Base.Char = Doc.DefaultFormat;
    Base.Char.FontName.clear();
    Base.Char.HalfPoints = 24;
    Stack.push_back(Base);
    while (Pos < In.size() && !Done) {
      const char C = In[Pos++];
      if (C == '{') {
        OpenGroup();
      } else if (C == '}') {
        CloseGroup();
      } else if (C == '\\') {
        ControlWord();
      } else if (C == '\t') {
        Emit('\t');
      } else if (static_cast<unsigned char>(C) >= 0x20) {
        Emit(C);
      }
    }
    std::string DefaultFont = Fonts.count(Deff) ? Fonts[Deff] : std::string();
    if (DefaultFont.empty()) DefaultFont = Doc.DefaultFormat.FontName;
    for (int P = 0; P < Doc.ParagraphCount(); ++P) {
      for (TTextRun& R : Doc.FParagraphs[P].Runs)
        if (R.Format.FontName.empty()) R.Format.FontName = DefaultFont;
      Doc.Normalize(P);
    }
  }

 private:
  enum TDest { dText, dSkip, dFontTable, dColorTable, dFootnote, dPn };
  struct TRtfState {
    TCharFormat Char;
    TParaFormat Para;
    TDest Dest = dText;
    int Uc = 1;
    int PnOwner = -1;
  };

  TRtfState& S() { return Stack.back(); }

  void OpenGroup() {
    SkipChars = 0;
    NextIgnorable = false;
    if (Stack.size() >= MaxGroupDepth) {
      ++Overflow;
      return;
    }
    Stack.push_back(Stack.back());
  }

  void CloseGroup() {
    SkipChars = 0;
    NextIgnorable = false;
    if (Overflow > 0) {
      --Overflow;
      return;
    }
    if (S().Dest == dFontTable && !FontName.empty()) CommitFont();
    if (Stack.size() <= 2) {
      Done = Stack.size() == 2;
      if (Stack.size() == 2) Stack.pop_back();
      return;
    }
    Stack.pop_back();
  }

  void CommitFont() {
    std::string Name = Trim(FontName);
    if (!Name.empty() && Name.back() == ';') Name.pop_back();
    Fonts[CurFont] = Trim(Name);
    FontName.clear();
  }

  void ControlWord() {
    if (Pos >= In.size()) return;
    const char C = In[Pos];
    if (!IsLetter(C)) {
      ++Pos;
      switch (C) {
        case '\\':
        case '{':
        case '}': Emit(C); break;
        case '~': Emit(static_cast<char>(0xA0)); break;
        case '_': Emit('-'); break;
        case '*': NextIgnorable = true; break;
        case '\r':
        case '\n': Word("par", false, 0); break;
        case '\'': {
          const int H = Pos < In.size() ? HexValue(In[Pos]) : -1;
          const int L = Pos + 1 < In.size() ? HexValue(In[Pos + 1]) : -1;
          if (H >= 0 && L >= 0) {
            Pos += 2;
            Emit(static_cast<char>(H * 16 + L));
          }
          break;
        }
        default: break;
      }
      return;
    }
    std::string Name;
    while (Pos < In.size() && IsLetter(In[Pos])) {
      if (Name.size() < 32) Name += In[Pos];
      ++Pos;
    }
    bool HasParam = false, Negative = false;
    long long Param = 0;
    if (Pos < In.size() && In[Pos] == '-' && Pos + 1 < In.size() && IsDigit(In[Pos + 1])) {
      Negative = true;
      ++Pos;
    }
    while (Pos < In.size() && IsDigit(In[Pos])) {
      HasParam = true;
      if (Param < INT_MAX) Param = Param * 10 + (In[Pos] - '0');
      ++Pos;
    }
    if (Pos < In.size() && In[Pos] == ' ') ++Pos;
    Param = std::min<long long>(Param, INT_MAX);
    Word(Name, HasParam, static_cast<int>(Negative ? -Param : Param));
  }

  static bool SkippedDestination(const std::string& W) {
    static const char* const Names[] = {
        "stylesheet", "info",      "pict",       "object",    "header",      "footer",  "headerl",
        "headerr",    "headerf",   "footerl",    "footerr",   "footerf",     "pntext",  "listtable",
        "listoverridetable",       "revtbl",     "rsidtbl",   "generator",   "themedata",
        "colorschememapping",      "latentstyles", "datastore", "xmlnstbl",  "filetbl", "pntxta",
        "pntxtb",     "fldinst",   "template",   "nonshppict", "shp"};
    for (const char* N : Names)
      if (W == N) return true;
    return false;
  }

  void Word(const std::string& W, bool HasParam, int Param) {
    const bool Ignorable = NextIgnorable;
    NextIgnorable = false;
    TRtfState& St = S();
    if (St.Dest == dSkip) return;
    if (W == "pn") {
      St.Dest = dPn;
      St.PnOwner = static_cast<int>(Stack.size()) - 2;
      return;
    }
    if (Ignorable || SkippedDestination(W)) {
      St.Dest = dSkip;
      return;
    }
    switch (St.Dest) {
      case dFontTable:
        if (W == "f") {
          if (!FontName.empty()) CommitFont();
          CurFont = Param;
        }
        return;
      case dColorTable:
        if (W == "red") Red = Param & 0xFF, ColorSet = true;
        if (W == "green") Green = Param & 0xFF, ColorSet = true;
        if (W == "blue") Blue = Param & 0xFF, ColorSet = true;
        return;
      case dPn:
        if (W == "pnlvlblt" && St.PnOwner >= 0 && St.PnOwner < static_cast<int>(Stack.size()))
          Stack[St.PnOwner].Para.Numbering = nsBullet;
        return;
      default: break;
    }
    const bool On = !HasParam || Param != 0;
    if (W == "fonttbl") {
      St.Dest = dFontTable;
      FontName.clear();
    } else if (W == "colortbl") {
      St.Dest = dColorTable;
      Colors.clear();
    } else if (W == "footnote") {
      St.Dest = dFootnote;
      St.Char.Footnote = true;
    } else if (W == "deff") {
      Deff = Param;
    } else if (W == "plain") {
      const bool Foot = St.Char.Footnote;
      St.Char = Stack.front().Char;
      St.Char.Footnote = Foot;
    } else if (W == "b") {
      St.Char.Bold = On;
    } else if (W == "i") {
      St.Char.Italic = On;
    } else if (W == "ul") {
      St.Char.Underline = On;
      if (!On) St.Char.DoubleUnderline = false;
    } else if (W == "uldb") {
      St.Char.DoubleUnderline = On;
    } else if (W == "ulnone") {
      St.Char.Underline = St.Char.DoubleUnderline = false;
    } else if (W == "strike") {
      St.Char.StrikeOut = On;
    } else if (W == "v") {
      St.Char.Hidden = On;
    } else if (W == "f") {
      auto It = Fonts.find(Param);
      St.Char.FontName = It != Fonts.end() ? It->second : std::string();
    } else if (W == "fs") {
      if (HasParam) St.Char.HalfPoints = std::clamp(Param, 1, 3276);
    } else if (W == "cf") {
      St.Char.Color = Param >= 0 && Param < static_cast<int>(Colors.size()) && Colors[Param]
                          ? *Colors[Param]
                          : clBlack;
    } else if (W == "pard") {
      St.Para = TParaFormat{};
    } else if (W == "ql" || W == "qj") {
      St.Para.Alignment = taLeftJustify;
    } else if (W == "qc") {
      St.Para.Alignment = taCenter;
    } else if (W == "qr") {
      St.Para.Alignment = taRightJustify;
    } else if (W == "fi") {
      St.Para.FirstIndent = Param;
    } else if (W == "li") {
      St.Para.LeftIndent = Param;
    } else if (W == "ri") {
      St.Para.RightIndent = Param;
    } else if (W == "ls") {
      St.Para.Numbering = Param > 0 ? nsBullet : nsNone;
    } else if (W == "par" || W == "line" || W == "sect" || W == "row") {
      Break(false);
    } else if (W == "page") {
      // A page break right after a paragraph mark starts the next paragraph
      // on a new page; elsewhere it also ends the paragraph.
      if (Pending && St.Dest == dText)
        PendingPage = true;
      else
        Break(true);
    } else if (W == "tab" || W == "cell") {
      Emit('\t');
    } else if (W == "emdash") {
      Emit(static_cast<char>(0x97));
    } else if (W == "endash") {
      Emit(static_cast<char>(0x96));
    } else if (W == "lquote") {
      Emit(static_cast<char>(0x91));
    } else if (W == "rquote") {
      Emit(static_cast<char>(0x92));
    } else if (W == "ldblquote") {
      Emit(static_cast<char>(0x93));
    } else if (W == "rdblquote") {
      Emit(static_cast<char>(0x94));
    } else if (W == "bullet") {
      Emit(static_cast<char>(0x95));
    } else if (W == "uc") {
      St.Uc = std::clamp(Param, 0, 16);
    } else if (W == "u") {
      const int V = Param < 0 ? Param + 65536 : Param;
      Emit(V >= 0 && V < 256 ? static_cast<char>(V) : '?');
      SkipChars = S().Uc;
    }
  }

  TParagraph& Current() {
    if (Doc.FParagraphs.empty() || Pending) {
      TParagraph P;
      P.Format = S().Para;
      P.Format.PageBreakBefore = PendingPage;
      Doc.FParagraphs.push_back(std::move(P));
      Pending = PendingPage = false;
    }
    return Doc.FParagraphs.back();
  }

  void Break(bool Page) {
    if (S().Dest == dFootnote) {
      Emit(' ');
      return;
    }
    if (S().Dest != dText) return;
    TParagraph& P = Current();
    const bool KeepPage = P.Format.PageBreakBefore;
    P.Format = S().Para;
    P.Format.PageBreakBefore = KeepPage;
    Pending = true;
    PendingPage = Page;
  }

  void Emit(char C) {
    if (SkipChars > 0) {
      --SkipChars;
      return;
    }
    // Control characters (from escapes) have no place in the text.
    if (static_cast<unsigned char>(C) < 0x20 && C != '\t') return;
    TRtfState& St = S();
    switch (St.Dest) {
      case dFontTable:
        if (C == '\t') return;
        FontName += C;
        if (C == ';') CommitFont();
        return;
      case dColorTable:
        if (C == ';') {
          Colors.push_back(ColorSet ? std::optional<TColor>(Red | (Green << 8) | (Blue << 16)) : std::nullopt);
          Red = Green = Blue = 0;
          ColorSet = false;
        }
        return;
      case dText:
      case dFootnote: break;
      default: return;
    }
    TParagraph& P = Current();
    if (St.Dest == dText) {
      const bool KeepPage = P.Format.PageBreakBefore;
      P.Format = St.Para;
      P.Format.PageBreakBefore = KeepPage;
    }
    if (!P.Runs.empty() && P.Runs.back().Format == St.Char)
      P.Runs.back().Text += C;
    else
      P.Runs.push_back({std::string(1, C), St.Char});
  }

  TRichTextDocument& Doc;
  std::string_view In;
  size_t Pos = 0;
  bool Done = false;
  std::vector<TRtfState> Stack;
  int Overflow = 0;
  std::map<int, std::string> Fonts;
  int CurFont = 0;
  std::string FontName;
  std::vector<std::optional<TColor>> Colors;
  uint32_t Red = 0, Green = 0, Blue = 0;
  bool ColorSet = false;
  int Deff = 0;
  bool Pending = false, PendingPage = false;
  int SkipChars = 0;
  bool NextIgnorable = false;
};

void TRichTextDocument::LoadRtf(std::string_view Rtf) {
  size_t Start = 0;
  while (Start < Rtf.size() && static_cast<unsigned char>(Rtf[Start]) <= ' ') ++Start;
  if (Rtf.substr(Start, 5) != "{\\rtf") {
    LoadText(Rtf);
    return;
  }
  TRtfReader(*this, Rtf.substr(Start)).Run();
}

// ------------------------------------------------------------------ writer

std::string RtfEscape(std::string_view Text) {
  static const char Hex[] = "0123456789abcdef";
  std::string Out;
  for (char C : Text) {
    const unsigned char U = static_cast<unsigned char>(C);
    if (C == '\\' || C == '{' || C == '}') {
      Out += '\\';
      Out += C;
    } else if (C == '\t') {
      Out += "\\tab ";
    } else if (U >= 0x80) {
      Out += "\\'";
      Out += Hex[U >> 4];
      Out += Hex[U & 15];
    } else if (U >= 0x20) {
      Out += C;
    }
  }
  return Out;
}

std::string TRichTextDocument::SaveRtf() const {
  std::vector<std::string> Fonts;
  std::vector<TColor> Colors{clBlack};
  auto FontIndex = [&](const std::string& Name) {
    auto It = std::find(Fonts.begin(), Fonts.end(), Name);
    if (It != Fonts.end()) return static_cast<int>(It - Fonts.begin());
    Fonts.push_back(Name);
    return static_cast<int>(Fonts.size()) - 1;
  };
  auto ColorIndex = [&](TColor C) {
    auto It = std::find(Colors.begin(), Colors.end(), C);
    if (It != Colors.end()) return static_cast<int>(It - Colors.begin());
    Colors.push_back(C);
    return static_cast<int>(Colors.size()) - 1;
  };
  FontIndex(DefaultFormat.FontName);
  auto CharCodes = [&](const TCharFormat& F) {
    std::string S = "\\plain\\f" + std::to_string(FontIndex(F.FontName)) + "\\fs" + std::to_string(F.HalfPoints);
    if (const int C = ColorIndex(F.Color)) S += "\\cf" + std::to_string(C);
    if (F.Bold) S += "\\b";
    if (F.Italic) S += "\\i";
    if (F.Underline) S += "\\ul";
    if (F.DoubleUnderline) S += "\\uldb";
    if (F.StrikeOut) S += "\\strike";
    if (F.Hidden) S += "\\v";
    return S;
  };
  auto ParaCodes = [](const TParaFormat& F) {
    std::string S = "\\pard";
    if (F.Alignment == taCenter) S += "\\qc";
    if (F.Alignment == taRightJustify) S += "\\qr";
    if (F.FirstIndent) S += "\\fi" + std::to_string(F.FirstIndent);
    if (F.LeftIndent) S += "\\li" + std::to_string(F.LeftIndent);
    if (F.RightIndent) S += "\\ri" + std::to_string(F.RightIndent);
    if (F.Numbering == nsBullet) S += "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}";
    return S;
  };

  std::string Body;
  if (FParagraphs.empty()) Body = "\\deflang1033" + ParaCodes({}) + CharCodes(DefaultFormat) + " }\r\n";
  std::optional<TCharFormat> Current;
  std::optional<TParaFormat> CurrentPara;
  for (size_t I = 0; I < FParagraphs.size(); ++I) {
    const TParagraph& P = FParagraphs[I];
    std::string Line = I == 0 ? "\\deflang1033" : (P.Format.PageBreakBefore ? "\\par\\page " : "\\par ");
    TParaFormat PF = P.Format;
    PF.PageBreakBefore = false;
    if (!CurrentPara || !(*CurrentPara == PF)) {
      Line += ParaCodes(PF);
      if (Line.back() != '}') Line += ' ';  // ends the last control word
      CurrentPara = PF;
    }
    if (I == 0 && P.Runs.empty()) {
      Line += CharCodes(DefaultFormat) + " ";
      Current = DefaultFormat;
    }
    for (const TTextRun& R : P.Runs) {
      if (R.Format.Footnote) {
        TCharFormat F = R.Format;
        F.Footnote = false;
        Line += "{\\footnote" + CharCodes(F) + " " + RtfEscape(R.Text) + "}";
        continue;
      }
      if (!Current || !(*Current == R.Format)) {
        Line += CharCodes(R.Format) + " ";
        Current = R.Format;
      }
      Line += RtfEscape(R.Text);
    }
    Body += Line + "\r\n";
  }
  if (!FParagraphs.empty()) Body += "\\par }\r\n";

  std::string Head = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl";
  for (size_t I = 0; I < Fonts.size(); ++I)
    Head += "{\\f" + std::to_string(I) + "\\fnil " + RtfEscape(Fonts[I]) + ";}";
  Head += "}\r\n{\\colortbl";
  for (TColor C : Colors)
    Head += "\\red" + std::to_string(C & 0xFF) + "\\green" + std::to_string((C >> 8) & 0xFF) + "\\blue" +
            std::to_string((C >> 16) & 0xFF) + ";";
  Head += "}\r\n";
  return Head + Body;
}
