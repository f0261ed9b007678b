// The stream dialog "Streams": every registered stream as a "%d\t%s" line of
// a sorted multiple-selection list, selected when shown; OK and Cancel.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/LogModel.h"

class QListWidget;

class TStreamDialog : public QDialog {
  Q_OBJECT
 public:
  TStreamDialog(const TLogModel& Model, QWidget* Parent = nullptr);
  QListWidget* ListBox() const { return FListBox; }
  // The lines selected when the dialog closes, as the model reads them.
  std::vector<std::string> SelectedLines() const;

 private:
  QListWidget* FListBox;
};
