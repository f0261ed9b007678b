#include "hosts/cli/GraphvizSvg.h"

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

namespace {

std::string LastGraphvizError;

int KeepError(char* Message) {
  if (Message) LastGraphvizError += Message;
  return 0;
}

}  // namespace

bool RenderDotToSvg(const std::string& Dot, std::string& Svg, std::string& Error) {
  LastGraphvizError.clear();
  agseterrf(KeepError);
  GVC_t* Context = gvContext();
  if (!Context) {
    Error = "Graphviz could not start";
    return false;
  }
  bool Ok = false;
  Agraph_t* Graph = agmemread(Dot.c_str());
  if (!Graph) {
    Error = "Graphviz could not read the graph: " + LastGraphvizError;
  } else if (gvLayout(Context, Graph, "dot") != 0) {
    Error = "Graphviz could not lay out the graph: " + LastGraphvizError;
  } else {
    char* Data = nullptr;
    unsigned int Length = 0;
    if (gvRenderData(Context, Graph, "svg", &Data, &Length) != 0 || !Data) {
      Error = "Graphviz could not draw the graph: " + LastGraphvizError;
    } else {
      Svg.assign(Data, Length);
      Ok = true;
    }
    if (Data) gvFreeRenderData(Data);
    gvFreeLayout(Context, Graph);
  }
  if (Graph) agclose(Graph);
  gvFreeContext(Context);
  agseterrf(nullptr);
  return Ok;
}

#if defined(__SANITIZE_ADDRESS__)
// The leaks Graphviz keeps to the end are suppressed (tests/lsan.supp); a
// run outside the tests does not list them either.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
