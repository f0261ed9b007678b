// Experts: add-ins that the IDE registers, asks for their identity and
// releases when it unloads them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/opentools/VirtIntf.h"

enum TExpertStyle { esStandard, esForm, esProject, esAddIn };

enum TExpertStateFlag { esEnabled, esChecked };
using TExpertState = uint32_t;  // one bit per TExpertStateFlag
constexpr TExpertState ExpertState(TExpertStateFlag F) { return TExpertState(1) << F; }

class TIExpert : public TInterface {
 public:
  virtual std::string GetName() = 0;
  virtual std::string GetAuthor() = 0;
  virtual std::string GetComment() = 0;
  virtual std::string GetPage() = 0;
  virtual uintptr_t GetGlyph() = 0;  // an icon handle, 0 for none
  virtual TExpertStyle GetStyle() = 0;
  virtual TExpertState GetState() = 0;
  virtual std::string GetIDString() = 0;
  virtual std::string GetMenuText() = 0;
  // Run when the user chooses the expert's own entry; the base raises
  // "Abstract Error".
  virtual void Execute();
};

// Hands the expert to the IDE, which then owns its reference and releases
// it when it unloads the expert. Without an IDE (no LibraryExpertProc) the
// expert is released at once.
void RegisterLibraryExpert(TIExpert* Expert);

// Set by the IDE host: receives every registered expert.
extern std::function<void(TIExpert* Expert)> LibraryExpertProc;
