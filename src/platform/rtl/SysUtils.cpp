#include "platform/rtl/SysUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <mutex>

// ------------------------------------------------------------ string helpers

std::string Copy(std::string_view S, int Index, int Count) {
  if (Index < 1) Index = 1;
  const int Len = static_cast<int>(S.size());
  if (Count < 1 || Index > Len) return {};
  const int Avail = Len - Index + 1;
  return std::string(S.substr(Index - 1, Count < Avail ? Count : Avail));
}

int Pos(std::string_view Sub, std::string_view S) {
  if (Sub.empty()) return 0;
  const auto P = S.find(Sub);
  return P == std::string_view::npos ? 0 : static_cast<int>(P) + 1;
}

void Delete(std::string& S, int Index, int Count) {
  const int Len = static_cast<int>(S.size());
  if (Index < 1 || Index > Len || Count < 1) return;
  S.erase(Index - 1, Count);
}

void Insert(std::string_view Sub, std::string& S, int Index) {
  if (Index < 1) Index = 1;
  const int Len = static_cast<int>(S.size());
  if (Index > Len + 1) Index = Len + 1;
  S.insert(static_cast<size_t>(Index - 1), Sub);
}

static bool IsTrimmed(char C) { return static_cast<unsigned char>(C) <= ' '; }

std::string Trim(std::string_view S) { return TrimRight(TrimLeft(S)); }

std::string TrimLeft(std::string_view S) {
  size_t I = 0;
  while (I < S.size() && IsTrimmed(S[I])) ++I;
  return std::string(S.substr(I));
}

std::string TrimRight(std::string_view S) {
  size_t N = S.size();
  while (N > 0 && IsTrimmed(S[N - 1])) --N;
  return std::string(S.substr(0, N));
}

std::string LowerCase(std::string_view S) {
  std::string R;
  LowerCaseInto(S, R);
  return R;
}

void LowerCaseInto(std::string_view S, std::string& Out) {
  Out.resize(S.size());
  char* To = Out.data();
  for (size_t I = 0; I < S.size(); ++I) To[I] = LowerChar(S[I]);
}

std::string UpperCase(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = UpperChar(C);
  return R;
}

int CompareText(std::string_view A, std::string_view B) {
  const size_t N = A.size() < B.size() ? A.size() : B.size();
  for (size_t I = 0; I < N; ++I) {
    if (A[I] == B[I]) continue;  // most characters match as they stand
    const auto CA = static_cast<unsigned char>(LowerChar(A[I]));
    const auto CB = static_cast<unsigned char>(LowerChar(B[I]));
    if (CA != CB) return CA < CB ? -1 : 1;
  }
  if (A.size() == B.size()) return 0;
  return A.size() < B.size() ? -1 : 1;
}

int CompareStr(std::string_view A, std::string_view B) {
  const int R = A.compare(B);
  return R < 0 ? -1 : (R > 0 ? 1 : 0);
}

bool SameText(std::string_view A, std::string_view B) {
  return A.size() == B.size() && CompareText(A, B) == 0;
}

std::string StringOfChar(char C, int Count) {
  return Count > 0 ? std::string(static_cast<size_t>(Count), C) : std::string();
}

std::string IntToStr(int64_t Value) { return std::to_string(Value); }

std::string IntToHex(int64_t Value, int Digits) {
  char Buf[32];
  std::snprintf(Buf, sizeof Buf, "%0*llX", Digits < 0 ? 0 : (Digits > 16 ? 16 : Digits),
                static_cast<unsigned long long>(Value));
  return Buf;
}

