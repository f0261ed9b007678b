#include "qt/LogView.h"

#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QWheelEvent>

QString DecodeText(std::string_view Bytes) {
  QStringDecoder Utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString Text = Utf8(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
  if (!Utf8.hasError()) return Text;
  return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
}

namespace {

// Tabs stand for blanks up to the next multiple of 8 characters, both when
// a line is measured and when it is painted.
QString ExpandTabs(QString Text) {
  for (qsizetype I = Text.indexOf('\t'); I >= 0; I = Text.indexOf('\t', I))
    Text.replace(I, 1, QString(8 - I % 8, ' '));
  return Text;
}

}  // namespace

TLogView::TLogView(TLogModel& Model, QWidget* Parent) : QAbstractScrollArea(Parent), FModel(Model) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette White = viewport()->palette();
  White.setColor(QPalette::Base, Qt::white);
  White.setColor(QPalette::Text, Qt::black);
  viewport()->setPalette(White);
  viewport()->setAutoFillBackground(true);
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &TLogView::VerticalAction);
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this, &TLogView::HorizontalAction);

  QFont Font("System");
  Font.setPixelSize(14);
  Font.setWeight(QFont::Normal);
  SetLineFont(Font);
}

void TLogView::SetLineFont(const QFont& Font) {
  FFont = Font;
  QFontMetrics Metrics(FFont);
  FModel.SetMeasure([Metrics](std::string_view Text) {
    return Metrics.horizontalAdvance(ExpandTabs(DecodeText(Text)));
  });
}

int TLogView::LineHeight() const { return std::max(1, QFontMetrics(FFont).height()); }

int TLogView::VisibleRows() { return ClientSize().height() / LineHeight(); }

QSize TLogView::ClientSize() {
  QWidget* Window = window();
  if (!isVisible() && Window != this) {
    // Hidden (the usual start, in the tray): Qt lays the window out only
    // when it is shown. Give this view the window's client area below the
    // menu bar, as the window's layout will, and lay out the viewport.
    int MenuHeight = 0;
    if (auto* Main = qobject_cast<QMainWindow*>(Window); Main && Main->menuWidget()) {
      QWidget* Menu = Main->menuWidget();
      MenuHeight = Menu->heightForWidth(Window->width());
      if (MenuHeight < 0) MenuHeight = Menu->sizeHint().height();
      MenuHeight = std::max(MenuHeight, Menu->minimumSizeHint().height());
    }
    const QRect Client = Window->contentsRect();
    setGeometry(Client.left(), Client.top() + MenuHeight, Client.width(),
                std::max(0, Client.height() - MenuHeight));
    setViewportMargins(viewportMargins());
  }
  return viewport()->size();
}

void TLogView::ShowNewLine(int Line) {
  switch (FModel.ShowNewLine(Line, VisibleRows())) {
    case saNone:
      return;
    case saDrawLine: {
      int H = LineHeight();
      viewport()->update(0, (Line - FModel.TopLine()) * H, viewport()->width(), H);
      break;
    }
    case saRepaintAll:
    case saJump:
      viewport()->update();
      break;
  }
  UpdateScrollBars();
}

void TLogView::Refresh() {
  UpdateScrollBars();
  viewport()->update();
}

void TLogView::UpdateScrollBars() {
  const QSize Client = ClientSize();
  QScrollBar* V = verticalScrollBar();
  V->setRange(0, FModel.LineCount());
  V->setPageStep(std::max(1, Client.height() / LineHeight()));
  V->setValue(FModel.TopLine());
  // The offset stays within the range the listed lines give.
  FModel.SetClientWidth(Client.width());
  QScrollBar* H = horizontalScrollBar();
  H->setRange(0, std::max(0, FModel.MaxWidth() - Client.width()));
  H->setPageStep(std::max(1, Client.width()));
  H->setValue(-FModel.LeftOffset());
}

int TLogView::LineAt(const QPoint& Pos) const {
  if (Pos.y() < 0) return -1;
  int Line = FModel.TopLine() + Pos.y() / LineHeight();
  return Line < FModel.LineCount() ? Line : -1;
}

