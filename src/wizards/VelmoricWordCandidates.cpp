#include "wizards/VelmoricWordCandidates.h"

#include <cstdint>

#include "scanner/VelmoricToken.h"
#include "trace/traceletVelmoric.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

// Positions outside the text hold no word character.
bool WordAt(const std::string& T, int P) {
  return P >= 1 && P <= static_cast<int>(T.size()) && isalnum(T[P - 1]);
}

}  // namespace

void FindPartialWord(const std::string& Text, int CharIndex, int& Start, int& End) {
  int E = CharIndex;
  while (E >= 1 && !WordAt(Text, E)) --E;
  while (E >= 1 && WordAt(Text, E)) ++E;
  if (!WordAt(Text, E)) --E;
  int S = E;
  while (S >= 1 && WordAt(Text, S)) --S;
  if (!WordAt(Text, S)) ++S;
  Start = S;
  End = E;
}

void CollectWordCandidates(TStrings* Lines, const std::string& Partial, TStringList* Results,
                           const std::string& Written) {
  TTraceProc Trace("TFormVelmoricExpandWord.CollectWordCandidates");
  TStringList Candidates;
  Candidates.SetSorted(true);
  const size_t N = Partial.size();
  Write(Format("len = %d", static_cast<int>(N)));
  TToken T(Lines);
  while (T.Next()) {
    if (T.LowerText.compare(0, N, Partial) != 0 || T.LowerText.size() < N) continue;
    if (T.TokenText == Partial || (!Written.empty() && T.TokenText == Written)) continue;
    int I;
    if (!Candidates.Find(T.TokenText, I)) I = Candidates.AddObject(T.TokenText, nullptr);
    const auto Count = reinterpret_cast<intptr_t>(Candidates.Objects(I)) + 1;
    Candidates.PutObject(I, reinterpret_cast<TObject*>(Count));
    Write(T.TokenText);
  }
  Results->Clear();
  Results->SetSorted(true);
  Results->SetDuplicates(dupAccept);
  for (int I = 0; I < Candidates.Count(); ++I) {
    const auto Count = static_cast<int>(reinterpret_cast<intptr_t>(Candidates.Objects(I)));
    const std::string Line = Format("%4d %s", Count, Candidates.Get(I));
    Results->Add(Line);
    Write(Line);
  }
}

std::string CandidateWord(const std::string& ResultLine) {
  return ResultLine.size() > 5 ? ResultLine.substr(5) : std::string();
}
