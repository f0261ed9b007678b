#include "hosts/lsp/LspText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace {

// The length of the UTF-8 sequence starting at P (1 to 4), or 0 when the
// bytes there are not a valid sequence.
int SequenceLength(std::string_view S, size_t P) {
  const auto B = [&](size_t I) { return static_cast<unsigned char>(S[I]); };
  const unsigned char C = B(P);
  if (C < 0x80) return 1;
  int N;
  unsigned Min;
  if ((C & 0xE0) == 0xC0) {
    N = 2;
    Min = 0x80;
  } else if ((C & 0xF0) == 0xE0) {
    N = 3;
    Min = 0x800;
  } else if ((C & 0xF8) == 0xF0) {
    N = 4;
    Min = 0x10000;
  } else {
    return 0;
  }
  if (P + N > S.size()) return 0;
  unsigned Code = C & (0x7F >> N);
  for (int I = 1; I < N; ++I) {
    if ((B(P + I) & 0xC0) != 0x80) return 0;
    Code = (Code << 6) | (B(P + I) & 0x3F);
  }
  if (Code < Min || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return 0;
  return N;
}

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

}  // namespace

TTextEncoding DetectEncoding(std::string_view Text) {
  for (size_t P = 0; P < Text.size();) {
    // Plain ASCII eight bytes at a time.
    if (P + 8 <= Text.size()) {
      uint64_t Word;
      std::memcpy(&Word, Text.data() + P, 8);
      if ((Word & 0x8080808080808080ULL) == 0) {
        P += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(Text[P]) < 0x80) {
      ++P;
      continue;
    }
    const int N = SequenceLength(Text, P);
    if (N == 0) return TTextEncoding::Latin1;
    P += N;
  }
  return TTextEncoding::Utf8;
}

int Utf16Length(std::string_view Line, int Bytes, TTextEncoding Encoding) {
  const size_t End = static_cast<size_t>(std::clamp(Bytes, 0, static_cast<int>(Line.size())));
  if (Encoding == TTextEncoding::Latin1) return static_cast<int>(End);
  int Units = 0;
  for (size_t P = 0; P < End;) {
    const int N = SequenceLength(Line, P);
    if (N == 0) {  // a stray byte counts as one unit
      ++Units;
      ++P;
      continue;
    }
    if (P + N > End) break;  // a character cut by End does not count
    Units += N == 4 ? 2 : 1;
    P += N;
  }
  return Units;
}

int ByteOffset(std::string_view Line, int Units, TTextEncoding Encoding) {
  const int Size = static_cast<int>(Line.size());
  if (Units <= 0) return 0;
  if (Encoding == TTextEncoding::Latin1) return std::min(Units, Size);
  int Count = 0;
  size_t P = 0;
  while (P < Line.size()) {
    const int N = std::max(SequenceLength(Line, P), 1);
    const int Width = N == 4 ? 2 : 1;
    if (Count + Width > Units) break;
    Count += Width;
    P += N;
    if (Count == Units) break;
  }
  return static_cast<int>(P);
}

TLineIndex::TLineIndex(std::string_view Text) {
  FStarts.clear();
  FLengths.clear();
  const char* const Begin = Text.data();
  const size_t Size = Text.size();
  size_t Start = 0;
  auto EndLine = [&](size_t At, size_t Next) {
    FStarts.push_back(static_cast<int>(Start));
    FLengths.push_back(static_cast<int>(At - Start));
    Start = Next;
  };
  while (Start < Size) {
    const void* Lf = std::memchr(Begin + Start, '\n', Size - Start);
    const size_t Nl = Lf ? static_cast<size_t>(static_cast<const char*>(Lf) - Begin) : Size;
    // A lone CR before the line feed (or the end) ends lines too.
    size_t P = Start;
    while (const void* Cr = P < Nl ? std::memchr(Begin + P, '\r', Nl - P) : nullptr) {
      const size_t At = static_cast<size_t>(static_cast<const char*>(Cr) - Begin);
      if (At + 1 == Nl) break;  // CR LF
      EndLine(At, At + 1);
      P = At + 1;
    }
    if (!Lf) {
      if (Size > Start && Begin[Size - 1] == '\r' && Size - 1 >= Start) EndLine(Size - 1, Size);
      break;
    }
    EndLine(Nl > Start && Begin[Nl - 1] == '\r' ? Nl - 1 : Nl, Nl + 1);
  }
  FStarts.push_back(static_cast<int>(Start));
  FLengths.push_back(static_cast<int>(Size - Start));
}

int TLineIndex::LineOf(int Offset) const {
  auto It = std::upper_bound(FStarts.begin(), FStarts.end(), Offset);
  return std::max(static_cast<int>(It - FStarts.begin()) - 1, 0);
}

void TLineIndex::ResizeLine(int Line, int Delta) {
  FLengths[static_cast<size_t>(Line)] += Delta;
  for (size_t I = static_cast<size_t>(Line) + 1; I < FStarts.size(); ++I) FStarts[I] += Delta;
}

std::string UriToPath(const std::string& Uri) {
  constexpr std::string_view Scheme = "file://";
  if (Uri.size() < Scheme.size() ||
      !std::equal(Scheme.begin(), Scheme.end(), Uri.begin(),
                  [](char A, char B) { return A == std::tolower(static_cast<unsigned char>(B)); }))
    return {};
  std::string Rest = Uri.substr(Scheme.size());
  // "file://localhost/x" names the local file /x.
  if (Rest.rfind("localhost/", 0) == 0) Rest.erase(0, 9);
  if (Rest.empty() || Rest[0] != '/') return {};
  std::string Path;
  for (size_t I = 0; I < Rest.size(); ++I) {
    if (Rest[I] == '?' || Rest[I] == '#') break;
    if (Rest[I] != '%') {
      Path += Rest[I];
      continue;
    }
    if (I + 2 >= Rest.size()) return {};
    const int Hi = HexValue(Rest[I + 1]);
    const int Lo = HexValue(Rest[I + 2]);
    if (Hi < 0 || Lo < 0) return {};
    const char C = static_cast<char>(Hi * 16 + Lo);
    if (C == '\0') return {};
    Path += C;
    I += 2;
  }
  return Path;
}

std::string PathToUri(const std::string& Path) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string Uri = "file://";
  for (unsigned char C : Path) {
    if (std::isalnum(C) || C == '/' || C == '-' || C == '_' || C == '.' || C == '~') {
      Uri += static_cast<char>(C);
    } else {
      Uri += '%';
      Uri += Hex[C >> 4];
      Uri += Hex[C & 15];
    }
  }
  return Uri;
}

