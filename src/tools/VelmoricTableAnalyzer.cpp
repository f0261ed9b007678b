#include "tools/VelmoricTableAnalyzer.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/rtl/FileSearch.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/FormFiles.h"
#include "platform/vcl/Forms.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"

namespace {

void TraceWrite(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

void DeleteObjects(TStringList& List) {
  for (int I = 0; I < List.Count(); ++I) delete List.Objects(I);
  List.Clear();
}

// Code point C as bytes: one byte below 256 (the IDE's 8-bit set), else UTF-8.
void AppendChar(std::string& S, long C) {
  if (C < 0) return;
  if (C < 256) {
    S.push_back(static_cast<char>(C));
  } else if (C < 0x800) {
    S.push_back(static_cast<char>(0xC0 | (C >> 6)));
    S.push_back(static_cast<char>(0x80 | (C & 0x3F)));
  } else if (C < 0x10000) {
    S.push_back(static_cast<char>(0xE0 | (C >> 12)));
    S.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
    S.push_back(static_cast<char>(0x80 | (C & 0x3F)));
  } else if (C < 0x110000) {
    S.push_back(static_cast<char>(0xF0 | (C >> 18)));
    S.push_back(static_cast<char>(0x80 | ((C >> 12) & 0x3F)));
    S.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
    S.push_back(static_cast<char>(0x80 | (C & 0x3F)));
  }
}

}  // namespace

// ------------------------------------------------------------ TVelmoricControl

TVelmoricControl::TVelmoricControl(TVelmoricDFM* AForm, TVelmoricControl* AParent, std::string AName)
    : Form(AForm), Name(std::move(AName)), Parent(AParent) {}

TVelmoricControl::~TVelmoricControl() { DeleteObjects(Properties); }

std::string TVelmoricControl::ParentPath() const {
  std::string Path;
  for (const TVelmoricControl* P = Parent; P; P = P->Parent) Path = Path.empty() ? P->Name : P->Name + "." + Path;
  return Path;
}

TVelmoricProperty* TVelmoricControl::FindProperty(const std::string& AName) const {
  const int I = Properties.IndexOf(LowerCase(AName));
  return I < 0 ? nullptr : Property(I);
}

// ---------------------------------------------------------------- TVelmoricDFM

TVelmoricDFM::TVelmoricDFM(TVelmoricDFMProject* AProject) : Project(AProject) {
  Controls.SetDuplicates(dupAccept);
}

TVelmoricDFM::~TVelmoricDFM() {
  delete Token;
  delete Lines;
  DeleteObjects(Controls);
}

TVelmoricControl* TVelmoricDFM::FindControl(const std::string& Name) const {
  const int I = Controls.IndexOf(LowerCase(Name));
  return I < 0 ? nullptr : Control(I);
}

int TVelmoricDFM::ReadFromFile(const std::string& Name) {
  TTraceProc Trace("TVelmoricDFM.ReadFromFile");
  return ReadFromText(Name, FormFileToText(Name));
}

int TVelmoricDFM::ReadFromText(const std::string& Name, const std::string& Text) {
  TTraceProc Trace("TVelmoricDFM.ReadFromText");
  FileName = Name;
  std::unique_ptr<TStringList> OwnLines(new TStringList);
  OwnLines->SetText(Text);
  // A blank last line: the tokenizer delivers no word that ends the text.
  OwnLines->Add(" ");
  const int LineCount = OwnLines->Count() - 1;
  TraceWrite("stdOut", "ReadFile " + Name);
  Lines = OwnLines.release();
  Token = new TToken(Lines);
  FAtEnd = false;
  try {
    while (Advance()) {
      if (!Token->IsString && (Is("object") || Is("inherited") || Is("inline")))
        ReadObject(nullptr);
      else
        DFMError("Erwarte: object");
    }
  } catch (...) {
    FreeAndNil(Token);
    FreeAndNil(Lines);
    throw;
  }
  FreeAndNil(Token);
  FreeAndNil(Lines);
  Controls.SetSorted(true);
  return LineCount;
}

bool TVelmoricDFM::Advance() {
  if (FAtEnd) return false;
  if (!Token->Next()) FAtEnd = true;
  return !FAtEnd;
}

bool TVelmoricDFM::Is(const char* Lower) const { return !Token->IsString && Token->LowerText == Lower; }

// The character right after the current token in its line, 0 at its end.
char TVelmoricDFM::CharAfterToken() const {
  if (Token->CharPushedBack) {
    // A word's following character; a line break reads as a blank.
    if (Token->PushedChar == ' ' && Token->Line != Token->TokenLine) return '\0';
    return Token->PushedChar;
  }
  return Token->NextCharInLine();
}

// The next character after blanks in the current line, 0 at its end.
char TVelmoricDFM::PeekInLine() const {
  if (Token->CharPushedBack) {
    if (Token->PushedChar == ' ' && Token->Line != Token->TokenLine) return '\0';
    if (!isspace(Token->PushedChar)) return Token->PushedChar;
  }
  for (int I = Token->Column; I <= Token->LineLength; ++I)
    if (!isspace(Token->LineText[static_cast<size_t>(I - 1)])) return Token->LineText[static_cast<size_t>(I - 1)];
  return '\0';
}

void TVelmoricDFM::DFMError(const std::string& Message) {
  TTraceProc Trace("TVelmoricDFM.DFMError");
  const int Line = FErrorLine >= 0 ? FErrorLine + 1 : Token ? Token->TokenLine + 1 : 0;
  FErrorLine = -1;
  ++ErrorCount;
  TraceWrite("stdOut", Format("Error in file %s line %d %s", FileName, Line, Message));
  if (ErrorCount > 1) return;  // one report per file
  if (Project) Project->Errors.push_back(Format("%s(%d): %s", FileName, Line, Trim(Message)));
  Application->MessageBox(Format("Error in file %s line %d\r\n%s", FileName, Line, Message), "Fehler",
                          MB_OK | MB_ICONERROR);
}

void TVelmoricDFM::ReadObject(TVelmoricControl* Parent) {
  TTraceProc Trace("TVelmoricDFM.ReadObject");
  // Components nest a few levels; deeper text is damage, not recursed into.
  if (FDepth >= MaxObjectDepth) {
    DFMError("Erwarte: end");
    return;
  }
  ++FDepth;
  struct TLeave {
    int& Depth;
    ~TLeave() { --Depth; }
  } Leave{FDepth};
  if (!Advance()) return;
  const int NameLine = Token->TokenLine;
  auto* Control = new TVelmoricControl(this, Parent, Token->TokenText);
  Controls.AddObject(LowerCase(Control->Name), Control);
  TraceWrite("stdOut", "add to controls " + Control->Name);
  if (Parent) Parent->Children.push_back(Control);
  if (FormName.empty() && !Parent) FormName = Control->Name;
  if (!Advance()) return;
  if (Is(":")) {
    if (!Advance()) return;
    Control->ComponentClass = Token->TokenText;
    if (!Advance()) return;
  } else if (!Token->IsString && Token->TokenLine == NameLine && isalpha(Token->TokenText[0]) && !Is("end")) {
    // "object Name TClass": the colon is missing, the class is still there.
    Control->ComponentClass = Token->TokenText;
    if (!Advance()) return;
  }
  // An ordering index after the class: "object Name: TClass [2]".
  if (Is("[") && Token->TokenLine == NameLine) {
    while (Advance() && !Is("]") && Token->TokenLine == NameLine) {
    }
    if (!Advance()) return;
  }
  if (tracelet)
    tracelet->StrWrite("obj", Control->ComponentClass + ":" + Control->Name + Control->ParentPath() + "  Read Object " +
                        IntToStr(Token->TokenLine));

  while (!FAtEnd && !Is("end")) {
    if (Is("object") || Is("inherited") || Is("inline")) {
      ReadObject(Control);
      if (FAtEnd) return;
      Advance();
      continue;
    }
    // A property: its name runs to "=" within the line.
    std::string PropName = Token->TokenText;
    const int PropLine = Token->TokenLine;
    bool Valid = !Token->IsString && (isalnum(PropName[0]));
    while (Valid && Advance() && !Is("=")) {
      if (Token->IsString || Token->TokenLine != PropLine ||
          !(isalnum(Token->TokenText[0]) || Is("."))) {
        Valid = false;
        break;
      }
      PropName += Token->TokenText;
    }
    if (!Valid || FAtEnd) {
      FErrorLine = PropLine;  // the line of the property that lacks it
      DFMError("Erwarte = ");
      return;
    }
    std::string Value = ReadValue();
    auto* Prop = new TVelmoricProperty(Control, PropName, std::move(Value));
    Prop->Quoted = FValueQuoted;
    Control->Properties.AddObject(LowerCase(PropName), Prop);
    Advance();
  }
}

// The value after "="; the current token is left on its last token.
std::string TVelmoricDFM::ReadValue() {
  FValueQuoted = false;
  if (PeekInLine() == '{') {
    // Binary data: hexadecimal digits in braces, over several lines.
    std::string Value = "{";
    char C;
    do C = Token->NextChar();
    while (C == ' ' || C == '\t');  // up to the opening brace
    for (;;) {
      C = Token->NextChar();
      if (C == '}' || C == '\0') break;
      if (!isspace(C)) Value.push_back(C);
    }
    Value.push_back('}');
    if (Token->EndOfText) FAtEnd = true;
    // The value's last token stands in for the closing brace.
    Token->TokenText = "}";
    Token->LowerText = "}";
    Token->IsString = false;
    return Value;
  }
  if (!Advance()) return {};
  if (Is("[")) return ReadBracketed("[", "]");
  if (Is("(")) return ReadBracketed("(", ")");
  if (Is("<")) return ReadBracketed("<", ">");
  if (Token->IsString || Is("#")) {
    FValueQuoted = true;
    return ReadStringValue();
  }
  std::string Value;
  if (Is("-") || Is("+")) {
    Value = Token->TokenText;
    if (!isalnum(PeekInLine()) || !Advance()) return Value;
  }
  Value += Token->TokenText;
  // A qualified name (Form.Component) or a number with a fraction.
  // Nested frames name deeper: "Frame1.Frame2.Edit1".
  while (CharAfterToken() == '.' && Advance() && Is(".")) {
    Value += ".";
    if (!isalnum(PeekInLine()) || !Advance()) break;
    Value += Token->TokenText;
  }
  // An exponent with a sign: "1.5E-10".
  const char Last = Value.empty() ? '\0' : Value.back();
  if ((Last == 'E' || Last == 'e') && isnumber(Value[Value[0] == '-' || Value[0] == '+' ? 1 : 0])) {
    const char Sign = CharAfterToken();
    if ((Sign == '-' || Sign == '+') && Advance()) {
      Value += Token->TokenText;
      if (isalnum(PeekInLine()) && Advance()) Value += Token->TokenText;
    }
  }
  return Value;
}

// Every token up to the closing bracket (nested pairs kept), each after a blank.
std::string TVelmoricDFM::ReadBracketed(const char* Open, const char* Close) {
  std::string Value;
  int Depth = 1;
  while (Advance()) {
    if (Is(Close) && --Depth == 0) break;
    if (Is(Open)) ++Depth;
    Value += " " + Token->TokenText;
  }
  return Value;
}

// A string: quoted pieces, #n characters and "+" continuations joined.
std::string TVelmoricDFM::ReadStringValue() {
  std::string Value;
  bool AfterString = false;
  for (;;) {
    if (Token->IsString) {
      Value += Token->TokenText;
      AfterString = true;
    } else if (Is("#")) {
      if (!isalnum(CharAfterToken()) || !Advance()) return Value;
      const std::string& Code = Token->TokenText;
      long C = 0;
      bool Number = !Code.empty();
      for (char Ch : Code) {
        if (!isnumber(Ch) || C > 0x10FFFF) Number = false;
        else C = C * 10 + (Ch - '0');
      }
      if (Number) AppendChar(Value, C);
      AfterString = false;
    } else {
      return Value;
    }
    const char Next = CharAfterToken();
    if (Next == '\'' || Next == '#') {
      if (Next == '\'' && AfterString) Value.push_back('\'');  // a doubled quote
      if (!Advance()) return Value;
      continue;
    }
    const char Peek = PeekInLine();
    if (Peek == '+') {
      if (!Advance() || !Advance()) return Value;
      if (!Token->IsString && !Is("#")) {
        Token->UngetToken();
        return Value;
      }
      continue;
    }
    if (Peek == '\'' || Peek == '#') {
      if (!Advance()) return Value;
      continue;
    }
    return Value;
  }
}

// ---------------------------------------------------------- TVelmoricDFMProject

TVelmoricDFMProject::TVelmoricDFMProject() {
  Forms.SetSorted(true);
  Forms.SetDuplicates(dupAccept);
}

TVelmoricDFMProject::~TVelmoricDFMProject() { DeleteObjects(Forms); }

TVelmoricDFM* TVelmoricDFMProject::FindForm(const std::string& Name) const {
  int I;
  if (!Forms.Find(Name, I)) return nullptr;
  return Form(I);
}

void TVelmoricDFMProject::LoadFromFile(const std::string& Name) {
  TTraceProc Trace("TVelmoricDFMProject.LoadFromFile");
  if (FormVelmoricCompiling) FormVelmoricCompiling->ShowStatus(Name);
  auto Form = std::make_unique<TVelmoricDFM>(this);
  int LineCount = 0;
  try {
    LineCount = Form->ReadFromFile(Name);
  } catch (...) {
    if (FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(0);
    throw;
  }
  Total += LineCount;
  const std::string FormName = Form->FormName;
  Forms.AddObject(FormName, Form.release());
  if (FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(Total);
}

void TVelmoricDFMProject::ReadProject(const std::string& Directory) {
  TTraceProc Trace("TVelmoricDFMProject.ReadProject");
  namespace fs = std::filesystem;
  std::vector<std::string> Names;
  std::error_code Ec;
  for (const auto& Entry : fs::directory_iterator(UnixPath(Directory), Ec)) {
    if (!Entry.is_regular_file(Ec)) continue;
    const std::string File = Entry.path().filename().string();
    if (File.size() >= 6 && SameText(File.substr(0, 2), "dm") && SameText(File.substr(File.size() - 4), ".dfm"))
      Names.push_back(Entry.path().string());
  }
  std::sort(Names.begin(), Names.end());
  for (const std::string& Name : Names) LoadFromFile(Name);
  Forms.Sort();
}

void TVelmoricDFMProject::FindConnections() {
  TTraceProc Trace("TVelmoricDFMProject.FindConnections");
  for (int F = 0; F < Forms.Count(); ++F) {
    TVelmoricDFM* Form = this->Form(F);
    if (FormVelmoricCompiling) FormVelmoricCompiling->ShowStatus("Analyzing " + Form->FormName);
    for (int C = 0; C < Form->Controls.Count(); ++C) {
      TVelmoricControl* Control = Form->Control(C);
      for (int P = 0; P < Control->Properties.Count(); ++P) {
        TVelmoricProperty* Prop = Control->Property(P);
        const std::string& Value = Prop->Value;
        // A text (a caption, a field name) is no reference, even when it
        // spells a component's name.
        if (Value.empty() || Prop->Quoted) continue;
        TVelmoricControl* Target = nullptr;
        const size_t Dot = Value.find('.');
        if (Dot != std::string::npos) {
          if (TVelmoricDFM* Other = FindForm(LowerCase(Value.substr(0, Dot))))
            Target = Other->FindControl(Value.substr(Dot + 1));
        } else {
          Target = Form->FindControl(Value);
        }
        if (Target && Prop->Link != Target) {
          // A second pass over the same project finds each link once.
          if (Prop->Link) {
            auto& Old = Prop->Link->Links;
            Old.erase(std::remove(Old.begin(), Old.end(), Prop), Old.end());
          }
          Target->Links.push_back(Prop);
          Prop->Link = Target;
        }
      }
    }
    if (FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(0);
  }
}

void TVelmoricDFMProject::DisplayLinks() {
  TTraceProc Trace("TVelmoricDFMProject.DisplayLinks");
  for (int F = 0; F < Forms.Count(); ++F) {
    TVelmoricDFM* Form = this->Form(F);
    for (int C = 0; C < Form->Controls.Count(); ++C) {
      TVelmoricControl* Control = Form->Control(C);
      if (Control->Links.empty()) continue;
      TraceWrite("stdOut", Format("%s.%s is linked", Form->FormName, Control->Name));
      for (TVelmoricProperty* Prop : Control->Links)
        TraceWrite("link", Prop->Name + "  value = " + Prop->Value + " " + Prop->Owner->Form->FormName + "." +
                               (Prop->Owner->Parent ? Prop->Owner->ParentPath() + "." : "") + Prop->Owner->Name);
    }
  }
}

std::vector<TVelmoricLink> CollectLinks(const TVelmoricDFMProject& Project) {
  std::vector<TVelmoricLink> Links;
  for (int F = 0; F < Project.Forms.Count(); ++F) {
    TVelmoricDFM* Form = Project.Form(F);
    for (int C = 0; C < Form->Controls.Count(); ++C) {
      TVelmoricControl* Control = Form->Control(C);
      for (int P = 0; P < Control->Properties.Count(); ++P)
        if (TVelmoricProperty* Prop = Control->Property(P); Prop->Link) Links.push_back({Prop, Prop->Link});
    }
  }
  return Links;
}

std::string LinkText(const TVelmoricLink& Link) {
  const TVelmoricProperty* P = Link.Property;
  return P->Owner->Form->FormName + "." + P->Owner->Name + "." + P->Name + " = " + P->Value + " -> " +
         Link.Target->Form->FormName + "." + Link.Target->Name;
}
