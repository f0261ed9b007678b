#include "platform/qt/QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <utility>
#include <vector>

#include "platform/qt/QtRenderer.h"
#include "platform/qt/QtRichText.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

namespace {

QString Q(const std::string& S) { return QString::fromLatin1(S.data(), static_cast<qsizetype>(S.size())); }
std::string S(const QString& Text) { return Text.toLatin1().toStdString(); }

// Shows the form as a modal window until it has a modal result or hides.
int RunModal(TQtRenderer& Renderer, TCustomForm& Form) {
  QPointer<QWidget> Window = Renderer.Render(&Form);
  if (!Window) return mrCancel;
  Window->show();
  Window->raise();
  Window->activateWindow();
  QEventLoop Loop;
  QTimer Check;
  QObject::connect(&Check, &QTimer::timeout, &Loop, [&] {
    if (!Window || Form.ModalResult != mrNone || !Form.Visible()) Loop.quit();
  });
  Check.start(20);
  Loop.exec();
  // The form hides once this returns: the window follows on the next round.
  QTimer::singleShot(0, &Renderer, [&Renderer] { Renderer.Sync(); });
  return mrNone;
}

int RunMessageBox(const TMessageBoxRequest& Request) {
  struct TButtonKind {
    TMsgDlgBtn Button;
    const char* Caption;
    QMessageBox::ButtonRole Role;
    int Result;
  };
  static const TButtonKind Kinds[] = {
      {mbYes, "&Yes", QMessageBox::YesRole, mrYes},
      {mbNo, "&No", QMessageBox::NoRole, mrNo},
      {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
      {mbCancel, "Cancel", QMessageBox::RejectRole, mrCancel},
      {mbAbort, "&Abort", QMessageBox::RejectRole, mrAbort},
      {mbRetry, "&Retry", QMessageBox::AcceptRole, mrRetry},
      {mbIgnore, "&Ignore", QMessageBox::AcceptRole, mrIgnore},
      {mbAll, "&All", QMessageBox::YesRole, mrAll},
      {mbHelp, "&Help", QMessageBox::HelpRole, mrNone},
  };
  QMessageBox Box(QApplication::activeWindow());
  Box.setWindowTitle(Q(Request.Caption));
  Box.setText(Q(Request.Text));
  switch (Request.DlgType) {
    case mtWarning: Box.setIcon(QMessageBox::Warning); break;
    case mtError: Box.setIcon(QMessageBox::Critical); break;
    case mtInformation: Box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: Box.setIcon(QMessageBox::Question); break;
    case mtCustom: break;
  }
  std::vector<std::pair<QAbstractButton*, int>> Results;
  QAbstractButton* Escape = nullptr;
  for (const TButtonKind& Kind : Kinds) {
    if (!(Request.Buttons & MsgDlgButton(Kind.Button))) continue;
    QPushButton* Button = Box.addButton(Kind.Caption, Kind.Role);
    Results.emplace_back(Button, Kind.Result);
    if (Kind.Button == mbCancel || (Kind.Button == mbNo && !Escape)) Escape = Button;
  }
  if (Results.empty()) Results.emplace_back(Box.addButton("OK", QMessageBox::AcceptRole), mrOk);
  if (Escape) Box.setEscapeButton(Escape);
  Box.exec();
  for (const auto& [Button, Result] : Results)
    if (Box.clickedButton() == Button) return Result;
  return MessageBoxDefaultAnswer(Request.Buttons);
}

// "Pascal units|*.pas;*.dpr|All|*.*" as Qt's name filters.
QStringList NameFilters(const std::string& Filter) {
  const QStringList Parts = Q(Filter).split('|');
  QStringList Filters;
  for (int I = 0; I + 1 < Parts.size(); I += 2)
    Filters << Parts[I] + " (" + QString(Parts[I + 1]).replace(';', ' ') + ")";
  return Filters;
}

bool RunFileDialog(TOpenDialog& Request) {
  QFileDialog Dialog(QApplication::activeWindow(), Q(Request.Title), Q(Request.InitialDir));
  Dialog.setOption(QFileDialog::DontUseNativeDialog);
  Dialog.setAcceptMode(Request.IsSaveDialog() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (Request.IsSaveDialog()) Dialog.setFileMode(QFileDialog::AnyFile);
  else if (Request.Options & (1u << ofAllowMultiSelect)) Dialog.setFileMode(QFileDialog::ExistingFiles);
  else Dialog.setFileMode(QFileDialog::ExistingFile);
  Dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Request.Options & (1u << ofOverwritePrompt)));
  const QStringList Filters = NameFilters(Request.Filter);
  if (!Filters.isEmpty()) {
    Dialog.setNameFilters(Filters);
    if (Request.FilterIndex >= 1 && Request.FilterIndex <= Filters.size())
      Dialog.selectNameFilter(Filters[Request.FilterIndex - 1]);
  }
  if (!Request.DefaultExt.empty()) Dialog.setDefaultSuffix(Q(Request.DefaultExt));
  if (!Request.FileName.empty()) Dialog.selectFile(Q(Request.FileName));
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return false;
  Request.FileName = S(Dialog.selectedFiles().first());
  const int Index = Filters.indexOf(Dialog.selectedNameFilter());
  if (Index >= 0) Request.FilterIndex = Index + 1;
  return true;
}

}  // namespace

TVclHost InstallQtHost(TQtRenderer& Renderer) {
  TVclHost Previous = VclHost();
  TVclHost& Host = VclHost();
  Host.ShowModal = [&Renderer](TCustomForm& Form) { return RunModal(Renderer, Form); };
  Host.MessageBox = RunMessageBox;
  Host.FileDialog = RunFileDialog;
  Host.GetClipboardText = [] { return S(QGuiApplication::clipboard()->text()); };
  Host.SetClipboardText = [](const std::string& Text) { QGuiApplication::clipboard()->setText(Q(Text)); };
  Host.Beep = [](uint32_t) { QApplication::beep(); };
  // Rich edits print through the system's print dialog.
  Host.PrintRichText = [](const std::string& Title, const TRichTextDocument& Document) {
    PrintRichTextWithDialog(Title, Document, QApplication::activeWindow());
  };
  Host.ProcessMessages = [&Renderer] {
    QCoreApplication::processEvents();
    Renderer.Sync();
  };
  return Previous;
}
