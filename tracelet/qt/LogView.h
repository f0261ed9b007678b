// The painted list of the log window: the listed lines from TopLine on, with
// their "+" and "-" markers, both scroll bars driven by the model's scroll
// rules, unfolding by double click and the right-button stream pop-up.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <functional>
#include <string_view>

#include "core/LogModel.h"

class QMenu;

// A line's bytes for display: UTF-8 when they are valid UTF-8, else Latin-1.
QString DecodeText(std::string_view Bytes);

class TLogView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  TLogView(TLogModel& Model, QWidget* Parent = nullptr);

  // Replaces the painting font (the model's widths follow it).
  void SetLineFont(const QFont& Font);
  const QFont& LineFont() const { return FFont; }
  int LineHeight() const;
  // Whole rows of the painting font in the client area (ShowNewLine's R),
  // also before the window was first shown.
  int VisibleRows();
  // The client area: the viewport, laid out from the window's own size
  // while the window has never been shown.
  QSize ClientSize();
  // Draws a received line: in place, or with a jump, or a full repaint.
  void ShowNewLine(int Line);
  // After a rebuild of the view: new scroll ranges, everything repainted.
  void Refresh();
  void UpdateScrollBars();
  // The listed line at a point of the viewport, or -1.
  int LineAt(const QPoint& Pos) const;
  // The right-button pop-up: "Collapse", "Expand", then one item per stream.
  // Each action carries its command id in data().
  QMenu* CreateStreamPopup(QWidget* Parent);

  // Where the pop-up's items and double clicks go (the window's handlers).
  std::function<void(int Id)> OnCommand;
  std::function<void(int Line)> OnUnfold;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void scrollContentsBy(int Dx, int Dy) override {}

 private:
  void VerticalAction(int Action);
  void HorizontalAction(int Action);
  TLogModel& FModel;
  QFont FFont;
  int FWheelDelta = 0;  // of a wheel notch not yet turned into lines
};
