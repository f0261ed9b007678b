#include "platform/vcl/ScriptHooks.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

std::string ScriptQuote(const std::string& Text) {
  std::string Result = "\"";
  for (char C : Text) {
    switch (C) {
      case '"': Result += "\\\""; break;
      case '\\': Result += "\\\\"; break;
      case '\n': Result += "\\n"; break;
      case '\r': Result += "\\r"; break;
      case '\t': Result += "\\t"; break;
      default: Result += C; break;
    }
  }
  return Result + "\"";
}

std::string ScriptName(const TComponent& Component) {
  return Component.Name().empty() ? Component.ClassName() : Component.Name();
}

std::string ScriptHeadLine(const TControl& Control, const std::optional<std::string>& Text) {
  std::string Line = Control.ClassName();
  if (!Control.Name().empty()) Line += " " + Control.Name();
  if (Text) Line += " " + ScriptQuote(*Text);
  if (!Control.Enabled) Line += " disabled";
  if (!Control.Visible()) Line += " hidden";
  return Line;
}

std::string ScriptItemLine(const std::string& Text, bool Selected) {
  return (Selected ? "  * " : "    ") + Text;
}

int ScriptNumber(const std::string& Text, const std::string& What) {
  if (Text.empty() || Text.size() > 9 || Text.find_first_not_of("0123456789") != std::string::npos)
    throw EScriptError(Format("%s is not a number: %s", What, Text));
  return std::stoi(Text);
}

int ScriptFindItem(const TStrings& Items, const std::string& Item, const TComponent& Control) {
  if (Item.size() > 1 && Item[0] == '#') {
    const int Index = ScriptNumber(Item.substr(1), "item index");
    if (Index >= Items.Count())
      throw EScriptError(Format("%s has no item %s (%d items)", ScriptName(Control), Item,
                                Items.Count()));
    return Index;
  }
  for (int I = 0; I < Items.Count(); ++I)
    if (Items.Get(I) == Item) return I;
  for (int I = 0; I < Items.Count(); ++I)
    if (SameText(Items.Get(I), Item)) return I;
  throw EScriptError(Format("%s has no item %s", ScriptName(Control), ScriptQuote(Item)));
}

void ScriptCheckArgs(const std::string& Verb, const std::vector<std::string>& Args, size_t Min,
                     size_t Max) {
  if (Args.size() < Min) throw EScriptError(Format("%s needs more arguments", Verb));
  if (Args.size() > Max) throw EScriptError(Format("%s takes fewer arguments", Verb));
}

bool ScriptKey(const std::string& Name, uint16_t& VirtualKey, char& Char) {
  Char = 0;
  if (Name.size() == 1) {
    const char C = Name[0];
    Char = C;
    if (C >= 'a' && C <= 'z') VirtualKey = uint16_t(C - 'a' + 'A');
    else if ((C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == ' ') VirtualKey = uint8_t(C);
    else VirtualKey = 0;
    return true;
  }
  struct TAlias {
    const char* Name;
    uint16_t Key;
    char Char;
  };
  static const TAlias Aliases[] = {{"Enter", VK_RETURN, '\r'}, {"Return", VK_RETURN, '\r'},
                                   {"Escape", VK_ESCAPE, 27},  {"Esc", VK_ESCAPE, 27},
                                   {"Delete", VK_DELETE, 0},   {"Backspace", VK_BACK, 8},
                                   {"Tab", VK_TAB, 9},         {"Space", VK_SPACE, ' '}};
  for (const TAlias& A : Aliases)
    if (SameText(Name, A.Name)) {
      VirtualKey = A.Key;
      Char = A.Char;
      return true;
    }
  const TShortCut Cut = TextToShortCut(Name);
  if (Cut == scNone || (Cut & 0xFF00)) return false;
  VirtualKey = Cut;
  return true;
}

void ScriptPressKey(TWinControl& Control, const std::string& KeyName) {
  uint16_t Key = 0;
  char Char = 0;
  // Modifiers held: "Shift+", "Ctrl+" and "Alt+" in front of the key.
  TShiftState Shift = 0;
  std::string Name = KeyName;
  for (bool More = true; More && Name.size() > 1;) {
    More = false;
    for (const auto& [Prefix, Bit] : {std::pair<const char*, TShiftState>{"shift+", ssShift},
                                      {"ctrl+", ssCtrl}, {"alt+", ssAlt}}) {
      const size_t N = std::strlen(Prefix);
      if (Name.size() > N && LowerCase(Name.substr(0, N)) == Prefix) {
        Shift |= Bit;
        Name.erase(0, N);
        More = true;
      }
    }
  }
  if (!ScriptKey(Name, Key, Char)) throw EScriptError("unknown key " + KeyName);
  if (Shift & (ssCtrl | ssAlt)) {
    // A held Ctrl or Alt types nothing; a letter or digit is pressed as its key.
    if (Key == 0 && std::isalnum(static_cast<unsigned char>(Char)))
      Key = static_cast<uint16_t>(std::toupper(static_cast<unsigned char>(Char)));
    Char = 0;
  }
  TCustomForm* Form = GetParentForm(&Control);
  if (Key != 0) {
    if (Form && Form != &Control && Form->KeyPreview) Form->KeyDown(Key, Shift);
    if (Key != 0) Control.KeyDown(Key, Shift);
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && !Control.WantsKey(Key)) {
      TButton* Target = dynamic_cast<TButton*>(&Control);
      if (Target && Key == VK_ESCAPE) Target = nullptr;
      for (int I = 0; Form && !Target && I < Form->ComponentCount(); ++I) {
        auto* B = dynamic_cast<TButton*>(Form->Components(I));
        if (B && B->Visible() && B->Enabled && (Key == VK_RETURN ? B->Default : B->Cancel))
          Target = B;
      }
      if (Target) {
        Target->Click();
        return;
      }
    }
    if (Key == 0) return;
  }
  if (Char != 0) {
    if (Form && Form != &Control && Form->KeyPreview) Form->KeyPress(Char);
    if (Char != 0) Control.KeyPress(Char);
  }
}

// ------------------------------------------------- hooks of the base classes

void TControl::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, Caption));
}

bool TControl::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "click") {
    ScriptCheckArgs(Verb, Args, 0, 0);
    Click();
    return true;
  }
  if (Verb == "dblclick") {
    ScriptCheckArgs(Verb, Args, 0, 0);
    DblClick();
    return true;
  }
  return false;
}

bool TWinControl::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "keypress") {
    ScriptCheckArgs(Verb, Args, 1, 1);
    ScriptPressKey(*this, Args[0]);
    return true;
  }
  return TControl::ScriptAction(Verb, Args);
}
