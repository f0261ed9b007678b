#include "trace/VelmoricStatus.h"

#include "trace/traceletVelmoric.h"

TFormVelmoricCompiling* FormVelmoricCompiling = nullptr;

namespace {

int32_t CheckedAdd(int32_t A, int32_t B) {
  int32_t R;
  if (__builtin_add_overflow(A, B, &R)) throw EIntOverflow("Integer overflow");
  return R;
}

TLabel* MakeLabel(TFormVelmoricCompiling* Form, const char* Name, const char* Caption, int Left,
                  int Top) {
  TLabel* L = new TLabel(Form);
  L->SetName(Name);
  L->Caption = Caption;
  L->SetParent(Form);
  L->SetLeft(Left);
  L->SetTop(Top);
  return L;
}

}  // namespace

TFormVelmoricCompiling::TFormVelmoricCompiling(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricCompiling.Create");
  SetName("FormVelmoricCompiling");
  Caption = "Compiling";
  SetBounds(Left(), Top(), 482, 125);
  Font.Name = "MS Sans Serif";
  Font.Height = -11;
  LabelUnit = MakeLabel(this, "LabelUnit", "LabelUnit", 12, 16);
  Label2 = MakeLabel(this, "Label2", "Lines", 16, 52);
  LabelLines = MakeLabel(this, "LabelLines", "LabelLines", 52, 52);
  Label1 = MakeLabel(this, "Label1", "Total", 148, 52);
  LabelTotal = MakeLabel(this, "LabelTotal", "LabelTotal", 192, 52);
  Label3 = MakeLabel(this, "Label3", "Files", 268, 52);
  LabelFiles = MakeLabel(this, "LabelFiles", "LabelFiles", 304, 52);
}

void TFormVelmoricCompiling::ShowStatus(const std::string& Name) {
  TTraceProc Trace("TFormVelmoricCompiling.ShowStatus");
  ShowLevel = CheckedAdd(ShowLevel, 1);
  FileCount = CheckedAdd(FileCount, 1);
  LabelUnit->Caption = Name;
  LabelFiles->Caption = IntToStr(FileCount);
  if (ShowLevel == 1) {
    Show();
    Repaint();
    Update();
  }
  ThrottledRepaint();
}

void TFormVelmoricCompiling::HideStatus(int Lines) {
  TTraceProc Trace("TFormVelmoricCompiling.HideStatus");
  LabelLines->Caption = IntToStr(Lines);
  TotalLines = CheckedAdd(TotalLines, Lines);
  LabelTotal->Caption = IntToStr(TotalLines);
  ShowLevel = CheckedAdd(ShowLevel, -1);
  if (ShowLevel <= 0) {
    Hide();
    ShowLevel = 0;
    TotalLines = 0;
    FileCount = 0;
  }
  ThrottledRepaint();
}

void TFormVelmoricCompiling::ThrottledRepaint() {
  TTraceProc Trace("TFormVelmoricCompiling.ThrottledRepaint");
  const uint32_t Now = GetTickCount();
  if (Now - static_cast<uint32_t>(LastRepaint) > 300) {
    LastRepaint = static_cast<int32_t>(Now);
    Update();
    Repaint();
  }
}
