// velmoric-ide [--trace] [PROJECT.dpr|.lpr] [FILE...]: the in-process IDE
// with the add-in loaded, on the screen.
#include <QApplication>
#include <QMessageBox>

#include <iostream>
#include <string>
#include <vector>

#include "hosts/ide/IdeWindow.h"
#include "hosts/ide/TraceletLauncher.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const Usage = "Usage: velmoric-ide [--trace] [PROJECT.dpr|PROJECT.lpr] [FILE...]\n";

bool IsProgramFile(const std::string& Name) {
  const std::string Ext = LowerCase(ExtractFileExt(Name));
  return Ext == ".dpr" || Ext == ".lpr";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication App(argc, argv);  // takes Qt's own options
  TIdeOptions Options;
  bool Trace = false;
  const QStringList Args = QApplication::arguments();
  for (int I = 1; I < Args.size(); ++I) {
    const std::string Arg = Args[I].toStdString();
    if (Arg == "--help" || Arg == "-h") {
      std::cout << Usage;
      return 0;
    }
    if (Arg == "--version") {
      std::cout << "velmoric-ide " << VELMORIC_VERSION << "\n";
      return 0;
    }
    if (Arg == "--trace") {
      Trace = true;
    } else if (!Arg.empty() && Arg[0] == '-') {
      std::cerr << "velmoric-ide: unknown option " << Arg << "\n" << Usage;
      return 2;
    } else if (Options.Project.empty() && Options.Files.empty() && IsProgramFile(Arg)) {
      Options.Project = Arg;
    } else {
      Options.Files.push_back(Arg);
    }
  }
  // A project alone shows its program file.
  if (!Options.Project.empty() && Options.Files.empty()) Options.Files.push_back(Options.Project);

  if (Trace) {
    std::string Why;
    if (!EnsureTracelet(TraceletProgram(QApplication::applicationDirPath().toStdString()), Why))
      std::cerr << "velmoric-ide: no trace window: " << Why << "\n";
  }
  try {
    TIdeWindow Window(Options);
    Window.show();
    return App.exec();
  } catch (const Exception& E) {
    std::cerr << "velmoric-ide: " << E.Message() << "\n";
    return 1;
  }
}
