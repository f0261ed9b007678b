// Latency of the language server's definition, hover and completion on the
// largest units of a tree of Pascal sources, each request right after an
// edit of the unit.
//
//   lsp_bench [--units N] [--requests N] [--seed S] [--json FILE] [--file FILE | ROOT]
//
// The N largest .pas or .pp files below ROOT (default /usr/share/fpcsrc;
// N defaults to 3), or FILE, are measured one after the other. Each is copied with the
// Pascal files of its folder to a scratch folder that becomes the server's
// workspace; the server runs in this process with the expert loaded and the
// unit opened by "textDocument/didOpen". Then, for each of the requests
// (default 200 per method), a "textDocument/didChange" inserts a blank at the
// start of a random line and the request follows at a random word of the
// unit; both reach the server together, as from an editor that asks right
// after a key stroke. The time of one request counts from the reading of the
// didChange to the answer, so it holds the parse of the changed unit (the
// diagnostics are published after the answer and are not counted). Positions come from a fixed seed.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "hosts/lsp/LspServer.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"

namespace {

using namespace bench;

bool IsWordChar(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_' || (C >= '0' && C <= '9');
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  for (;;) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos) End = Text.size();
    std::string L = Text.substr(Start, End - Start);
    if (!L.empty() && L.back() == '\r') L.pop_back();
    Lines.push_back(std::move(L));
    if (End == Text.size()) break;
    Start = End + 1;
  }
  return Lines;
}

struct TStats {
  int Count = 0;
  double Median = 0, P99 = 0, Max = 0;
};

TStats StatsOf(const std::vector<double>& Seconds) {
  TStats S;
  S.Count = static_cast<int>(Seconds.size());
  if (Seconds.empty()) return S;
  S.Median = Median(Seconds);
  S.P99 = Quantile(Seconds, 0.99);
  for (double X : Seconds) S.Max = std::max(S.Max, X);
  return S;
}

