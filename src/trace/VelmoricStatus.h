// The small status window "Compiling" that long parsing runs show while
// they work: the file being parsed, its lines, the running line total and
// the number of files. Nested parses keep the one window shown.
#pragma once

#include <cstdint>
#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFormVelmoricCompiling : public TForm {
 public:
  explicit TFormVelmoricCompiling(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricCompiling"; }

  // A parse of Name starts.
  void ShowStatus(const std::string& Name);
  // That parse ended after Lines lines.
  void HideStatus(int Lines);

  TLabel* LabelUnit;
  TLabel* Label2;
  TLabel* LabelLines;
  TLabel* Label1;
  TLabel* LabelTotal;
  TLabel* Label3;
  TLabel* LabelFiles;

  int32_t TotalLines = 0;  // lines counted since the window was last shown
  int32_t FileCount = 0;   // files started since then
  int32_t ShowLevel = 0;   // ShowStatus calls not yet closed by HideStatus
  int32_t LastRepaint = 0;  // tick count of the last throttled repaint

 private:
  // Updates and repaints when more than 300 ms passed since the last time.
  void ThrottledRepaint();
};

// The one status window; created and freed by the expert.
extern TFormVelmoricCompiling* FormVelmoricCompiling;
