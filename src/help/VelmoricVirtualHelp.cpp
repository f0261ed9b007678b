#include "help/VelmoricVirtualHelp.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "help/VelmoricCreateTable.h"
#include "platform/rtl/Streams.h"
#include "platform/vcl/RichEdit.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricSymbols.h"
#include "trace/traceletVelmoric.h"

const char* const HelpHeaderFonts =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
    "{\\f2\\fswiss\\fcharset1 MS Sans Serif;}{\\f3\\fswiss\\fcharset1 MS Sans Serif;}}";
const char* const HelpHeaderColors = "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}";

namespace {

std::vector<TOrvikSymbol*> Children(const TOrvikSymbol* S) {
  std::vector<TOrvikSymbol*> C;
  if (S && S->symbols)
    for (int I = 0; I < S->symbols->Count(); ++I) C.push_back(S->symbols->GetSymbol(I));
  return C;
}

bool Contains(const std::string& Text, const char* Word) { return LowerCase(Text).find(Word) != std::string::npos; }

std::string KindText(TProcTokenType K) {
  switch (K) {
    case tFunction: return "function";
    case tConstructor: return "constructor";
    case tDestructor: return "destructor";
    default: return "procedure";
  }
}

std::string Link(const std::string& Name) {
  return "{{\\fs1\\cf2 /link[\\fs16\\uldb\\cf1 " + Name + "\\fs2\\cf2 ]}} ";
}

std::string OwnerName(const TOrvikSymbol* S) { return S->Parent ? S->Parent->name : std::string(); }

}  // namespace

std::string NameOfSymbol(const TOrvikSymbol* Symbol) {
  std::vector<std::string> Names;
  for (const TOrvikSymbol* S = Symbol; S; S = S->Parent) Names.push_back(S->name);
  if (Names.empty()) return {};
  Names.pop_back();  // the unit
  std::string Name;
  for (auto It = Names.rbegin(); It != Names.rend(); ++It) Name += (Name.empty() ? "" : ".") + *It;
  return Name;
}

TOrvikSymbol* FindVartype(TPascalProject* Project, const std::string& Name) {
  TTraceProc Trace([&] { return "FindVartype(" + Name + ")"; });
  const std::string L = LowerCase(Trim(Name));
  if (L.empty() || L == "integer" || L == "boolean" || L == "string" || L == "char" || L == "file") return nullptr;
  return Project ? Project->FindAnySymbol(Trim(Name)) : nullptr;
}