int Usage() {
  std::cerr << "usage: lsp_bench [--units N] [--requests N] [--seed S] [--json FILE] [--file FILE | ROOT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc", JsonFile, Target;
  int Units = 3, Requests = 200;
  unsigned long long Seed = 1;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    const bool HasValue = I + 1 < argc;
    if (A == "--units" && HasValue) Units = std::max(1, std::atoi(argv[++I]));
    else if (A == "--requests" && HasValue) Requests = std::max(1, std::atoi(argv[++I]));
    else if (A == "--seed" && HasValue) Seed = std::strtoull(argv[++I], nullptr, 10);
    else if (A == "--json" && HasValue) JsonFile = argv[++I];
    else if (A == "--file" && HasValue) Target = argv[++I];
    else if (!A.empty() && A[0] == '-') return Usage();
    else Root = A;
  }
  std::vector<TFile> Files;
  std::error_code FileEc;
  if (!Target.empty()) Files.push_back({Target, static_cast<long long>(fs::file_size(Target, FileEc))});
  else Files = PascalFiles(Root);
  std::stable_sort(Files.begin(), Files.end(), [](const TFile& A, const TFile& B) { return A.Bytes > B.Bytes; });
  if (Files.empty()) {
    std::cerr << "lsp_bench: no .pas or .pp file below " << Root << "\n";
    return 1;
  }
  if (static_cast<int>(Files.size()) > Units) Files.resize(Units);

  TScratchDir Scratch("velmoric-lsp-bench");
  ::setenv("VELMORIC_REGISTRY", (Scratch.Path + "/registry").c_str(), 1);
  ::setenv("VELMORIC_DATA", (Scratch.Path + "/data").c_str(), 1);
  ::setenv("TRACELET_SOCKET", (Scratch.Path + "/tracelet").c_str(), 1);
  gUseDelphiPath = false;
  std::error_code Ec;
  fs::create_directories(Scratch.Path + "/data", Ec);

  const char* Methods[] = {"textDocument/definition", "textDocument/hover", "textDocument/completion"};
  Json Result = {{"units", Json::array()}};
  std::vector<double> All[3];
  std::mt19937_64 Rng(Seed);
  for (size_t U = 0; U < Files.size(); ++U) {
    const std::string Unit0 = Files[U].Path;
    const std::string Folder = Scratch.Path + "/ws" + std::to_string(U);
    std::vector<TFile> Beside;
    for (const fs::directory_entry& E : fs::directory_iterator(fs::path(Unit0).parent_path(), Ec)) {
      const auto Ext = E.path().extension();
      if (E.is_regular_file(Ec) && (Ext == ".pas" || Ext == ".pp" || Ext == ".inc"))
        Beside.push_back({E.path().string(), static_cast<long long>(E.file_size(Ec))});
    }
    CopyFiles(Beside, fs::path(Unit0).parent_path().string(), Folder);
    const std::string Unit = Folder + "/" + fs::path(Unit0).filename().string();
    const std::string Uri = PathToUri(Unit);
    std::string Text = ReadFileBytes(Unit);
    std::vector<std::string> Lines = SplitLines(Text);
    fileRepository->Clear();

    int Answered = 0, Empty = 0;
    Clock::time_point AnsweredAt;
    TLspServer Server([&](const std::string& Body) {
      if (Body.find("\"id\"") == std::string::npos) return;
      AnsweredAt = Clock::now();
      ++Answered;
      if (Body.find("\"result\":null") != std::string::npos || Body.find("\"items\":[]") != std::string::npos)
        ++Empty;
    });
    int Id = 0;
    auto Send = [&](const std::string& Method, const Json& Params, bool Request) {
      Json M = {{"jsonrpc", "2.0"}, {"method", Method}, {"params", Params}};
      if (Request) M["id"] = ++Id;
      Server.Receive(M.dump(-1, ' ', false, Json::error_handler_t::replace));
    };
    const auto OpenStart = Clock::now();
    Send("initialize", {{"rootUri", PathToUri(Folder)}, {"capabilities", Json::object()}}, true);
    Send("initialized", Json::object(), false);
    Send("textDocument/didOpen",
         {{"textDocument", {{"uri", Uri}, {"languageId", "pascal"}, {"version", 1}, {"text", Text}}}}, false);
    const double OpenSeconds = SecondsSince(OpenStart);

    int Version = 1;
    Json UnitJson = {{"file", Unit0}, {"bytes", Files[U].Bytes}, {"lines", Lines.size()},
                     {"open_seconds", OpenSeconds}};
    for (int M = 0; M < 3; ++M) {
      std::vector<double> Seconds;
      const int Before = Empty;
      for (int R = 0, Tries = 0; R < Requests && Tries < Requests * 100; ++Tries) {
        // A word of a random line; completion asks at its end.
        const int Line = static_cast<int>(Rng() % Lines.size());
        const std::string& L = Lines[Line];
        std::vector<int> Starts;
        for (size_t I = 0; I < L.size(); ++I)
          if (IsWordChar(L[I]) && (I == 0 || !IsWordChar(L[I - 1])) && !(L[I] >= '0' && L[I] <= '9'))
            Starts.push_back(static_cast<int>(I));
        if (Starts.empty()) continue;
        int Char = Starts[Rng() % Starts.size()];
        if (M == 2)
          while (Char < static_cast<int>(L.size()) && IsWordChar(L[Char])) ++Char;
        const int EditLine = static_cast<int>(Rng() % Lines.size());
        const Json At = {{"line", EditLine}, {"character", 0}};
        // The edit and the request arrive together, as from an editor.
        const Json Change = {{"jsonrpc", "2.0"},
                             {"method", "textDocument/didChange"},
                             {"params", {{"textDocument", {{"uri", Uri}, {"version", ++Version}}},
                                         {"contentChanges", {{{"range", {{"start", At}, {"end", At}}}, {"text", " "}}}}}}};
        Lines[EditLine].insert(0, 1, ' ');
        if (EditLine == Line) ++Char;
        const Json Ask = {{"jsonrpc", "2.0"},
                          {"id", ++Id},
                          {"method", Methods[M]},
                          {"params", {{"textDocument", {{"uri", Uri}}},
                                      {"position", {{"line", Line}, {"character", Char}}},
                                      {"context", {{"triggerKind", 1}}}}}};
        TStringInput In(FrameMessage(Change.dump()) + FrameMessage(Ask.dump()));
        const auto Start = Clock::now();
        Server.Run(In);
        Seconds.push_back(std::chrono::duration<double>(AnsweredAt - Start).count());
        ++R;
      }
      const TStats S = StatsOf(Seconds);
      All[M].insert(All[M].end(), Seconds.begin(), Seconds.end());
      std::printf("%-26s %-24s %4d requests  p50 %8.3f ms  p99 %8.3f ms  max %8.3f ms  (%d empty)\n",
                  fs::path(Unit0).filename().c_str(), Methods[M] + 13, S.Count, S.Median * 1e3,
                  S.P99 * 1e3, S.Max * 1e3, Empty - Before);
      UnitJson[Methods[M] + 13] = {{"count", S.Count}, {"median_seconds", S.Median},
                                   {"p99_seconds", S.P99}, {"max_seconds", S.Max},
                                   {"empty", Empty - Before}};
    }
    Send("shutdown", nullptr, true);
    Send("exit", nullptr, false);
    UnitJson["answered"] = Answered;
    Result["units"].push_back(UnitJson);
  }
  for (int M = 0; M < 3; ++M) {
    const TStats S = StatsOf(All[M]);
    std::printf("all units: %-12s p50 %8.3f ms  p99 %8.3f ms (goal: p99 below 16 ms)\n", Methods[M] + 13,
                S.Median * 1e3, S.P99 * 1e3);
    Result[Methods[M] + 13] = {{"count", S.Count}, {"median_seconds", S.Median}, {"p99_seconds", S.P99},
                               {"max_seconds", S.Max}};
  }
  WriteJson(JsonFile, Result);
  return 0;
}
