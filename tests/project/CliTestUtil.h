// Runs the velmoric command line and collects its output.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace projecttest {

struct CliResult {
  int Status = -1;
  std::string Out;  // stdout
  std::string Err;  // stderr
};

// Runs `velmoric Args` through the shell (Args are quoted by the caller),
// with Env ("NAME=value ...") put before it.
inline CliResult RunCli(const std::string& Args, const std::string& ErrFile,
                        const std::string& Env = "") {
  CliResult R;
  const std::string Cmd = Env + " " + std::string(VELMORIC_CLI) + " " + Args + " 2>" + ErrFile;
  FILE* P = ::popen(Cmd.c_str(), "r");
  if (!P) return R;
  std::array<char, 4096> Buf;
  size_t N;
  while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) R.Out.append(Buf.data(), N);
  const int W = ::pclose(P);
  R.Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
  R.Err = FileExists(ErrFile) ? ReadFileBytes(ErrFile) : std::string();
  return R;
}

inline std::string Quoted(const std::string& S) {
  std::string Q = "'";
  for (char C : S) Q += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Q + "'";
}

}  // namespace projecttest
