// The trace client: turns a line tagged with a stream name into a message for
// the Tracelet log window and, optionally, a line of a log file. Procedure
// tracing brackets every procedure of the add-in with an entry and exit line.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

class TTracelet {
 public:
  TTracelet() = default;  // no window, no log file
  ~TTracelet();           // closes an open log file
  TTracelet(const TTracelet&) = delete;
  TTracelet& operator=(const TTracelet&) = delete;

  // Looks the log window up again and ends file logging.
  void start();
  // The one output operation: log file line "Stream:Text", then the window.
  void StrWrite(const std::string& Stream, const std::string& Text);
  void write(const std::string& Text) { StrWrite("stdOut", Text); }
  void SetLogfile(const std::string& FileName);
  void CloseLogfile();

  bool LogOpen() const { return FLogOpen; }
  int Wnd() const { return FWnd; }

 private:
  std::FILE* FLogFile = nullptr;
  int FWnd = 0;
  bool FLogOpen = false;
};

// The one trace client of the add-in. Replaced (deleted and created anew) by
// the commands that restart tracing.
extern TTracelet* tracelet;
extern bool FlagTrace;
extern std::string TraceIndent;

void DebugStartProcedure(const std::string& Name);
void DebugEndProcedure(const std::string& Name);
void DebugStartProcedureStartup(const std::string& Name);
void DebugEndProcedureStartup(const std::string& Name);

// Brackets a scope with DebugStartProcedure/DebugEndProcedure. While FlagTrace
// is off it costs one test on entry and one on exit, and allocates nothing.
//   TTraceProc Trace("TPascalSource.CreateSymbols");
//   TTraceProc Trace([&] { return Format("ConCat(a=%s,b=%s)", a, b); });
class TTraceProc {
 public:
  explicit TTraceProc(const char* Name) {
    if (FlagTrace) [[unlikely]]
      Enter(std::string(Name));
  }
  template <typename MakeName, typename = decltype(std::declval<MakeName>()())>
  explicit TTraceProc(MakeName&& Make) {
    if (FlagTrace) [[unlikely]]
      Enter(std::string(Make()));
  }
  ~TTraceProc() {
    if (FName) [[unlikely]]
      Leave();
  }
  TTraceProc(const TTraceProc&) = delete;
  TTraceProc& operator=(const TTraceProc&) = delete;

 private:
  void Enter(std::string Name);
  void Leave() noexcept;
  std::string* FName = nullptr;
};

// The same for the expert's own procedures: always sent, whatever FlagTrace says.
class TTraceProcStartup {
 public:
  explicit TTraceProcStartup(std::string Name);
  ~TTraceProcStartup();
  TTraceProcStartup(const TTraceProcStartup&) = delete;
  TTraceProcStartup& operator=(const TTraceProcStartup&) = delete;

 private:
  std::string FName;
};
