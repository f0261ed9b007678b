// Trace lines kept instead of sent, for work done ahead on another thread.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "trace/traceletVelmoric.h"

// Keeps the lines this thread writes through any trace client, from its
// construction to its destruction, instead of sending them; ReplayTraceLines
// sends them later, in order. Work done ahead on another thread traces this
// way, so that its lines arrive where the same work on the main thread would
// have put them.
class TTraceCapture {
 public:
  TTraceCapture();
  ~TTraceCapture();
  TTraceCapture(const TTraceCapture&) = delete;
  TTraceCapture& operator=(const TTraceCapture&) = delete;

  // Stream and text of each line kept.
  std::vector<std::pair<std::string, std::string>> Lines;

 private:
  TTraceCapture* FOuter;
};

// Sends captured lines through Client (none when it is nil).
void ReplayTraceLines(TTracelet* Client,
                      const std::vector<std::pair<std::string, std::string>>& Lines);