void CreateHelpHeader(TOrvikSymbol* S, TPascalProject* Project, TStrings& Lines,
                      std::vector<TOrvikSymbol*>* SeeAlso) {
  TTraceProc Trace("CreateHelpHeader");
  if (!S) return;
  const std::string N = S->name;
  const std::string O = OwnerName(S);
  switch (S->Typ) {
    case typClass:
      Lines.Add(HelpHeaderFonts);
      Lines.Add(HelpHeaderColors);
      Lines.Add("\\deflang1031\\plain\\f2\\fs30\\cf1 " + N + "\\plain\\f2\\fs16");
      Lines.Add("\\par \\plain\\f3\\fs16");
      Lines.Add("\\par " + N + "= class(" + S->Ancestor() + ")");
      break;
    case typProcedure: {
      Lines.Add(HelpHeaderFonts);
      Lines.Add(HelpHeaderColors);
      Lines.Add("\\deflang1031\\plain\\f3\\fs30\\cf1 " + O + "." + N + "\\plain\\f3\\fs16");
      Lines.Add("\\keepn");
      // Parsing again rebuilds the parameter records; the declaration's own
      // text stays as it was (an empty list would come back as ") ").
      const std::string Params = S->Params;
      ReParseProcParamters(S);
      S->Params = Params;
      std::set<std::string> Listed;
      bool First = true;
      auto TypeLine = [&](TOrvikSymbol* T) {
        if (SeeAlso) SeeAlso->push_back(T);
        if (First) Lines.Add("\\par \\plain\\f2\\fs18\\cf0\\b type\\plain\\f2\\fs18\\cf0\\keepn");
        First = false;
        Lines.Add("\\par \\tab " + T->name + " = " + T->TypeName + "\\keepn");
      };
      for (TOrvikSymbol* P : Children(S)) {
        if (P->Typ != typParameter || P->TypeName.empty()) continue;
        const std::string Key = LowerCase(Trim(P->TypeName));
        if (!Listed.insert(Key).second) continue;
        TOrvikSymbol* T = Project ? Project->FindAnySymbol(Trim(P->TypeName)) : nullptr;
        if (!T || T->TypeName.empty()) continue;
        TypeLine(T);
        if (T->TypeName.rfind("set of ", 0) == 0) {
          TOrvikSymbol* E = Project->FindAnySymbol(Trim(T->TypeName.substr(7)));
          if (E && !E->TypeName.empty()) TypeLine(E);
        }
      }
      std::string Decl = "\\par \\plain\\f2\\fs18\\cf0\\b " + KindText(S->ProcTyp) + "\\plain\\f2\\fs18\\cf0  " + N;
      if (!S->Params.empty()) Decl += "(" + S->Params + ")";
      if (!S->ResultType.empty()) Decl += ":" + S->ResultType;
      Lines.Add(Decl + "\\keepn");
      break;
    }
    case typProperty:
    case typVar: {
      Lines.Add(HelpHeaderFonts);
      Lines.Add(HelpHeaderColors);
      Lines.Add("\\deflang1031\\plain\\f3\\fs30\\cf1 " + O + "." + N + "\\plain\\f3\\fs16");
      Lines.Add("\\par");
      if (TOrvikSymbol* T = FindVartype(Project, S->TypeName)) {
        Lines.Add("\\par \\plain\\f2\\fs18\\cf0\\b type\\plain\\f2\\fs18\\cf0");
        Lines.Add("\\par \\tab " + T->name + ":" + T->TypeName);
        if (SeeAlso) SeeAlso->push_back(T);
      }
      if (S->Typ == typProperty) {
        std::string Decl = "\\par \\plain\\f2\\fs18\\cf0\\b property\\plain\\f2\\fs18\\cf0" + N + ":" + S->TypeName;
        if (!S->ReadAccess().empty()) Decl += " read " + S->ReadAccess();
        if (!S->WriteAccess().empty()) Decl += " write " + S->WriteAccess();
        Lines.Add(Decl);
      } else {
        Lines.Add("\\par \\plain\\f2\\fs18\\cf0\\b var \\plain\\f2\\fs18\\cf0" + N + ":" + S->TypeName);
      }
      break;
    }
    default: return;
  }
  Lines.Add("\\par }");
}

void CreateUnitPage(TOrvikSymbol* Unit, TStrings& Lines) {
  TTraceProc Trace("CreateUnitPage");
  Lines.Add(HelpHeaderFonts);
  Lines.Add("{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue255;}");
  Lines.Add("\\deflang1031\\pard\\plain\\f2\\fs30\\cf1 Unit " + Unit->name + "\\plain\\f2\\fs16");
  Lines.Add("\\par \\plain\\f3\\fs16");
  struct TSection {
    TSymTyp Typ;
    const char* Title;
  };
  const TSection Sections[] = {{typRecord, "Records"},
                               {typType, "Types"},
                               {typClass, "Classes"},
                               {typProcedure, "Procedures and functions"},
                               {typVar, "Variables"}};
  const std::vector<TOrvikSymbol*> Symbols = Children(Unit);
  for (const TSection& Sec : Sections) {
    std::vector<std::string> Entries;
    for (TOrvikSymbol* S : Symbols) {
      if (S->Typ != Sec.Typ) continue;
      switch (S->Typ) {
        case typProcedure: {
          std::string E = KindText(S->ProcTyp) + " " + Link(S->name);
          if (!S->Params.empty()) E += "(" + S->Params + ")";
          if (S->ProcTyp == tFunction) E += " : " + S->ResultType;
          Entries.push_back(E);
          break;
        }
        case typClass: Entries.push_back(Link(S->name) + " = class"); break;
        case typType: Entries.push_back(S->name + " = " + Link(Trim(S->TypeName))); break;
        case typRecord: Entries.push_back(Link(S->name) + " = record"); break;
        default: Entries.push_back(S->name + " : " + Link(Trim(S->TypeName))); break;
      }
    }
    if (Entries.empty()) continue;
    Lines.Add(std::string("\\pard{\\par\\fs30 ") + Sec.Title + "} \\pard");
    for (const std::string& E : Entries) Lines.Add("\\par " + E);
  }
  Lines.Add("\\par }");
}

