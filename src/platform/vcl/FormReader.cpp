#include "platform/vcl/FormReader.h"

#include <cctype>
#include <map>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/StdCtrls.h"

// ------------------------------------------------------------------ parsing

namespace {

class TFormTextParser {
 public:
  explicit TFormTextParser(const std::string& Text) : S(Text) {}

  TFormObjectText Parse() {
    SkipBlanks();
    TFormObjectText Root = Object(Word());
    SkipBlanks();
    if (P < S.size()) Error("text after the end of the form");
    return Root;
  }

 private:
  [[noreturn]] void Error(const std::string& Why) { throw EParserError(Format("Line %d: %s", Line, Why)); }

  void SkipBlanks() {
    while (P < S.size() && (std::isspace(static_cast<unsigned char>(S[P])) || S[P] == 0)) {
      if (S[P] == '\n') ++Line;
      ++P;
    }
  }
  static bool IdentChar(char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_'; }
  // An identifier, possibly dotted.
  std::string Word() {
    SkipBlanks();
    const size_t Start = P;
    while (P < S.size() && (IdentChar(S[P]) || (S[P] == '.' && P > Start))) ++P;
    return S.substr(Start, P - Start);
  }
  bool Take(char C) {
    SkipBlanks();
    if (P < S.size() && S[P] == C) {
      ++P;
      return true;
    }
    return false;
  }

  TFormObjectText Object(const std::string& Keyword) {
    const std::string K = LowerCase(Keyword);
    if (K != "object" && K != "inherited" && K != "inline")
      Error(Keyword.empty() ? "object expected" : "object expected, not " + Keyword);
    TFormObjectText O;
    O.Line = Line;
    std::string First = Word();
    if (First.empty()) Error("component name expected");
    if (Take(':')) {
      O.Name = First;
      O.ClassName = Word();
      if (O.ClassName.empty()) Error("class name expected");
    } else {
      O.ClassName = First;
    }
    if (Take('[')) {
      while (P < S.size() && S[P] != ']' && S[P] != '\n') ++P;
      if (!Take(']')) Error("] expected");
    }
    for (;;) {
      SkipBlanks();
      if (P >= S.size()) Error("end expected for " + (O.Name.empty() ? O.ClassName : O.Name));
      const std::string W = Word();
      if (W.empty()) Error(Format("unexpected character '%s'", std::string(1, S[P])));
      const std::string L = LowerCase(W);
      if (L == "end") break;
      if (L == "object" || L == "inherited" || L == "inline") {
        O.Children.push_back(Object(W));
        continue;
      }
      if (!Take('=')) Error("= expected after " + W);
      O.Properties.push_back({W, Value()});
    }
    return O;
  }

  TFormValue Value() {
    SkipBlanks();
    if (P >= S.size()) Error("value expected");
    const char C = S[P];
    if (C == '\'' || C == '#') return {fvString, Strings()};
    if (C == '[' || C == '(' || C == '<' || C == '{') return {fvOther, Bracketed()};
    const size_t Start = P;
    while (P < S.size() && S[P] != '\n' && S[P] != '\r') ++P;
    const std::string Text = Trim(S.substr(Start, P - Start));
    if (Text.empty()) Error("value expected");
    return {fvIdent, Text};
  }

  // 'a''b'#13'c' + 'd' ...: the decoded text.
  std::string Strings() {
    std::string R;
    for (;;) {
      if (P < S.size() && S[P] == '\'') {
        ++P;
        for (;;) {
          if (P >= S.size() || S[P] == '\n') Error("unterminated string");
          if (S[P] == '\'') {
            if (P + 1 < S.size() && S[P + 1] == '\'') {
              R += '\'';
              P += 2;
              continue;
            }
            ++P;
            break;
          }
          R += S[P++];
        }
      } else if (P < S.size() && S[P] == '#') {
        ++P;
        const size_t Start = P;
        while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P]))) ++P;
        if (Start == P) Error("character code expected");
        const int Code = StrToIntDef(S.substr(Start, std::min<size_t>(P - Start, 6)), 256);
        R += Code > 255 ? '?' : static_cast<char>(Code);
      } else {
        Error("string expected");
      }
      // Parts follow each other directly or are joined by "+", also across lines.
      if (P < S.size() && (S[P] == '\'' || S[P] == '#')) continue;
      const size_t Save = P;
      const int SaveLine = Line;
      if (Take('+')) {
        SkipBlanks();
        continue;
      }
      P = Save;
      Line = SaveLine;
      return R;
    }
  }

  // A set, list, collection or binary value as written, brackets matched
  // (quoted text may hold any of them).
  std::string Bracketed() {
    const size_t Start = P;
    std::vector<char> Closers;
    do {
      if (P >= S.size()) Error("unterminated value");
      const char C = S[P];
      if (C == '\n') ++Line;
      if (C == '\'') {
        ++P;
        while (P < S.size() && S[P] != '\'' && S[P] != '\n') ++P;
        if (P >= S.size() || S[P] == '\n') Error("unterminated string");
      } else if (C == '[' || C == '(' || C == '<' || C == '{') {
        Closers.push_back(C == '[' ? ']' : C == '(' ? ')' : C == '<' ? '>' : '}');
      } else if (!Closers.empty() && C == Closers.back()) {
        Closers.pop_back();
      }
      ++P;
    } while (!Closers.empty());
    return S.substr(Start, P - Start);
  }

  const std::string& S;
  size_t P = 0;
  int Line = 1;
};