// Parses like the runtime's Val: blanks, sign, decimal or '$' hex digits.
static bool ParseInteger(std::string_view S, int64_t Min, int64_t Max, int64_t& Out) {
  size_t I = 0;
  while (I < S.size() && S[I] == ' ') ++I;
  bool Neg = false;
  if (I < S.size() && (S[I] == '+' || S[I] == '-')) Neg = S[I++] == '-';
  bool Hex = false;
  if (I < S.size() && S[I] == '$') {
    Hex = true;
    ++I;
  } else if (I + 1 < S.size() && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
    Hex = true;
    I += 2;
  }
  if (I >= S.size()) return false;
  uint64_t V = 0;
  const uint64_t Limit = Hex ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(Max) + 1;
  for (; I < S.size(); ++I) {
    const char C = S[I];
    int D;
    if (C >= '0' && C <= '9') D = C - '0';
    else if (Hex && C >= 'a' && C <= 'f') D = C - 'a' + 10;
    else if (Hex && C >= 'A' && C <= 'F') D = C - 'A' + 10;
    else return false;
    const uint64_t Base = Hex ? 16 : 10;
    if (V > (Limit - D) / Base) return false;
    V = V * Base + D;
  }
  if (Hex) {
    // Hex digits give the bit pattern of the target width.
    const uint64_t Mask = Max == std::numeric_limits<int64_t>::max() ? ~uint64_t{0} : 0xFFFFFFFFull;
    if (V > Mask) return false;
    int64_t R = Mask == 0xFFFFFFFFull ? static_cast<int32_t>(static_cast<uint32_t>(V))
                                        : static_cast<int64_t>(V);
    Out = Neg ? -R : R;
    return true;
  }
  if (Neg) {
    if (V > static_cast<uint64_t>(Max) + 1) return false;
    Out = V == static_cast<uint64_t>(Max) + 1 ? Min : -static_cast<int64_t>(V);
  } else {
    if (V > static_cast<uint64_t>(Max)) return false;
    Out = static_cast<int64_t>(V);
  }
  return true;
}

static EConvertError InvalidInteger(std::string_view S) {
  return EConvertError("'" + std::string(S) + "' is not a valid integer value");
}

int StrToInt(std::string_view S) {
  int64_t V;
  if (!ParseInteger(S, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), V))
    throw InvalidInteger(S);
  return static_cast<int>(V);
}

int StrToIntDef(std::string_view S, int Default) {
  int64_t V;
  if (!ParseInteger(S, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), V))
    return Default;
  return static_cast<int>(V);
}

int64_t StrToInt64(std::string_view S) {
  int64_t V;
  if (!ParseInteger(S, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), V))
    throw InvalidInteger(S);
  return V;
}

// ------------------------------------------------------------------- Format

namespace {

[[noreturn]] void InvalidFormat(std::string_view Fmt) {
  throw EConvertError("Format '" + std::string(Fmt) + "' invalid or incompatible with argument");
}

[[noreturn]] void ArgumentMissing(std::string_view Fmt) {
  throw EConvertError("No argument for format '" + std::string(Fmt) + "'");
}

std::string PrintfDouble(char Type, int Prec, double V) {
  char Spec[8] = {'%', '.', '*', Type, 0};
  char Buf[512];
  std::snprintf(Buf, sizeof Buf, Spec, Prec, V);
  return Buf;
}

// Thousands separators for %n.
std::string GroupThousands(const std::string& Fixed) {
  size_t Start = (Fixed[0] == '-') ? 1 : 0;
  size_t Dot = Fixed.find('.');
  if (Dot == std::string::npos) Dot = Fixed.size();
  std::string Int = Fixed.substr(Start, Dot - Start);
  std::string R;
  for (size_t I = 0; I < Int.size(); ++I) {
    if (I > 0 && (Int.size() - I) % 3 == 0) R += ',';
    R += Int[I];
  }
  return Fixed.substr(0, Start) + R + Fixed.substr(Dot);
}

}  // namespace