void CopyVelmoricComment(const TStrings& Comment, TStrings& Rtf) {
  TTraceProc Trace("CopyVelmoricComment");
  Rtf.Add(
      "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
      "{\\f2\\froman Times New Roman;}}");
  Rtf.Add("{\\colortbl\\red0\\green0\\blue0;}");
  int Bound = Comment.Count() - 1;
  while (Bound >= 0 && Trim(Comment[Bound]).empty()) --Bound;
  for (int I = 0; I <= Bound; ++I) {
    const std::string Line = Comment[I];
    if (Contains(Line, "created :")) {
      Rtf.Add("\\deflang1031\\pard\\tx1420\\plain " + Line);
      Rtf.Add("\\par");
    } else if (Contains(Line, "parameters")) {
      TStringList Block;
      Block.Add("\\par \\plain\\f2\\fs25\\b Parameters\\plain");
      int J = I + 1;
      for (; J <= Bound && !Contains(Comment[J], "description"); ++J) {
        const std::string P = Comment[J];
        const size_t Colon = P.find(':');
        const std::string Name = Trim(P.substr(0, Colon));
        std::string Text = Colon == std::string::npos ? std::string() : Trim(P.substr(Colon + 1));
        if (Name.empty()) continue;
        if (Text.empty()) Text = SameText(Name, "sender") ? "Specifies the control that caused the event" : "Add description here";
        Block.Add("\\par \\plain\\f2\\fs20 " + Name + "\\f2\\fs20 \\tab " + Text);
      }
      if (Block.Count() >= 2) Rtf.AddStrings(Block);
      I = J - 1;
    } else if (Contains(Line, "description")) {
      Rtf.Add("\\par");
      Rtf.Add("\\par \\f2\\fs25\\b Description\\plain");
      Rtf.Add("\\par");
      for (int K = I + 1; K <= Bound; ++K) {
        const std::string T = Trim(Comment[K]);
        if (!T.empty() && T.find_first_not_of('-') == std::string::npos) continue;
        Rtf.Add("\\par \\plain\\f2\\fs20 " + T);
      }
      break;
    }
  }
  Rtf.Add("\\par }");
}

void CopyVelmoricComment(TRichEdit& Editor, const TStrings& Comment) {
  TStringList Rtf;
  CopyVelmoricComment(Comment, Rtf);
  TStringStream Stream(Rtf.GetText());
  Editor.Lines()->LoadFromStream(Stream);
}

// ------------------------------------------------------------------- store

TVelmoricHelpStore::TVelmoricHelpStore() { SetupHelpTable(Table); }

bool TVelmoricHelpStore::Open(std::string& Error) {
  TTraceProc Trace("TVelmoricHelpStore.Open");
  if (Table.Active()) return true;
  try {
    SetupHelpTable(Table);
    Table.Open();
    return true;
  } catch (const Exception& E) {
    Error = E.Message();
    return false;
  }
}