struct TClassKey {
  bool operator()(const std::string& A, const std::string& B) const { return CompareText(A, B) < 0; }
};

std::map<std::string, TComponentClassEntry, TClassKey>& Classes() {
  static std::map<std::string, TComponentClassEntry, TClassKey> Map;
  return Map;
}

}  // namespace

bool SetControlProperty(TComponent& Component, const TFormPropertyText& Prop, const TComponentResolver&) {
  auto* C = dynamic_cast<TControl*>(&Component);
  if (!C) return false;
  const std::string& N = Prop.Name;
  const std::string& V = Prop.Value.Text;
  auto Int = [&] { return StrToIntDef(V, 0); };
  if (SameText(N, "Left")) C->SetBounds(Int(), C->Top(), C->Width(), C->Height());
  else if (SameText(N, "Top")) C->SetBounds(C->Left(), Int(), C->Width(), C->Height());
  else if (SameText(N, "Width") || SameText(N, "ClientWidth")) C->SetBounds(C->Left(), C->Top(), Int(), C->Height());
  else if (SameText(N, "Height") || SameText(N, "ClientHeight")) C->SetBounds(C->Left(), C->Top(), C->Width(), Int());
  else if (SameText(N, "Caption")) C->Caption = V;
  else if (SameText(N, "Enabled")) C->Enabled = SameText(V, "True");
  else if (SameText(N, "Text") && dynamic_cast<TEdit*>(C)) static_cast<TEdit*>(C)->SetText(V);
  else return false;
  return true;
}

namespace {

template <class T>
TComponentClassEntry ControlClass() {
  return {[](TComponent* Owner) -> TComponent* { return new T(Owner); }, SetControlProperty, nullptr};
}

}  // namespace

TFormObjectText ParseFormText(const std::string& Text) { return TFormTextParser(Text).Parse(); }

void RegisterComponentClass(const std::string& ClassName, TComponentClassEntry Entry) {
  Classes()[ClassName] = std::move(Entry);
}

bool IsComponentClassRegistered(const std::string& ClassName) { return Classes().count(ClassName) > 0; }

void RegisterStandardComponentClasses() {
  RegisterComponentClass("TForm", ControlClass<TForm>());
  RegisterComponentClass("TDataModule",
                         {[](TComponent* Owner) -> TComponent* { return new TDataModule(Owner); },
                          [](TComponent&, const TFormPropertyText&, const TComponentResolver&) { return false; }, nullptr});
  RegisterComponentClass("TButton", ControlClass<TButton>());
  RegisterComponentClass("TLabel", ControlClass<TLabel>());
  RegisterComponentClass("TEdit", ControlClass<TEdit>());
  RegisterComponentClass("TPanel", ControlClass<TPanel>());
  RegisterComponentClass("TCheckBox", ControlClass<TCheckBox>());
  RegisterComponentClass("TComboBox", ControlClass<TComboBox>());
}

