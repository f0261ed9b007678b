#include "qt/StreamDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/LogView.h"

namespace {
constexpr int kLineRole = Qt::UserRole;  // the line's bytes, as the model made it
}

TStreamDialog::TStreamDialog(const TLogModel& Model, QWidget* Parent) : QDialog(Parent) {
  setWindowTitle("Streams");
  FListBox = new QListWidget(this);
  FListBox->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const TStreamDialogLine& Line : Model.StreamDialogLines()) {
    // The list shows the slot and the name a tab stop apart.
    QString Shown = QString::fromStdString(Line.Text);
    qsizetype Tab = Shown.indexOf('\t');
    Shown = Shown.left(Tab).leftJustified(4, ' ') + DecodeText(Line.Text.substr(Tab + 1));
    auto* Item = new QListWidgetItem(Shown, FListBox);
    Item->setData(kLineRole, QByteArray::fromStdString(Line.Text));
    Item->setSelected(Line.Selected);
  }
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* Layout = new QVBoxLayout(this);
  Layout->addWidget(FListBox);
  Layout->addWidget(Buttons);
  resize(200, 240);
}

std::vector<std::string> TStreamDialog::SelectedLines() const {
  std::vector<std::string> Lines;
  for (int Row = 0; Row < FListBox->count(); ++Row) {
    QListWidgetItem* Item = FListBox->item(Row);
    if (Item->isSelected()) Lines.push_back(Item->data(kLineRole).toByteArray().toStdString());
  }
  return Lines;
}
