// A headless canvas: it draws nothing, it records what is drawn (texts with
// their place, font and brush colour, filled rectangles), so that painting
// can be read back by tests and scripts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

using TColor = uint32_t;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
// System colours.
constexpr TColor clBtnFace = 0x8000000F, clWindow = 0x80000005, clWindowText = 0x80000008,
                 clHighlight = 0x8000000D, clHighlightText = 0x8000000E;

struct TBrush {
  TColor Color = clWhite;
};

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
};

enum TCanvasOpKind { coTextOut, coTextRect, coFillRect };

// One drawing call as the canvas recorded it.
struct TCanvasOp {
  TCanvasOpKind Kind = coTextOut;
  TRect Rect;  // the clipping or filled rectangle (TextRect, FillRect)
  int X = 0, Y = 0;
  std::string Text;
  TFont Font;
  TColor BrushColor = clWhite;
};

class TCanvas : public TObject {
 public:
  void TextOut(int X, int Y, const std::string& Text);
  void TextRect(const TRect& Rect, int X, int Y, const std::string& Text);
  void FillRect(const TRect& Rect);
  // A fixed-pitch estimate: 6 pixels a character, 13 pixels a line.
  int TextWidth(const std::string& Text) const { return 6 * static_cast<int>(Text.size()); }
  int TextHeight(const std::string& Text) const { return 13; }

  const std::vector<TCanvasOp>& Ops() const { return FOps; }
  void ClearOps() { FOps.clear(); }
  // The texts written (TextOut, TextRect) since the last ClearOps, in the
  // order written, joined by one blank.
  std::string Text() const;

  TFont Font;
  TBrush Brush;
  TPen Pen;

 private:
  std::vector<TCanvasOp> FOps;
};