bool TVelmoricHelpStore::OpenOrCreate(std::string& Error) {
  if (Open(Error)) return true;
  try {
    if (Table.Exists()) return false;  // there, but not readable: keep it
  } catch (const Exception&) {
    return false;
  }
  try {
    CreateDataFiles();
  } catch (const Exception& E) {
    Error = E.Message();
    return false;
  }
  return Open(Error);
}

bool TVelmoricHelpStore::FindPage(const std::string& Name) {
  return Table.Active() && Table.Locate("XName", Name, loCaseInsensitive);
}

bool TVelmoricHelpStore::ReadPage(const std::string& Name, std::string& Rtf) {
  TTraceProc Trace([&] { return "TVelmoricHelpStore.ReadPage(" + Name + ")"; });
  if (!FindPage(Name)) return false;
  TStringStream Stream;
  Table.FieldByName("XText")->SaveToStream(Stream);
  Rtf = Stream.DataString();
  return true;
}

int64_t TVelmoricHelpStore::SavePage(const std::string& Name, const std::string& OwnerName, const std::string& Rtf) {
  TTraceProc Trace([&] { return "TVelmoricHelpStore.SavePage(" + Name + ")"; });
  if (FindPage(Name)) {
    Table.Edit();
  } else {
    const int64_t Parent = FindPage(OwnerName) ? Table.FieldByName("Nr")->AsInteger() : -1;
    Table.Append();
    Table.FieldByName("XParent")->SetAsInteger(Parent);
  }
  try {
    Table.FieldByName("XName")->SetAsString(Name);
    TStringStream Stream(Rtf);
    Table.FieldByName("XText")->LoadFromStream(Stream);
    Table.Post();
  } catch (...) {
    Table.Cancel();
    throw;
  }
  return Table.FieldByName("Nr")->AsInteger();
}

std::vector<std::string> TVelmoricHelpStore::ParentChain(const std::string& Name) {
  std::vector<std::string> Chain;
  if (!FindPage(Name)) return Chain;
  std::set<int64_t> Seen{Table.FieldByName("Nr")->AsInteger()};
  int64_t Parent = Table.FieldByName("XParent")->AsInteger();
  while (Parent != -1 && Seen.insert(Parent).second && Table.Locate("Nr", Parent)) {
    Chain.push_back(Table.FieldByName("XName")->AsString());
    Parent = Table.FieldByName("XParent")->AsInteger();
  }
  return Chain;
}

bool HelpAvailable(TOrvikSymbol* Symbol, TVelmoricHelpStore* Store) {
  if (!Symbol) return false;
  if (Symbol->Typ == typVar || !Symbol->Comment.empty()) return true;
  return Store && Store->FindPage(NameOfSymbol(Symbol));
}

std::string HelpBody(TOrvikSymbol* Symbol, TVelmoricHelpStore* Store) {
  TTraceProc Trace("LoadRichText");
  std::string Rtf;
  if (Store && Store->Active() && Store->ReadPage(NameOfSymbol(Symbol), Rtf)) return Rtf;
  if (Symbol->Comment.empty()) return {};
  TStringList Comment;
  Comment.SetText(Symbol->Comment.view());
  bool Created = false;
  for (int I = 0; I < Comment.Count() && !Created; ++I) Created = Contains(Comment[I], "created");
  if (Created) {
    TStringList Lines;
    CopyVelmoricComment(Comment, Lines);
    return Lines.GetText();
  }
  TRichTextDocument Plain;
  Plain.LoadText(Symbol->Comment);
  return Plain.SaveRtf();
}

TVelmoricHelpPage ComposeHelpPage(TOrvikSymbol* Symbol, TPascalProject* Project, TVelmoricHelpStore* Store) {
  TTraceProc Trace([&] { return "ComposeHelpPage(" + NameOfSymbol(Symbol) + ")"; });
  TVelmoricHelpPage Page;
  if (!Symbol) return Page;
  TStringList Lines;
  if (Symbol->Typ == typUnit) {
    CreateUnitPage(Symbol, Lines);
    Page.Body = Lines.GetText();
    return Page;
  }
  CreateHelpHeader(Symbol, Project, Lines);
  Page.Header = Lines.GetText();
  Page.Body = HelpBody(Symbol, Store);
  return Page;
}