std::string FormatArgs(std::string_view Fmt, const std::vector<TVarRec>& Args) {
  std::string Out;
  size_t ArgIndex = 0;
  size_t I = 0;
  const size_t N = Fmt.size();

  auto NextArg = [&]() -> const TVarRec& {
    if (ArgIndex >= Args.size()) ArgumentMissing(Fmt);
    return Args[ArgIndex++];
  };
  auto ReadNumber = [&](int& Value) -> bool {
    if (I < N && Fmt[I] == '*') {
      ++I;
      const TVarRec& A = NextArg();
      if (A.VType != TVarRec::vtInteger) InvalidFormat(Fmt);
      Value = static_cast<int>(A.VInteger);
      return true;
    }
    if (I < N && Fmt[I] >= '0' && Fmt[I] <= '9') {
      Value = 0;
      while (I < N && Fmt[I] >= '0' && Fmt[I] <= '9') {
        Value = Value * 10 + (Fmt[I] - '0');
        if (Value > 100000) InvalidFormat(Fmt);
        ++I;
      }
      return true;
    }
    return false;
  };

  while (I < N) {
    const char C = Fmt[I++];
    if (C != '%') {
      Out += C;
      continue;
    }
    if (I >= N) InvalidFormat(Fmt);
    if (Fmt[I] == '%') {
      Out += '%';
      ++I;
      continue;
    }
    // [index ":"]
    {
      size_t J = I;
      int Number = 0;
      while (J < N && Fmt[J] >= '0' && Fmt[J] <= '9' && Number < 100000) Number = Number * 10 + (Fmt[J++] - '0');
      if (J > I && J < N && Fmt[J] == ':') {
        ArgIndex = static_cast<size_t>(Number);
        I = J + 1;
      }
    }
    bool LeftAlign = false;
    if (I < N && Fmt[I] == '-') {
      LeftAlign = true;
      ++I;
    }
    int Width = 0;
    if (ReadNumber(Width) && Width < 0) {
      LeftAlign = true;
      Width = -Width;
    }
    int Prec = -1;
    if (I < N && Fmt[I] == '.') {
      ++I;
      if (!ReadNumber(Prec)) Prec = 0;
    }
    while (I < N && (Fmt[I] == 'l' || Fmt[I] == 'L' || Fmt[I] == 'h')) ++I;
    if (I >= N) InvalidFormat(Fmt);
    const char Type = LowerChar(Fmt[I++]);
    const TVarRec& A = NextArg();

    std::string Text;
    switch (Type) {
      case 'd': {
        if (A.VType != TVarRec::vtInteger) InvalidFormat(Fmt);
        const bool Neg = A.VInteger < 0;
        std::string Digits = std::to_string(Neg ? -static_cast<uint64_t>(A.VInteger)
                                                : static_cast<uint64_t>(A.VInteger));
        if (Prec > 0 && static_cast<int>(Digits.size()) < Prec)
          Digits.insert(0, static_cast<size_t>(Prec) - Digits.size(), '0');
        Text = (Neg ? "-" : "") + Digits;
        break;
      }
      case 'u': {
        if (A.VType != TVarRec::vtInteger) InvalidFormat(Fmt);
        Text = std::to_string(static_cast<uint32_t>(A.VInteger));
        if (Prec > 0 && static_cast<int>(Text.size()) < Prec)
          Text.insert(0, static_cast<size_t>(Prec) - Text.size(), '0');
        break;
      }
      case 'x': {
        if (A.VType != TVarRec::vtInteger) InvalidFormat(Fmt);
        const uint64_t V = (A.VInteger >= INT32_MIN && A.VInteger <= UINT32_MAX)
                               ? static_cast<uint32_t>(A.VInteger)
                               : static_cast<uint64_t>(A.VInteger);
        Text = IntToHex(static_cast<int64_t>(V), Prec > 0 ? Prec : 0);
        break;
      }
      case 's': {
        if (A.VType == TVarRec::vtString || A.VType == TVarRec::vtChar) Text = A.VString;
        else InvalidFormat(Fmt);
        if (Prec >= 0 && static_cast<int>(Text.size()) > Prec) Text.resize(static_cast<size_t>(Prec));
        break;
      }
      case 'f':
      case 'e':
      case 'g':
      case 'n':
      case 'm': {
        double V;
        if (A.VType == TVarRec::vtFloat) V = A.VFloat;
        else InvalidFormat(Fmt);
        if (Type == 'f') Text = PrintfDouble('f', Prec < 0 ? 2 : Prec, V);
        else if (Type == 'e') Text = PrintfDouble('E', Prec < 0 ? 14 : (Prec > 0 ? Prec - 1 : 0), V);
        else if (Type == 'g') Text = PrintfDouble('G', Prec < 0 ? 15 : Prec, V);
        else Text = GroupThousands(PrintfDouble('f', Prec < 0 ? 2 : Prec, V));
        break;
      }
      case 'p': {
        if (A.VType != TVarRec::vtPointer) InvalidFormat(Fmt);
        Text = IntToHex(static_cast<int64_t>(reinterpret_cast<uintptr_t>(A.VPointer)),
                        sizeof(void*) * 2);
        break;
      }
      default:
        InvalidFormat(Fmt);
    }
    if (Width > 0 && static_cast<int>(Text.size()) < Width) {
      const std::string Pad(static_cast<size_t>(Width) - Text.size(), ' ');
      Text = LeftAlign ? Text + Pad : Pad + Text;
    }
    Out += Text;
  }
  return Out;
}

