// Grids: a draw grid paints its cells through OnDrawCell on its canvas; a
// string grid keeps texts per cell and paints them itself. Cells are
// 0-based (column, row); the first FixedRows rows and FixedCols columns are
// the fixed (header) cells. As in the library, moving the current cell,
// from code or by the user, asks OnSelectCell and then fires OnClick.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Graphics.h"

VELMORIC_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

using TGridDrawState = uint8_t;  // one bit each
constexpr TGridDrawState gdSelected = 1, gdFocused = 2, gdFixed = 4;

using TGridOptions = uint32_t;  // one bit each
constexpr TGridOptions goFixedVertLine = 1, goFixedHorzLine = 2, goVertLine = 4, goHorzLine = 8,
                       goRangeSelect = 16, goDrawFocusSelected = 32, goRowSizing = 64,
                       goColSizing = 128, goEditing = 256, goTabs = 512, goRowSelect = 1024,
                       goThumbTracking = 2048;

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, const TRect& Rect,
                                          TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TDrawGrid : public TWinControl {
 public:
  explicit TDrawGrid(TComponent* AOwner);
  std::string ClassName() const override { return "TDrawGrid"; }

  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  // At least one more than the fixed ones; the current cell is kept inside.
  void SetColCount(int Value);
  void SetRowCount(int Value);
  int FixedCols() const { return FFixedCols; }
  int FixedRows() const { return FFixedRows; }
  void SetFixedCols(int Value);  // EInvalidGridOperation unless below ColCount
  void SetFixedRows(int Value);

  int Col() const { return FCol; }
  int Row() const { return FRow; }
  // Moves the current cell (OnSelectCell, then OnClick) when it changes;
  // EInvalidGridOperation outside the grid.
  void SetCol(int Value);
  void SetRow(int Value);
  // Whether cell (ACol, ARow) is the selection: the current cell, or its
  // whole row with goRowSelect.
  bool CellSelected(int ACol, int ARow) const;

  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);  // resets every column's width
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);  // resets every row's height
  int ColWidths(int Index) const;       // EInvalidGridOperation out of range
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);

  // The cell's rectangle in client coordinates (no scrolling).
  TRect CellRect(int ACol, int ARow) const;
  // The cell under a client point; -1 where there is none.
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;

  TCanvas* Canvas() const { return FCanvas.get(); }
  // Paints every cell on the canvas (the canvas keeps what was drawn).
  void Paint();
  // Paints one cell on a cleared canvas and returns the texts it wrote.
  std::string PaintedText(int ACol, int ARow);

  // The user clicks cell (ACol, ARow) with the left button: OnMouseDown,
  // the current cell moves there (OnSelectCell, OnClick) unless it is a
  // fixed cell, then OnMouseUp.
  void ClickCell(int ACol, int ARow, TMouseButton Button = mbLeft, TShiftState Shift = ssLeft);

  // Up and Down move the current row, after OnKeyDown.
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

  // Script hooks: the painted texts row by row, " | " between cells, the
  // current row marked; "row N", "header COL [right]", "dblclick [ROW]".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  TGridOptions Options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  bool DefaultDrawing = true;
  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;

 protected:
  // Paints cell (ACol, ARow): OnDrawCell.
  virtual void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State);
  virtual bool SelectCell(int ACol, int ARow);

 private:
  void MoveCurrent(int ACol, int ARow);
  void CheckCell(int ACol, int ARow) const;
  int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
  int FCol = 1, FRow = 1;
  int FDefaultColWidth = 64, FDefaultRowHeight = 24;
  std::vector<int> FColWidths, FRowHeights;
  std::unique_ptr<TCanvas> FCanvas;
};

// A grid that holds a text and an object per cell and paints the text.
class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  std::string ClassName() const override { return "TStringGrid"; }
  // Empty for a cell never set; EInvalidGridOperation outside the grid.
  std::string Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const std::string& Value);
  TObject* Objects(int ACol, int ARow) const;
  void SetObjects(int ACol, int ARow, TObject* Value);

 protected:
  // With DefaultDrawing the cell's text at (left + 2, top + 2), then OnDrawCell.
  void DrawCell(int ACol, int ARow, const TRect& Rect, TGridDrawState State) override;

 private:
  struct TCell {
    std::string Text;
    TObject* Object = nullptr;
  };
  std::map<std::pair<int, int>, TCell> FCells;
};