// ---------------------------------------------------------------- rendering

namespace {

// The IDE's character set to UTF-8 (its upper half as Latin-1).
std::string Utf8(const std::string& S) {
  std::string Out;
  for (unsigned char C : S) {
    if (C < 0x80) {
      Out += static_cast<char>(C);
    } else {
      Out += static_cast<char>(0xC0 | (C >> 6));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return Out;
}

std::string HtmlEscape(const std::string& S) {
  std::string Out;
  for (char C : S) {
    switch (C) {
      case '&': Out += "&amp;"; break;
      case '<': Out += "&lt;"; break;
      case '>': Out += "&gt;"; break;
      case '"': Out += "&quot;"; break;
      default: Out += C;
    }
  }
  return Out;
}

std::string MarkdownEscape(const std::string& S) {
  std::string Out;
  for (char C : S) {
    if (std::string_view("\\`*_[]<>#|").find(C) != std::string_view::npos) Out += '\\';
    Out += C;
  }
  return Out;
}

// A paragraph as spans of plain and bold or italic text and links.
struct TSpan {
  std::string Text;
  bool Bold = false, Italic = false, Link = false;
};

// Runs of at most one point are the link markup's brackets, doubly
// underlined runs the links' names; "/link[NAME]" typed as text is a link
// as well.
std::vector<TSpan> Spans(const TParagraph& P) {
  std::vector<TSpan> Out;
  for (const TTextRun& R : P.Runs) {
    if (R.Format.Hidden || R.Format.Footnote || R.Format.HalfPoints <= 2) continue;
    const bool IsLink = R.Format.DoubleUnderline;
    if (!Out.empty() && !IsLink && !Out.back().Link && Out.back().Bold == R.Format.Bold &&
        Out.back().Italic == R.Format.Italic)
      Out.back().Text += R.Text;
    else
      Out.push_back({R.Text, R.Format.Bold, R.Format.Italic, IsLink});
  }
  std::vector<TSpan> Linked;
  for (const TSpan& S : Out) {
    if (S.Link || S.Text.find("/link[") == std::string::npos) {
      Linked.push_back(S);
      continue;
    }
    size_t Pos = 0;
    while (Pos < S.Text.size()) {
      const size_t Start = S.Text.find("/link[", Pos);
      const size_t End = Start == std::string::npos ? std::string::npos : S.Text.find(']', Start);
      if (End == std::string::npos) {
        Linked.push_back({S.Text.substr(Pos), S.Bold, S.Italic});
        break;
      }
      if (Start > Pos) Linked.push_back({S.Text.substr(Pos, Start - Pos), S.Bold, S.Italic});
      std::string Name = S.Text.substr(Start + 6, End - Start - 6);
      if (const size_t Lt = Name.find('<'); Lt != std::string::npos) Name.resize(Lt);
      Linked.push_back({Trim(Name), false, false, true});
      Pos = End + 1;
    }
  }
  return Linked;
}

// 1 for a title (15 points and more), 2 for a bold heading from 12.5
// points, 0 for text.
// A link target: the name with everything but letters, digits, "." and "_"
// left out.
std::string Anchor(const std::string& Name) {
  std::string A;
  for (char C : Name)
    if (std::isalnum(static_cast<unsigned char>(C)) || C == '.' || C == '_') A += C;
  return A;
}

int Level(const TParagraph& P) {
  int Max = 0;
  bool AllBold = true;
  for (const TTextRun& R : P.Runs)
    if (!R.Format.Hidden && !R.Format.Footnote && !Trim(R.Text).empty()) {
      Max = std::max(Max, R.Format.HalfPoints);
      AllBold = AllBold && R.Format.Bold;
    }
  return Max >= 28 ? 1 : (Max >= 25 && AllBold) ? 2 : 0;
}

void Paragraphs(const std::string& Rtf, std::vector<const TParagraph*>& Out, TRichTextDocument& Keep) {
  Keep.LoadRtf(Rtf);
  for (int I = 0; I < Keep.ParagraphCount(); ++I) Out.push_back(&Keep.Paragraph(I));
}

}  // namespace

std::string RenderHelpPage(const TVelmoricHelpPage& Page, THelpFormat Format, const std::string& Title) {
  if (Format == THelpFormat::Rtf) {
    TRichTextDocument Doc, Body;
    Doc.LoadRtf(Page.Header);
    Body.LoadRtf(Page.Body);
    if (!Doc.Empty() && !Body.Empty()) Doc.InsertParagraph(Doc.ParagraphCount(), "", Doc.DefaultFormat);
    Doc.InsertDocument(Doc.TextLength(), Body);
    return Doc.SaveRtf();
  }
  TRichTextDocument Header, Body;
  std::vector<const TParagraph*> Ps;
  Paragraphs(Page.Header, Ps, Header);
  const size_t HeaderCount = Ps.size();
  Paragraphs(Page.Body, Ps, Body);

  std::string Out;
  if (Format == THelpFormat::Html)
    Out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + Utf8(HtmlEscape(Title)) +
           "</title>\n</head>\n<body>\n";
  bool LastEmpty = true;
  for (size_t I = 0; I < Ps.size(); ++I) {
    if (I == HeaderCount && HeaderCount > 0 && !LastEmpty && Format == THelpFormat::Text) {
      Out += "\n";
      LastEmpty = true;
    }
    const std::vector<TSpan> Sp = Spans(*Ps[I]);
    std::string Plain;
    for (const TSpan& S : Sp) Plain += S.Text;
    if (Trim(Plain).empty()) {
      if (!LastEmpty && Format == THelpFormat::Text) Out += "\n";
      LastEmpty = true;
      continue;
    }
    const int L = Level(*Ps[I]);
    std::string Line;
    for (const TSpan& S : Sp) {
      std::string T = S.Text;
      switch (Format) {
        case THelpFormat::Text: Line += T; break;
        case THelpFormat::Markdown:
          for (char& C : T)
            if (C == '\t') C = ' ';
          if (S.Link)
            Line += "[" + MarkdownEscape(T) + "](#" + Anchor(T) + ")";
          else if (L == 0 && S.Bold && !Trim(T).empty())
            Line += "**" + MarkdownEscape(Trim(T)) + "**" + (T.back() == ' ' ? " " : "");
          else
            Line += MarkdownEscape(T);
          break;
        default:
          if (S.Link)
            Line += "<a href=\"#" + Anchor(T) + "\">" + HtmlEscape(T) + "</a>";
          else if (S.Bold && L == 0)
            Line += "<b>" + HtmlEscape(T) + "</b>";
          else if (S.Italic)
            Line += "<i>" + HtmlEscape(T) + "</i>";
          else
            Line += HtmlEscape(T);
      }
    }
    Line = TrimRight(Line);
    if (Format == THelpFormat::Text) {
      Out += Line + "\n";
    } else if (Format == THelpFormat::Markdown) {
      if (!Out.empty()) Out += "\n";
      Out += (L == 1 ? "# " : L == 2 ? "## " : "") + TrimLeft(Line) + "\n";
    } else {
      std::string Tag = L == 1 ? "h1" : L == 2 ? "h2" : "p";
      Out += "<" + Tag + ">" + Line + "</" + Tag + ">\n";
    }
    LastEmpty = false;
  }
  if (Format == THelpFormat::Html) Out += "</body>\n</html>\n";
  return Utf8(Out);
}
