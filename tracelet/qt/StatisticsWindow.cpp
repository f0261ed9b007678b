#include "qt/StatisticsWindow.h"

#include <QPainter>
#include <QTimer>

namespace {
const char* const kCaptions[] = {"Total Mem", "Used", "Free", "Events"};
}

TStatisticsWindow::TStatisticsWindow(const TLogModel& Model, QWidget* Owner)
    : QWidget(Owner, Qt::Window), FModel(Model) {
  setWindowTitle("Informationen");
  setAttribute(Qt::WA_DeleteOnClose);
  QPalette White = palette();
  White.setColor(QPalette::Window, Qt::white);
  setPalette(White);
  setAutoFillBackground(true);
  QFontMetrics Metrics(font());
  resize(Metrics.horizontalAdvance("Total Mem") + 40 + Metrics.horizontalAdvance("0000000000"),
         6 * Metrics.height());
  auto* Timer = new QTimer(this);
  connect(Timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  Timer->start(1000);
}

void TStatisticsWindow::paintEvent(QPaintEvent*) {
  QPainter Painter(this);
  Painter.setPen(Qt::black);
  QFontMetrics Metrics(font());
  int ValueX = Metrics.horizontalAdvance("Total Mem") + 40;
  int Values[] = {FModel.TotalMem(), FModel.Used(), FModel.Free(), FModel.EventCount()};
  for (int Row = 1; Row <= 4; ++Row) {
    int Baseline = Row * Metrics.height() + Metrics.ascent();
    Painter.drawText(0, Baseline, kCaptions[Row - 1]);
    Painter.drawText(ValueX, Baseline, QString::number(Values[Row - 1]));
  }
}
