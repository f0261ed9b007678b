// What the script host needs from controls. Every component answers two
// virtual methods (TComponent::ScriptPrint and TComponent::ScriptAction);
// a control class overrides them in its own file, with the helpers below,
// so that the script interpreter never names a control class.
//
// Printing: one head line per control, "<class> <name> "<caption or text>""
// followed by " disabled" and " hidden" when so; then detail lines indented
// by two blanks: items as "  * item" (selected) or "    item", memo lines as
// "  | line", states as "  checked", "  page <name>" and the like.
//
// Actions: set, select, unselect, check, uncheck, click, dblclick, keypress,
// tab, row, header, expand; an item is its text or "#N" (0-based index).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

// A script action that applies but cannot be carried out (an item that is
// not there, a row out of range); the message says why.
VELMORIC_DECLARE_EXCEPTION(EScriptError, Exception)

// The text in double quotes with '"', '\' and line breaks and tabs escaped.
std::string ScriptQuote(const std::string& Text);
// The head line of a control: class, name (when it has one), the quoted
// text when there is one, "disabled" and "hidden".
std::string ScriptHeadLine(const TControl& Control, const std::optional<std::string>& Text);
// An item line: "  * Text" when selected, "    Text" otherwise.
std::string ScriptItemLine(const std::string& Text, bool Selected);
// The index in Items of Item: "#N" gives N (checked against the count),
// otherwise the first item equal to Item, then the first equal ignoring
// case. Raises EScriptError naming Control when there is none.
int ScriptFindItem(const TStrings& Items, const std::string& Item, const TComponent& Control);
// The name of a component for messages: its name or its class.
std::string ScriptName(const TComponent& Component);
// Raises EScriptError unless Args has between Min and Max entries.
void ScriptCheckArgs(const std::string& Verb, const std::vector<std::string>& Args, size_t Min,
                     size_t Max);
// A non-negative decimal number, or EScriptError naming What.
int ScriptNumber(const std::string& Text, const std::string& What);

// A key as scripts name it: "Enter", "Escape", "Delete", "Tab", "Space",
// "Up", "F5", ... or one character. False when the name is not known.
bool ScriptKey(const std::string& Name, uint16_t& VirtualKey, char& Char);
// Presses the key on the control as the keyboard would ("Shift+", "Ctrl+"
// and "Alt+" in front of the name hold those keys): the form's key
// preview, the control's OnKeyDown, Enter and Escape for the form's default
// and cancel buttons unless the control wants them, then OnKeyPress with
// the character the key types.
void ScriptPressKey(TWinControl& Control, const std::string& KeyName);
