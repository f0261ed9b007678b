// Drawing a Graphviz graph with Graphviz's own library.
#pragma once

#include <string>

// Lays out Dot with the "dot" engine and renders it as SVG; false with a
// reason in Error when the text is no graph or the library cannot draw it.
bool RenderDotToSvg(const std::string& Dot, std::string& Svg, std::string& Error);