std::string ToUtf8(std::string_view Text, TTextEncoding Encoding) {
  if (Encoding == TTextEncoding::Utf8) return std::string(Text);
  std::string Out;
  Out.reserve(Text.size());
  for (unsigned char C : Text) {
    if (C < 0x80) {
      Out += static_cast<char>(C);
    } else {
      Out += static_cast<char>(0xC0 | (C >> 6));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return Out;
}

std::string FromLatin1Utf8(std::string_view Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    const auto C = static_cast<unsigned char>(Text[I]);
    if (C < 0x80) {
      Out += static_cast<char>(C);
    } else if ((C == 0xC2 || C == 0xC3) && I + 1 < Text.size() &&
               (static_cast<unsigned char>(Text[I + 1]) & 0xC0) == 0x80) {
      Out += static_cast<char>(((C & 0x03) << 6) | (static_cast<unsigned char>(Text[++I]) & 0x3F));
    } else {
      return std::string(Text);
    }
  }
  return Out;
}

std::vector<std::string_view> LinesWithEnds(std::string_view Text) {
  std::vector<std::string_view> Lines;
  size_t Start = 0;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] != '\n' && Text[I] != '\r') continue;
    if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    Lines.push_back(Text.substr(Start, I + 1 - Start));
    Start = I + 1;
  }
  Lines.push_back(Text.substr(Start));
  return Lines;
}

