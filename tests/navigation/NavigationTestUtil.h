// Scratch projects for the navigation tests: a folder of units, the
// settings the project model reads pointed at it, and lines found by text.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/wait.h>

#include "../support/ScratchDir.h"
#include "../support/ScratchSettings.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricPascalProject.h"

namespace navtest {

// A fresh folder below the test temp dir, removed with everything in it.
class ScratchDir : public TScratchDir {
 public:
  ScratchDir() : TScratchDir("velmoric-nav") {}
};

// The project model's settings pointed at a scratch folder for one test.
class ScratchSettings : public support::TScratchSettings {
 public:
  explicit ScratchSettings(const ScratchDir& Dir) : TScratchSettings(Dir.Path) {}
};

// 1-based line of the first line of Text holding Needle (at or after the
// 1-based line From); 0 when there is none.
inline int LineOf(std::string_view Text, std::string_view Needle, int From = 1) {
  int Line = 1;
  size_t Start = 0;
  for (;;) {
    size_t End = Text.find('\n', Start);
    if (End == std::string_view::npos) End = Text.size();
    if (Line >= From && Text.substr(Start, End - Start).find(Needle) != std::string_view::npos)
      return Line;
    if (End == Text.size()) return 0;
    Start = End + 1;
    ++Line;
  }
}

// 1-based column of Needle in the 1-based line Line of Text.
inline int ColOf(std::string_view Text, int Line, std::string_view Needle) {
  size_t Start = 0;
  for (int I = 1; I < Line; ++I) Start = Text.find('\n', Start) + 1;
  const size_t End = Text.find('\n', Start);
  const std::string_view L = Text.substr(Start, End == std::string_view::npos ? End : End - Start);
  const size_t At = L.find(Needle);
  return At == std::string_view::npos ? 0 : static_cast<int>(At) + 1;
}

// A small project of three units: TDog derives from TMammal (unit Mid),
// which derives from TAnimal (unit Base). 1-based lines are found by text.
inline const std::string BaseUnit =
    "unit Base;\n"
    "interface\n"
    "type\n"
    "  TFood = record\n"
    "    Kind: Integer;\n"
    "  end;\n"
    "  TAnimal = class\n"
    "  public\n"
    "    Name: string;\n"
    "    procedure Speak; virtual;\n"
    "    procedure Move(Steps: Integer); virtual;\n"
    "    procedure Eat; virtual; abstract;\n"
    "  end;\n"
    "implementation\n"
    "procedure TAnimal.Speak;\n"
    "begin\n"
    "end;\n"
    "procedure TAnimal.Move(Steps: Integer);\n"
    "begin\n"
    "end;\n"
    "end.\n";

inline const std::string MidUnit =
    "unit Mid;\n"
    "interface\n"
    "uses Base;\n"
    "type\n"
    "  TMammal = class(TAnimal)\n"
    "  public\n"
    "    Legs: Integer;\n"
    "    procedure Move(Steps: Integer); override;\n"
    "  end;\n"
    "implementation\n"
    "procedure TMammal.Move(Steps: Integer);\n"
    "begin\n"
    "  inherited Move(Steps);\n"
    "end;\n"
    "end.\n";

inline const std::string ZooUnit =
    "unit Zoo;\n"
    "interface\n"
    "uses Base, Mid;\n"
    "type\n"
    "  TDog = class(TMammal)\n"
    "  public\n"
    "    procedure Speak; override;\n"
    "    procedure Move(Steps: Integer); override;\n"
    "    procedure Eat; override;\n"
    "  end;\n"
    "procedure Feed(Dog: TDog);\n"
    "implementation\n"
    "uses SysUtils;\n"
    "procedure TDog.Speak;\n"
    "begin\n"
    "  inherited;\n"
    "end;\n"
    "procedure TDog.Move(Steps: Integer);\n"
    "begin\n"
    "  inherited Move(Steps);\n"
    "end;\n"
    "procedure TDog.Eat;\n"
    "begin\n"
    "  inherited;\n"
    "end;\n"
    "procedure Feed(Dog: TDog);\n"
    "begin\n"
    "  Dog.Legs := 4;\n"
    "  Dog.Name := 'Rex';\n"
    "end;\n"
    "procedure Walk;\n"
    "begin\n"
    "  Feed(nil);\n"
    "  Move(1);\n"
    "end;\n"
    "end.\n";

inline const std::string ZooProgram =
    "program ZooApp;\n"
    "uses\n"
    "  Base in 'Base.pas',\n"
    "  Mid in 'Mid.pas',\n"
    "  Zoo in 'Zoo.pas';\n"
    "begin\n"
    "end.\n";

// Runs the velmoric command line through the shell and collects its output.
struct CliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

inline std::string Quoted(const std::string& S) {
  std::string Q = "'";
  for (char C : S) Q += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Q + "'";
}

// Args are quoted by the caller; Dir gets the registry, the data directory
// and the error output.
inline CliResult RunCli(const ScratchDir& Dir, const std::string& Args) {
  const std::string ErrFile = Dir.File("cli.err");
  const std::string Cmd = "cd " + Quoted(Dir.Path) + " && VELMORIC_REGISTRY=" +
                          Quoted(Dir.File("registry")) + " VELMORIC_DATA=" +
                          Quoted(Dir.File("data")) + " " + std::string(VELMORIC_CLI) + " " + Args +
                          " 2>" + Quoted(ErrFile);
  CliResult R;
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

}  // namespace navtest
