#include "platform/vcl/Grids.h"

#include <algorithm>

#include "platform/vcl/ScriptHooks.h"

namespace {
[[noreturn]] void OutOfRange() { throw EInvalidGridOperation("Grid index out of range"); }
}  // namespace

// ---------------------------------------------------------------- TDrawGrid

TDrawGrid::TDrawGrid(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  SetBounds(0, 0, 320, 120);
  TabStop = true;
  FColWidths.assign(FColCount, FDefaultColWidth);
  FRowHeights.assign(FRowCount, FDefaultRowHeight);
}

void TDrawGrid::SetColCount(int Value) {
  Value = std::max(Value, FFixedCols + 1);
  FColCount = Value;
  FColWidths.resize(Value, FDefaultColWidth);
  if (FCol >= Value) FCol = Value - 1;
  Invalidate();
}

void TDrawGrid::SetRowCount(int Value) {
  Value = std::max(Value, FFixedRows + 1);
  FRowCount = Value;
  FRowHeights.resize(Value, FDefaultRowHeight);
  if (FRow >= Value) FRow = Value - 1;
  Invalidate();
}

void TDrawGrid::SetFixedCols(int Value) {
  if (Value < 0 || Value >= FColCount) throw EInvalidGridOperation("Fixed column count must be less than column count");
  FFixedCols = Value;
  if (FCol < Value) FCol = Value;
  Invalidate();
}

void TDrawGrid::SetFixedRows(int Value) {
  if (Value < 0 || Value >= FRowCount) throw EInvalidGridOperation("Fixed row count must be less than row count");
  FFixedRows = Value;
  if (FRow < Value) FRow = Value;
  Invalidate();
}

void TDrawGrid::CheckCell(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) OutOfRange();
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
  bool CanSelect = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, CanSelect);
  return CanSelect;
}

void TDrawGrid::MoveCurrent(int ACol, int ARow) {
  CheckCell(ACol, ARow);
  if (!SelectCell(ACol, ARow)) return;
  FCol = ACol;
  FRow = ARow;
  Invalidate();
  Click();
}

void TDrawGrid::SetCol(int Value) {
  if (Value != FCol) MoveCurrent(Value, FRow);
}

void TDrawGrid::SetRow(int Value) {
  if (Value != FRow) MoveCurrent(FCol, Value);
}

bool TDrawGrid::CellSelected(int ACol, int ARow) const {
  if (ARow != FRow) return false;
  return (Options & goRowSelect) ? ACol >= FFixedCols : ACol == FCol;
}

void TDrawGrid::SetDefaultColWidth(int Value) {
  FDefaultColWidth = std::max(Value, 0);
  FColWidths.assign(FColCount, FDefaultColWidth);
  Invalidate();
}

void TDrawGrid::SetDefaultRowHeight(int Value) {
  FDefaultRowHeight = std::max(Value, 0);
  FRowHeights.assign(FRowCount, FDefaultRowHeight);
  Invalidate();
}

int TDrawGrid::ColWidths(int Index) const {
  if (Index < 0 || Index >= FColCount) OutOfRange();
  return FColWidths[Index];
}

void TDrawGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= FColCount) OutOfRange();
  FColWidths[Index] = std::max(Value, 0);
  Invalidate();
}

int TDrawGrid::RowHeights(int Index) const {
  if (Index < 0 || Index >= FRowCount) OutOfRange();
  return FRowHeights[Index];
}

void TDrawGrid::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= FRowCount) OutOfRange();
  FRowHeights[Index] = std::max(Value, 0);
  Invalidate();
}

TRect TDrawGrid::CellRect(int ACol, int ARow) const {
  CheckCell(ACol, ARow);
  TRect R;
  for (int I = 0; I < ACol; ++I) R.Left += FColWidths[I] + 1;
  for (int I = 0; I < ARow; ++I) R.Top += FRowHeights[I] + 1;
  R.Right = R.Left + FColWidths[ACol];
  R.Bottom = R.Top + FRowHeights[ARow];
  return R;
}

void TDrawGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  ACol = ARow = -1;
  for (int I = 0, Left = 0; I < FColCount; Left += FColWidths[I] + 1, ++I)
    if (X >= Left && X <= Left + FColWidths[I]) {
      ACol = I;
      break;
    }
  for (int I = 0, Top = 0; I < FRowCount; Top += FRowHeights[I] + 1, ++I)
    if (Y >= Top && Y <= Top + FRowHeights[I]) {
      ARow = I;
      break;
    }
}

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, Rect, State);
}

std::string TDrawGrid::PaintedText(int ACol, int ARow) {
  CheckCell(ACol, ARow);
  FCanvas->ClearOps();
  FCanvas->Font = Font;
  TGridDrawState State = 0;
  if (ACol < FFixedCols || ARow < FFixedRows) State |= gdFixed;
  if (CellSelected(ACol, ARow)) State |= gdSelected;
  if (ACol == FCol && ARow == FRow) State |= gdFocused;
  FCanvas->Brush.Color = (State & gdFixed) ? clBtnFace : (State & gdSelected) ? clHighlight : clWindow;
  DrawCell(ACol, ARow, CellRect(ACol, ARow), State);
  return FCanvas->Text();
}

