// The one QApplication of a Qt test program, on Qt's offscreen platform
// unless another one was asked for.
#pragma once

#include <QApplication>
#include <QDir>
#include <QPixmap>

inline QApplication& TestApplication() {
  static int Argc = 1;
  static char Name[] = "tests_qt";
  static char* Argv[] = {Name, nullptr};
  if (!QApplication::instance()) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(Argc, Argv);
  }
  return *static_cast<QApplication*>(QApplication::instance());
}

// Saves a picture as build/screenshots/NAME.png, to be looked at.
inline bool SaveTestScreenshot(const QPixmap& Picture, const QString& Name) {
  const QString Dir = QString(VELMORIC_BINARY_DIR) + "/screenshots";
  QDir().mkpath(Dir);
  return Picture.save(Dir + "/" + Name + ".png");
}
