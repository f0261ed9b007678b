#include "platform/vcl/Graphics.h"

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  TCanvasOp Op;
  Op.Kind = coTextOut;
  Op.Rect = {X, Y, X + TextWidth(Text), Y + TextHeight(Text)};
  Op.X = X;
  Op.Y = Y;
  Op.Text = Text;
  Op.Font = Font;
  Op.BrushColor = Brush.Color;
  FOps.push_back(std::move(Op));
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::string& Text) {
  TCanvasOp Op;
  Op.Kind = coTextRect;
  Op.Rect = Rect;
  Op.X = X;
  Op.Y = Y;
  Op.Text = Text;
  Op.Font = Font;
  Op.BrushColor = Brush.Color;
  FOps.push_back(std::move(Op));
}

void TCanvas::FillRect(const TRect& Rect) {
  TCanvasOp Op;
  Op.Kind = coFillRect;
  Op.Rect = Rect;
  Op.BrushColor = Brush.Color;
  FOps.push_back(std::move(Op));
}

std::string TCanvas::Text() const {
  std::string Result;
  bool First = true;
  for (const TCanvasOp& Op : FOps) {
    if (Op.Kind == coFillRect || Op.Text.empty()) continue;
    if (!First) Result += ' ';
    Result += Op.Text;
    First = false;
  }
  return Result;
}
