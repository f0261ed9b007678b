// The statistics window "Informationen": total, used and free bytes of the
// store and the event count, repainted every second.
#pragma once

#include <QWidget>

#include "core/LogModel.h"

class TStatisticsWindow : public QWidget {
  Q_OBJECT
 public:
  TStatisticsWindow(const TLogModel& Model, QWidget* Owner);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  const TLogModel& FModel;
};
