#include "hosts/ide/TraceletLauncher.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdlib>

#include "platform/ipc/IpcWindow.h"

namespace {

bool TraceletListens() {
  const int Wnd = ipc::FindWindow("tracelet");
  if (Wnd == 0) return false;
  ipc::CloseWindow(Wnd);
  return true;
}

}  // namespace

std::string TraceletProgram(const std::string& ProgramDir) {
  if (const char* Env = std::getenv("VELMORIC_TRACELET"); Env && *Env) return Env;
  for (const char* Relative : {"/tracelet/tracelet", "/tracelet"}) {
    const std::string Candidate = ProgramDir + Relative;
    if (::access(Candidate.c_str(), X_OK) == 0) return Candidate;
  }
  return "tracelet";
}

bool EnsureTracelet(const std::string& Program, std::string& Why, int TimeoutMs) {
  if (TraceletListens()) return true;
  if (!QProcess::startDetached(QString::fromStdString(Program), {})) {
    Why = "cannot start " + Program;
    return false;
  }
  QElapsedTimer Waited;
  Waited.start();
  while (!TraceletListens()) {
    if (Waited.elapsed() > TimeoutMs) {
      Why = Program + " started but does not listen on " + ipc::WindowSocketPath("tracelet");
      return false;
    }
    QThread::msleep(50);
  }
  return true;
}
