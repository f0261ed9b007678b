// The form dependency analyzer's reading classes: form files (".dfm",
// ".lfm") read into components with their properties, and the links between
// components found through property values that name another component, in
// the same form or, as F.C, in form F.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

class TToken;
class TVelmoricControl;
class TVelmoricDFM;
class TVelmoricDFMProject;

// One property assignment of a component.
class TVelmoricProperty : public TObject {
 public:
  TVelmoricProperty(TVelmoricControl* AOwner, std::string AName, std::string AValue)
      : Owner(AOwner), Name(std::move(AName)), Value(std::move(AValue)) {}

  TVelmoricControl* Owner;
  std::string Name;   // as written, dotted names joined ("Font.Name")
  std::string Value;  // strings without quotes; sets, lists and collections as their tokens
  TVelmoricControl* Link = nullptr;  // the component the value names, set by FindConnections
  uint8_t Kind = 4;
  bool Quoted = false;  // the value was a quoted string
};

// One component ("object" block) of a form file.
class TVelmoricControl : public TObject {
 public:
  TVelmoricControl(TVelmoricDFM* AForm, TVelmoricControl* AParent, std::string AName);
  ~TVelmoricControl() override;
  TVelmoricControl(const TVelmoricControl&) = delete;
  TVelmoricControl& operator=(const TVelmoricControl&) = delete;

  // The names of its parents from the outermost down, joined by ".".
  std::string ParentPath() const;
  // The property named Name (case ignored), or nil.
  TVelmoricProperty* FindProperty(const std::string& Name) const;
  TVelmoricProperty* Property(int Index) const { return static_cast<TVelmoricProperty*>(Properties.Objects(Index)); }

  TVelmoricDFM* Form;
  std::string Name;
  std::string ComponentClass;  // the class name as written, "" when absent
  TVelmoricControl* Parent;
  std::vector<TVelmoricControl*> Children;  // in file order, owned by the form
  std::vector<TVelmoricProperty*> Links;    // properties anywhere that name this component
  TStringList Properties;                    // lower-cased name -> TVelmoricProperty, owned
};

// One form file.
class TVelmoricDFM : public TObject {
 public:
  explicit TVelmoricDFM(TVelmoricDFMProject* AProject);
  ~TVelmoricDFM() override;
  TVelmoricDFM(const TVelmoricDFM&) = delete;
  TVelmoricDFM& operator=(const TVelmoricDFM&) = delete;

  // Reads the form file Name (binary or text) and returns its line count.
  // A file that is no form file raises EReadError; a file that cannot be read
  // EFOpenError.
  int ReadFromFile(const std::string& Name);
  // The same for the text of a form file already converted.
  int ReadFromText(const std::string& Name, const std::string& Text);
  // Reads one "object" block at the current token.
  void ReadObject(TVelmoricControl* Parent);
  // Reports a syntax error: a message box for the first in the file, the
  // trace for later ones; the message goes to the project's errors once.
  void DFMError(const std::string& Message);

  // The component named Name (case ignored), or nil.
  TVelmoricControl* FindControl(const std::string& Name) const;
  TVelmoricControl* Control(int Index) const { return static_cast<TVelmoricControl*>(Controls.Objects(Index)); }

  TVelmoricDFMProject* Project;
  TStringList Controls;  // lower-cased name -> TVelmoricControl, owned; sorted after reading
  TToken* Token = nullptr;   // alive only while reading
  TStringList* Lines = nullptr;
  std::string FileName;
  std::string FormName;
  int ErrorCount = 0;  // syntax errors found in the file

 private:
  bool Advance();
  bool Is(const char* Lower) const;
  char CharAfterToken() const;
  char PeekInLine() const;
  std::string ReadValue();
  std::string ReadBracketed(const char* Open, const char* Close);
  std::string ReadStringValue();
  bool FAtEnd = false;
  bool FValueQuoted = false;
  int FErrorLine = -1;
  int FDepth = 0;
  static constexpr int MaxObjectDepth = 256;
};

// The analysed set of form files.
class TVelmoricDFMProject : public TObject {
 public:
  TVelmoricDFMProject();
  ~TVelmoricDFMProject() override;
  TVelmoricDFMProject(const TVelmoricDFMProject&) = delete;
  TVelmoricDFMProject& operator=(const TVelmoricDFMProject&) = delete;

  // Reads one form file into a new form of the project (the status window
  // shows it while it is read). Errors of the file itself propagate and
  // leave the project as it was.
  void LoadFromFile(const std::string& Name);
  // Every file matching "dm*.DFM" in Directory, then sorts the forms.
  void ReadProject(const std::string& Directory);
  // Resolves every property value that names a component.
  void FindConnections();
  // Writes every link to the trace.
  void DisplayLinks();

  // The form named Name (case ignored), or nil; of forms with equal names
  // the first in sort order.
  TVelmoricDFM* FindForm(const std::string& Name) const;
  TVelmoricDFM* Form(int Index) const { return static_cast<TVelmoricDFM*>(Forms.Objects(Index)); }

  TStringList Forms;  // form name -> TVelmoricDFM, owned, sorted, equal names kept
  int Total = 0;      // lines of all files read
  // One line per syntax error reported ("file(line): message").
  std::vector<std::string> Errors;
};

// One link found: Property (of its owner) names Target.
struct TVelmoricLink {
  TVelmoricProperty* Property;
  TVelmoricControl* Target;
};
// Every link of the project in form order, component order, then the
// properties in the order the connection pass found them.
std::vector<TVelmoricLink> CollectLinks(const TVelmoricDFMProject& Project);
// "<form>.<component>.<property> = <value> -> <form>.<component>".
std::string LinkText(const TVelmoricLink& Link);
