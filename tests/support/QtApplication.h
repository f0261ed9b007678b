// The one QApplication of a Qt test program, on Qt's offscreen platform
// unless another one was asked for.
#pragma once

#include <QApplication>

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
