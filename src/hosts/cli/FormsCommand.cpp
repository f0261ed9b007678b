// velmoric forms [--project DPR] FILE... [--json]: the form dependency
// analyzer without its window. Reads the form files of the program DPR's
// units (".dfm", else ".lfm", beside each ".pas") and the form files FILE...
// (binary or text ".dfm", ".lfm"), finds the links and prints each:
//   <form>.<component>.<property> = <value> -> <form>.<component>
// in form, component and property order. A syntax error in a file is
// reported once per file on stderr and the other files are still read (exit
// status 0); a file that cannot be read or is no form file ends the analysis
// with status 1. --json gives {"files", "lines", "forms": [{"name", "file",
// "components"}], "links": [{"form", "component", "property", "value",
// "targetForm", "targetComponent"}], "errors": [...]}.
#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/memory/MemoryIDE.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/VclHost.h"
#include "tools/VelmoricDFMView.h"

namespace {

int RunForms(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  std::string ProjectFile;
  std::vector<std::string> Files;
  bool Json = false;
  for (size_t I = 0; I < Args.size(); ++I) {
    if (Args[I] == "--json") {
      Json = true;
    } else if (Args[I] == "--project") {
      if (I + 1 >= Args.size()) throw CliUsageError{"--project needs a value"};
      ProjectFile = Args[++I];
    } else if (!Args[I].empty() && Args[I][0] == '-') {
      throw CliUsageError{"unknown option " + Args[I]};
    } else {
      Files.push_back(Args[I]);
    }
  }
  if (Files.empty() && ProjectFile.empty()) throw CliUsageError{"expects form files or --project"};

  TMemoryIDE IDE;
  if (!ProjectFile.empty() && !IDE.OpenProject(ProjectFile)) {
    Err << "velmoric forms: " << IDE.LastError() << "\n";
    return 1;
  }
  // Syntax errors are listed from the project's errors, not as boxes.
  auto SavedBox = VclHost().MessageBox;
  VclHost().MessageBox = [](const TMessageBoxRequest&) { return 1; };
  std::unique_ptr<TFFormVelmoricDFMView> View(FormVelmoricDFMView());
  View->FormFiles = Files;
  int Status = 0;
  try {
    View->Analyze();
  } catch (const Exception& E) {
    Err << "velmoric forms: " << E.Message() << "\n";
    Status = 1;
  }
  VclHost().MessageBox = SavedBox;
  const TVelmoricDFMProject& Project = *View->Project;
  for (const std::string& E : Project.Errors) Err << "velmoric forms: " << E << "\n";
  if (Status) return Status;

  const std::vector<TVelmoricLink> Links = CollectLinks(Project);
  if (!Json) {
    for (const TVelmoricLink& L : Links) Out << LinkText(L) << "\n";
    Out.flush();
    return 0;
  }
  nlohmann::ordered_json Doc;
  Doc["files"] = Project.Forms.Count();
  Doc["lines"] = Project.Total;
  Doc["forms"] = nlohmann::ordered_json::array();
  for (int I = 0; I < Project.Forms.Count(); ++I) {
    const TVelmoricDFM* Form = Project.Form(I);
    Doc["forms"].push_back({{"name", Form->FormName}, {"file", Form->FileName}, {"components", Form->Controls.Count()}});
  }
  Doc["links"] = nlohmann::ordered_json::array();
  for (const TVelmoricLink& L : Links) {
    const TVelmoricProperty* P = L.Property;
    Doc["links"].push_back({{"form", P->Owner->Form->FormName},
                            {"component", P->Owner->Name},
                            {"property", P->Name},
                            {"value", P->Value},
                            {"targetForm", L.Target->Form->FormName},
                            {"targetComponent", L.Target->Name}});
  }
  Doc["errors"] = Project.Errors;
  Out << Doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  Out.flush();
  return 0;
}

CliRegistration Register{{"forms", "[--project DPR] FILE... [--json]",
                          "Reads form files and prints the links between their components: "
                          "<form>.<component>.<property> = <value> -> <form>.<component>",
                          RunForms}};

}  // namespace
