// A reduced second trace client: window only, no log file. Nothing starts it,
// so it never sends; it keeps the same wire format as the main client.
#pragma once

#include <string>

namespace traceletWizard {

class TTracelet {
 public:
  TTracelet() = default;
  ~TTracelet();
  TTracelet(const TTracelet&) = delete;
  TTracelet& operator=(const TTracelet&) = delete;

  void start();
  void StrWrite(const std::string& Stream, const std::string& Text);
  void write(const std::string& Text) { StrWrite("stdOut", Text); }
  int Wnd() const { return FWnd; }

 private:
  int FWnd = 0;
};

extern TTracelet* tracelet;

}  // namespace traceletWizard