// --------------------------------------------------------- files and paths

bool IsPathDelimiter(char C) { return C == '/' || C == '\\'; }

static size_t LastDelimiter(std::string_view FileName) {
  for (size_t I = FileName.size(); I > 0; --I)
    if (IsPathDelimiter(FileName[I - 1]) || FileName[I - 1] == ':') return I;
  return 0;  // index just after the last delimiter
}

std::string ExtractFileName(std::string_view FileName) {
  return std::string(FileName.substr(LastDelimiter(FileName)));
}

std::string ExtractFilePath(std::string_view FileName) {
  return std::string(FileName.substr(0, LastDelimiter(FileName)));
}

std::string ExtractFileDir(std::string_view FileName) {
  size_t N = LastDelimiter(FileName);
  if (N > 1 && IsPathDelimiter(FileName[N - 1])) --N;
  return std::string(FileName.substr(0, N));
}

std::string ExtractFileExt(std::string_view FileName) {
  const size_t Start = LastDelimiter(FileName);
  const size_t Dot = FileName.rfind('.');
  if (Dot == std::string_view::npos || Dot < Start) return {};
  return std::string(FileName.substr(Dot));
}

std::string ChangeFileExt(std::string_view FileName, std::string_view Extension) {
  const size_t Start = LastDelimiter(FileName);
  size_t Dot = FileName.rfind('.');
  if (Dot == std::string_view::npos || Dot < Start) Dot = FileName.size();
  return std::string(FileName.substr(0, Dot)) + std::string(Extension);
}

std::string IncludeTrailingPathDelimiter(std::string_view Path) {
  std::string R(Path);
  if (R.empty() || !IsPathDelimiter(R.back())) R += '/';
  return R;
}

bool FileExists(const std::string& FileName) {
  struct stat St;
  return !FileName.empty() && ::stat(FileName.c_str(), &St) == 0 && S_ISREG(St.st_mode);
}

bool DirectoryExists(const std::string& Dir) {
  struct stat St;
  return !Dir.empty() && ::stat(Dir.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

std::string ReadFileBytes(const std::string& FileName) {
  const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) throw EFOpenError("Cannot open file " + FileName);
  struct stat St;
  if (::fstat(Fd, &St) != 0 || S_ISDIR(St.st_mode)) {
    ::close(Fd);
    throw EFOpenError("Cannot open file " + FileName);
  }
  // A regular file is read at its size, then whatever else is there.
  std::string Data;
  size_t Size = S_ISREG(St.st_mode) && St.st_size > 0 ? static_cast<size_t>(St.st_size) : 0;
  Data.resize(Size + 4096);  // room to see the end without growing
  size_t Used = 0;
  for (;;) {
    if (Used == Data.size()) Data.resize(Data.size() * 2);
    const ssize_t N = ::read(Fd, Data.data() + Used, Data.size() - Used);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) {
      ::close(Fd);
      throw EReadError("Cannot read file " + FileName);
    }
    if (N == 0) break;
    Used += static_cast<size_t>(N);
  }
  ::close(Fd);
  Data.resize(Used);
  if (Data.capacity() > 2 * Used + 4096) Data.shrink_to_fit();
  return Data;
}

void WriteFileBytes(const std::string& FileName, std::string_view Data) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  if (!Out) throw EFCreateError("Cannot create file " + FileName);
  Out.write(Data.data(), static_cast<std::streamsize>(Data.size()));
  Out.close();
  if (!Out) throw EWriteError("Cannot write file " + FileName);
}

// ---------------------------------------------------------------- time

namespace {
std::mutex TickMutex;
std::function<uint32_t()> TickSource;
}  // namespace

uint32_t GetTickCount() {
  {
    std::lock_guard<std::mutex> Lock(TickMutex);
    if (TickSource) return TickSource();
  }
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetTickCountSource(std::function<uint32_t()> Source) {
  std::lock_guard<std::mutex> Lock(TickMutex);
  TickSource = std::move(Source);
}
