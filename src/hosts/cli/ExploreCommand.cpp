// velmoric explore [--project DPR] FILE [--class NAME] [--find EXPR]: the
// source explorer after its compile button:
// - without options: the class box, one class or record a line;
// - --class NAME: the members box of class NAME (procedures first), one a line;
// - --find EXPR: types EXPR into the search box and presses Enter (a symbol
//   name, a dotted expression or a line number), then prints the place the
//   search jumps to as <path>:<line>:<col>; a line number outside FILE is a
//   usage error (status 2). A name that several symbols
//   carry prints "? <full name>\t<path>:<line>" lines instead; a search that
//   finds nothing prints nothing and ends with status 1.
#include <ostream>

#include "browsers/VelmoricSourceExplorer.h"
#include "hosts/cli/CliCommands.h"
#include "hosts/cli/NavigationSession.h"
#include "hosts/memory/MemoryIDE.h"

namespace {

int RunExplore(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  std::string ClassName, Expression;
  bool HaveClass = false, HaveFind = false;
  std::vector<std::string> Rest;
  for (size_t I = 0; I < Args.size(); ++I) {
    const bool IsClass = Args[I] == "--class";
    if (!IsClass && Args[I] != "--find") {
      Rest.push_back(Args[I]);
      continue;
    }
    if (I + 1 >= Args.size()) throw CliUsageError{Args[I] + " needs a value"};
    (IsClass ? HaveClass : HaveFind) = true;
    (IsClass ? ClassName : Expression) = Args[++I];
  }
  const TNavigationArgs A = ParseNavigationArgs(Rest, false);
  if (A.Rest.size() != 1) throw CliUsageError{"expects one FILE"};
  if (HaveClass && HaveFind) throw CliUsageError{"--class and --find exclude each other"};

  TNavigationSession Session(A.Project, A.Rest[0]);
  TFFormSourceExplorer* Explorer = FormSourceExplorer();
  if (HaveClass) {
    TComboBox* Box = Explorer->ComboBoxClass;
    const int I = Box->Items()->IndexOf(ClassName);
    if (I < 0) {
      Err << "velmoric explore: no class or record " << ClassName << " in the class box\n";
      return 1;
    }
    Box->Select(I);
    TStringList* Members = Explorer->ComboBoxFinde->Items();
    for (int J = 0; J < Members->Count(); ++J) Out << Members->Get(J) << '\n';
  } else if (HaveFind) {
    // Digits are a line number: one of FILE's lines.
    if (!Expression.empty() && Expression.find_first_not_of("0123456789") == std::string::npos) {
      const int Count = Session.IDE().Buffer(Session.FileName()).LineCount();
      const size_t Digits = Expression.find_first_not_of('0');
      if (Digits == std::string::npos || Expression.size() - Digits > 9 ||
          std::stoi(Expression) > Count)
        throw CliUsageError{Format("--find %s: line %s is outside %s (lines 1 to %d)", Expression,
                                   Expression, Session.FileName(), Count)};
    }
    const std::string Before = Session.Position();
    Explorer->ComboBoxSuchen->TypeText(Expression);
    uint16_t Key = VK_RETURN;
    Explorer->ComboBoxSuchen->KeyDown(Key, 0);
    if (!Session.Candidates.empty()) {
      for (const std::string& C : Session.Candidates) Out << C << '\n';
    } else if (Session.Position() != Before) {
      Out << Session.Position() << '\n';
    } else {
      Out.flush();
      return 1;
    }
  } else {
    TStringList* Classes = Explorer->ComboBoxClass->Items();
    for (int I = 0; I < Classes->Count(); ++I) Out << Classes->Get(I) << '\n';
  }
  Out.flush();
  return 0;
}

CliRegistration Register{{"explore", "[--project DPR] FILE [--class NAME] [--find EXPR]",
                          "Shows the source explorer's classes, a class's members, or where a "
                          "search jumps to",
                          RunExplore}};

}  // namespace
