// Runs a shell command line, as the command-line tests run velmoric, and
// collects what it printed and its exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/rtl/SysUtils.h"

struct TShellRun {
  int Status = -1;
  std::string Out;  // stdout
  std::string Err;  // stderr
};

// S in single quotes for the shell.
inline std::string ShellQuoted(const std::string& S) {
  std::string Q = "'";
  for (char C : S) Q += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Q + "'";
}

// Runs Command with its standard error going to ErrFile, which is read back.
inline TShellRun RunShell(const std::string& Command, const std::string& ErrFile) {
  TShellRun R;
  FILE* P = ::popen((Command + " 2>" + ShellQuoted(ErrFile)).c_str(), "r");
  if (!P) return R;
  std::array<char, 4096> Buf;
  size_t N;
  while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) R.Out.append(Buf.data(), N);
  const int W = ::pclose(P);
  R.Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
  R.Err = FileExists(ErrFile) ? ReadFileBytes(ErrFile) : std::string();
  return R;
}