namespace {

// Beyond this many differing lines the middle is replaced as a whole.
constexpr int MaxDiffDistance = 400;

// Myers' greedy shortest edit script of A against B: for every line of A
// whether it is kept, and likewise for B; false when more than
// MaxDiffDistance lines differ.
bool EditScript(const std::string_view* A, int N, const std::string_view* B, int M,
                std::vector<bool>& KeptA, std::vector<bool>& KeptB) {
  const int Max = std::min(N + M, MaxDiffDistance);
  // V[k] is the furthest x on diagonal k; Trace[d] holds V for k in
  // [-d - 1, d + 1] as it was before step d.
  std::vector<int> V(2 * (Max + 2) + 1, 0);
  const int Off = Max + 2;
  std::vector<std::vector<int>> Trace;
  int Found = -1;
  for (int D = 0; D <= Max && Found < 0; ++D) {
    Trace.emplace_back(V.begin() + Off - D - 1, V.begin() + Off + D + 2);
    for (int K = -D; K <= D; K += 2) {
      int X = (K == -D || (K != D && V[Off + K - 1] < V[Off + K + 1])) ? V[Off + K + 1] : V[Off + K - 1] + 1;
      int Y = X - K;
      while (X < N && Y < M && A[X] == B[Y]) ++X, ++Y;
      V[Off + K] = X;
      if (X >= N && Y >= M) {
        Found = D;
        break;
      }
    }
  }
  if (Found < 0) return false;
  KeptA.assign(N, true);
  KeptB.assign(M, true);
  int X = N;
  int Y = M;
  for (int D = Found; D > 0; --D) {
    const std::vector<int>& T = Trace[D];
    auto At = [&](int K) { return T[K + D + 1]; };
    const int K = X - Y;
    const int PrevK = (K == -D || (K != D && At(K - 1) < At(K + 1))) ? K + 1 : K - 1;
    const int PrevX = At(PrevK);
    const int PrevY = PrevX - PrevK;
    while (X > PrevX && Y > PrevY) --X, --Y;
    if (X == PrevX) KeptB[PrevY] = false;  // an inserted line
    else KeptA[PrevX] = false;             // a deleted line
    X = PrevX;
    Y = PrevY;
  }
  return true;
}

}  // namespace

std::vector<TLineChange> LineDiff(const std::vector<std::string_view>& Old,
                                  const std::vector<std::string_view>& New) {
  int Front = 0;
  const int N = static_cast<int>(Old.size());
  const int M = static_cast<int>(New.size());
  while (Front < N && Front < M && Old[Front] == New[Front]) ++Front;
  int Back = 0;
  while (Back < N - Front && Back < M - Front && Old[N - 1 - Back] == New[M - 1 - Back]) ++Back;
  const int A = N - Front - Back;
  const int B = M - Front - Back;
  std::vector<TLineChange> Changes;
  if (A == 0 && B == 0) return Changes;
  std::vector<bool> KeptA, KeptB;
  if (!EditScript(Old.data() + Front, A, New.data() + Front, B, KeptA, KeptB)) {
    TLineChange C{Front, A, {New.begin() + Front, New.begin() + Front + B}};
    Changes.push_back(std::move(C));
    return Changes;
  }
  // Walk both sides together; runs of lines not kept form one change.
  int I = 0;
  int J = 0;
  while (I < A || J < B) {
    if (I < A && J < B && KeptA[I] && KeptB[J]) {
      ++I, ++J;
      continue;
    }
    TLineChange C;
    C.Start = Front + I;
    while (I < A && !KeptA[I]) ++I, ++C.Count;
    while (J < B && !KeptB[J]) C.Lines.push_back(New[Front + J++]);
    Changes.push_back(std::move(C));
  }
  return Changes;
}