void TDrawGrid::Paint() {
  std::vector<TCanvasOp> All;
  for (int R = 0; R < FRowCount; ++R)
    for (int C = 0; C < FColCount; ++C) {
      PaintedText(C, R);
      All.insert(All.end(), FCanvas->Ops().begin(), FCanvas->Ops().end());
    }
  FCanvas->ClearOps();
  for (const TCanvasOp& Op : All) {
    FCanvas->Font = Op.Font;
    FCanvas->Brush.Color = Op.BrushColor;
    if (Op.Kind == coTextOut) FCanvas->TextOut(Op.X, Op.Y, Op.Text);
    else if (Op.Kind == coTextRect) FCanvas->TextRect(Op.Rect, Op.X, Op.Y, Op.Text);
    else FCanvas->FillRect(Op.Rect);
  }
  Repaint();
}

void TDrawGrid::ClickCell(int ACol, int ARow, TMouseButton Button, TShiftState Shift) {
  if (!Enabled) return;
  const TRect R = CellRect(ACol, ARow);
  MouseDown(Button, Shift, R.Left + 1, R.Top + 1);
  if (Button == mbLeft && ACol >= FFixedCols && ARow >= FFixedRows) MoveCurrent(ACol, ARow);
  MouseUp(Button, Shift, R.Left + 1, R.Top + 1);
}

void TDrawGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 38 && FRow > FFixedRows) SetRow(FRow - 1);       // Up
  else if (Key == 40 && FRow < FRowCount - 1) SetRow(FRow + 1);  // Down
}

void TDrawGrid::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  auto* Self = const_cast<TDrawGrid*>(this);  // painting reads the handlers' drawing
  std::vector<std::string> Rows;
  int Last = FRow;
  for (int R = 0; R < FRowCount; ++R) {
    std::string Line;
    bool Any = false;
    for (int C = 0; C < FColCount; ++C) {
      const std::string Text = Self->PaintedText(C, R);
      Any = Any || !Text.empty();
      if (C > 0) Line += " | ";
      Line += Text;
    }
    if (Any) Last = std::max(Last, R);
    Rows.push_back(std::move(Line));
  }
  Self->FCanvas->ClearOps();
  for (int R = 0; R <= Last && R < FRowCount; ++R) Lines.push_back(ScriptItemLine(Rows[R], R == FRow));
}

bool TDrawGrid::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "row" || (Verb == "dblclick" && Args.size() == 1)) {
    ScriptCheckArgs(Verb, Args, 1, 1);
    const int R = ScriptNumber(Args[0], "row");
    if (R >= FRowCount)
      throw EScriptError(Format("%s has no row %d (%d rows)", ScriptName(*this), R, FRowCount));
    if (R < FFixedRows) throw EScriptError(Format("row %d of %s is a fixed row", R, ScriptName(*this)));
    ClickCell(std::max(FCol, FFixedCols), R);
    if (Verb == "dblclick") DblClick();
    return true;
  }
  if (Verb == "header") {
    ScriptCheckArgs(Verb, Args, 1, 2);
    if (Args.size() == 2 && Args[1] != "right")
      throw EScriptError("header takes a column and optionally \"right\"");
    if (FFixedRows == 0) throw EScriptError(ScriptName(*this) + " has no header row");
    int C = -1;
    if (!Args[0].empty() && Args[0].find_first_not_of("0123456789") == std::string::npos) {
      C = ScriptNumber(Args[0], "column");
    } else {
      for (int I = 0; I < FColCount && C < 0; ++I)
        if (SameText(PaintedText(I, 0), Args[0])) C = I;
      FCanvas->ClearOps();
      if (C < 0) throw EScriptError(Format("%s has no column %s", ScriptName(*this), ScriptQuote(Args[0])));
    }
    if (C >= FColCount)
      throw EScriptError(Format("%s has no column %d (%d columns)", ScriptName(*this), C, FColCount));
    const bool Right = Args.size() == 2;
    ClickCell(C, 0, Right ? mbRight : mbLeft, Right ? ssRight : ssLeft);
    return true;
  }
  return TWinControl::ScriptAction(Verb, Args);
}

// -------------------------------------------------------------- TStringGrid

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

std::string TStringGrid::Cells(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) OutOfRange();
  auto It = FCells.find({ACol, ARow});
  return It == FCells.end() ? std::string() : It->second.Text;
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& Value) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) OutOfRange();
  FCells[{ACol, ARow}].Text = Value;
  Invalidate();
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) OutOfRange();
  auto It = FCells.find({ACol, ARow});
  return It == FCells.end() ? nullptr : It->second.Object;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) OutOfRange();
  FCells[{ACol, ARow}].Object = Value;
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) {
  if (DefaultDrawing) {
    auto It = FCells.find({ACol, ARow});
    if (It != FCells.end()) Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, It->second.Text);
  }
  TDrawGrid::DrawCell(ACol, ARow, Rect, State);
}