QMenu* TLogView::CreateStreamPopup(QWidget* Parent) {
  auto* Menu = new QMenu(Parent);
  auto Add = [&](const QString& Caption, int Id) {
    QAction* Action = Menu->addAction(Caption);
    Action->setData(Id);
    connect(Action, &QAction::triggered, this, [this, Id] {
      if (OnCommand) OnCommand(Id);
    });
    return Action;
  };
  Add("Collapse", 1000);
  Add("Expand", 1001);
  Menu->addSeparator();
  for (int Slot = 0; Slot < FModel.StreamCount(); ++Slot) {
    QAction* Action = Add(DecodeText(FModel.Stream(Slot).Name), 2000 + Slot);
    Action->setCheckable(true);
    Action->setChecked(FModel.Stream(Slot).Shown);
  }
  return Menu;
}

void TLogView::paintEvent(QPaintEvent* Event) {
  QPainter Painter(viewport());
  Painter.setFont(FFont);
  Painter.setPen(Qt::black);
  QFontMetrics Metrics(FFont);
  int H = LineHeight();
  int Width = viewport()->width();
  int Left = FModel.LeftOffset();
  for (int Row = 0; Row * H < viewport()->height(); ++Row) {
    int Line = FModel.TopLine() + Row;
    if (Line >= FModel.LineCount()) break;
    if (!Event->rect().intersects(QRect(0, Row * H, Width, H))) continue;
    int Baseline = Row * H + Metrics.ascent();
    uint8_t Marker = FModel.ViewEntry(Line).Marker;
    if (Marker == mkPlus) Painter.drawText(Left, Baseline, "+");
    if (Marker == mkMinus) Painter.drawText(Left, Baseline, "-");
    Painter.drawText(Left + 14, Baseline, ExpandTabs(DecodeText(FModel.LineText(Line))));
  }
}

void TLogView::mouseDoubleClickEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton) return;
  int Line = LineAt(Event->position().toPoint());
  if (Line >= 0 && OnUnfold) OnUnfold(Line);
}

void TLogView::contextMenuEvent(QContextMenuEvent* Event) {
  QMenu* Menu = CreateStreamPopup(this);
  Menu->exec(Event->globalPos());
  delete Menu;
}

void TLogView::wheelEvent(QWheelEvent* Event) {
  // Three lines per notch of the wheel.
  FWheelDelta += Event->angleDelta().y();
  int Notches = FWheelDelta / 120;
  FWheelDelta -= Notches * 120;
  for (int I = 0; I < 3 * std::abs(Notches); ++I) {
    if (Notches > 0)
      FModel.LineUp();
    else
      FModel.LineDown();
  }
  Refresh();
}

void TLogView::resizeEvent(QResizeEvent* Event) {
  QAbstractScrollArea::resizeEvent(Event);
  UpdateScrollBars();
}

void TLogView::VerticalAction(int Action) {
  // Pages count the rows painted, in the chosen font.
  int Rows = VisibleRows();
  switch (Action) {
    case QAbstractSlider::SliderSingleStepSub:
      if (FModel.LineUp()) viewport()->scroll(0, LineHeight());
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      if (FModel.LineDown()) viewport()->scroll(0, -LineHeight());
      break;
    case QAbstractSlider::SliderPageStepSub:
      FModel.PageUp(Rows);
      viewport()->update();
      break;
    case QAbstractSlider::SliderPageStepAdd:
      FModel.PageDown(Rows);
      viewport()->update();
      break;
    default:
      break;  // other requests are ignored
  }
  verticalScrollBar()->setSliderPosition(FModel.TopLine());
}

void TLogView::HorizontalAction(int Action) {
  int W = viewport()->width();
  switch (Action) {
    case QAbstractSlider::SliderSingleStepSub:
      FModel.LineLeft();
      break;
    case QAbstractSlider::SliderPageStepSub:
      FModel.PageLeft(W);
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      FModel.LineRight(W);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      FModel.PageRight(W);
      break;
    default:
      horizontalScrollBar()->setSliderPosition(-FModel.LeftOffset());
      return;
  }
  horizontalScrollBar()->setSliderPosition(-FModel.LeftOffset());
  viewport()->update();
}