// ------------------------------------------------------------ designed forms

namespace {

// The root of a form file whose class is the user's own (TForm1,
// TDataModule1): a form when it has window properties or controls, else a
// data module; it reports the class name written.
template <class Base>
class TDesignedRoot : public Base {
 public:
  TDesignedRoot(TComponent* AOwner, std::string AClassName) : Base(AOwner), FClassName(std::move(AClassName)) {}
  std::string ClassName() const override { return FClassName; }

 private:
  std::string FClassName;
};

bool LooksLikeForm(const TFormObjectText& Root) {
  for (const TFormPropertyText& P : Root.Properties)
    if (SameText(P.Name, "ClientHeight") || SameText(P.Name, "ClientWidth") || SameText(P.Name, "Caption"))
      return true;
  return false;
}

}  // namespace

TDesignedForm::TDesignedForm(const std::string& FileName, const std::string& Text) : FFileName(FileName) {
  const TFormObjectText Root = ParseFormText(Text);
  try {
    Make(Root, nullptr);
    FDesigner = std::make_unique<TFormDesigner>(FRoot);
    const TComponentResolver Resolve = [this](const std::string& Name) { return FindComponent(Name); };
    // Properties once every component exists, so that references resolve.
    for (TItem& Item : FItems) {
      auto It = Classes().find(Item.ClassName);
      // A root of the user's own class takes what its library class takes.
      decltype(TComponentClassEntry::Set) Set;
      if (It != Classes().end()) Set = It->second.Set;
      else if (dynamic_cast<TControl*>(Item.Component)) Set = SetControlProperty;
      if (!Set) continue;
      for (const TFormPropertyText& P : Item.Properties) Set(*Item.Component, P, Resolve);
    }
  } catch (...) {
    delete FRoot;
    throw;
  }
}

TDesignedForm::~TDesignedForm() {
  FDesigner.reset();
  delete FRoot;
}

void TDesignedForm::Make(const TFormObjectText& Object, TComponent* Parent) {
  TComponent* C = nullptr;
  auto It = Classes().find(Object.ClassName);
  if (!Parent) {
    if (It != Classes().end()) C = It->second.Make(nullptr);
    else if (LooksLikeForm(Object)) C = new TDesignedRoot<TForm>(nullptr, Object.ClassName);
    else C = new TDesignedRoot<TDataModule>(nullptr, Object.ClassName);
    FRoot = C;
  } else if (It != Classes().end()) {
    C = It->second.Make(FRoot);
  } else {
    C = new TGenericComponent(FRoot, Object.ClassName);
  }
  try {
    C->SetName(Object.Name);
  } catch (const EComponentError& E) {
    if (C != FRoot) delete C;
    throw EComponentError(Format("Line %d: %s", Object.Line, E.Message()));
  }
  // Controls go into their parent control; other classes nest as their
  // registration says (a field in its data set).
  if (auto* Control = dynamic_cast<TControl*>(C)) {
    if (auto* Win = dynamic_cast<TWinControl*>(Parent)) Control->SetParent(Win);
  } else if (Parent && It != Classes().end() && It->second.Place) {
    It->second.Place(*C, *Parent);
  }
  FItems.push_back({C, Object.ClassName, Parent ? Parent->Name() : std::string(), Object.Properties});
  for (const TFormObjectText& Child : Object.Children) Make(Child, C);
}

TComponent* TDesignedForm::FindComponent(const std::string& Name) const {
  if (!FRoot || Name.empty()) return nullptr;
  if (SameText(FRoot->Name(), Name)) return FRoot;
  return FRoot->FindComponent(Name);
}
