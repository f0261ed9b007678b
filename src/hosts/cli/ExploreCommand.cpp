// velmoric explore [--project DPR] FILE [--class NAME] [--find EXPR]: the
// source explorer after its compile button:
// - without options: the class box, one class or record a line;
// - --class NAME: the members box of class NAME (procedures first), one a line;
// - --find EXPR: types EXPR into the search box and presses Enter (a symbol
//   name, a dotted expression or a line number), then prints the place the
//   search jumps to as <path>:<line>:<col>. A name that several symbols
//   carry prints "? <full name>\t<path>:<line>" lines instead; a search that
//   finds nothing prints nothing and ends with status 1.
#include <ostream>

#include "browsers/VelmoricSourceExplorer.h"
#include "hosts/cli/CliCommands.h"
#include "hosts/cli/NavigationSession.h"

namespace {

int RunExplore(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  TNavigationArgs A;
  std::string ClassName, Expression;
  bool HaveClass = false, HaveFind = false;
  std::vector<std::string> Rest;
  for (size_t I = 0; I < Args.size(); ++I) {
    if ((Args[I] == "--class" || Args[I] == "--find") && I + 1 < Args.size()) {
      (Args[I] == "--class" ? HaveClass : HaveFind) = true;
      (Args[I] == "--class" ? ClassName : Expression) = Args[I + 1];
      ++I;
    } else {
      Rest.push_back(Args[I]);
    }
  }
  A = ParseNavigationArgs(Rest, false);
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
