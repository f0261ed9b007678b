// Reading a form file into components, as the form designer opens a form:
// each "object" block becomes a component of its class, made by the class
// name registered for it, owned by the root component (the form or data
// module), placed in its parent and given the properties its class knows.
// A class nobody registered becomes a generic component that keeps its
// class name; every component keeps the properties as written.
//
// References to components (DataSource = DataSource1) are resolved after the
// whole file is read, as the library's fix-ups do.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Designer.h"
#include "platform/vcl/Forms.h"

// A syntax error in a form file's text: "Line %d: %s".
VELMORIC_DECLARE_EXCEPTION(EParserError, Exception)

enum TFormValueKind {
  fvIdent,   // identifiers, numbers, True/False, references (Form.Component)
  fvString,  // a quoted string, decoded
  fvOther    // sets, lists, collections, binary data: their text as written
};

struct TFormValue {
  TFormValueKind Kind = fvIdent;
  std::string Text;
};

struct TFormPropertyText {
  std::string Name;  // dotted names joined ("Font.Name")
  TFormValue Value;
};

// One "object" (or "inherited") block of a form file.
struct TFormObjectText {
  std::string Name, ClassName;
  int Line = 0;
  std::vector<TFormPropertyText> Properties;
  std::vector<TFormObjectText> Children;
};

// Parses the text format. A file that does not have exactly one top-level
// object block, or a block that is cut off, raises EParserError.
TFormObjectText ParseFormText(const std::string& Text);

// The component of that name in the form being read (the root or one it
// owns), or nullptr.
using TComponentResolver = std::function<TComponent*(const std::string& Name)>;

// How a registered class is made, which properties it takes (Set returns
// false for a property the class does not know: it is kept as written
// only) and, for a class that is no control, how it nests in the component
// whose block holds its own (a field in its data set).
struct TComponentClassEntry {
  std::function<TComponent*(TComponent* Owner)> Make;
  std::function<bool(TComponent& Component, const TFormPropertyText& Property,
                     const TComponentResolver& Resolve)>
      Set;
  std::function<void(TComponent& Component, TComponent& Parent)> Place;
};

// Registers (or replaces) a class by name, case ignored.
void RegisterComponentClass(const std::string& ClassName, TComponentClassEntry Entry);
bool IsComponentClassRegistered(const std::string& ClassName);
// The component library's own classes: forms, data modules, the standard controls.
void RegisterStandardComponentClasses();
// The properties every control takes: Left, Top, Width, Height, Caption,
// Enabled (and Text of an edit). False for any other.
bool SetControlProperty(TComponent& Component, const TFormPropertyText& Property,
                        const TComponentResolver& Resolve);

// A data module: a root that holds non-visual components.
class TDataModule : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TDataModule"; }
};

// A component of a class nobody registered.
class TGenericComponent : public TComponent {
 public:
  TGenericComponent(TComponent* AOwner, std::string AClassName)
      : TComponent(AOwner), FClassName(std::move(AClassName)) {}
  std::string ClassName() const override { return FClassName; }

 private:
  std::string FClassName;
};

// A form file opened in the designer: its components and their designer.
class TDesignedForm {
 public:
  struct TItem {
    TComponent* Component;
    std::string ClassName;  // as written in the file
    std::string ParentName;  // "" for the root
    std::vector<TFormPropertyText> Properties;
  };

  // Reads the text of a form file. Raises EParserError for bad text and
  // EComponentError for names that are no identifiers or come twice.
  TDesignedForm(const std::string& FileName, const std::string& Text);
  ~TDesignedForm();
  TDesignedForm(const TDesignedForm&) = delete;
  TDesignedForm& operator=(const TDesignedForm&) = delete;

  const std::string& FileName() const { return FFileName; }
  TComponent* Root() const { return FRoot; }
  TFormDesigner& Designer() { return *FDesigner; }
  const std::vector<TItem>& Items() const { return FItems; }
  // The root or a component of the form by name (case ignored), or nullptr.
  TComponent* FindComponent(const std::string& Name) const;

 private:
  void Make(const TFormObjectText& Object, TComponent* Parent);
  std::string FFileName;
  TComponent* FRoot = nullptr;
  std::unique_ptr<TFormDesigner> FDesigner;
  std::vector<TItem> FItems;
};
