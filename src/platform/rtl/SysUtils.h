// Delphi-style runtime helpers: exceptions, 1-based string routines, Format,
// conversions, file names and tick counts. Strings are byte strings; case
// folding touches ASCII A-Z only.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------- exceptions

class Exception : public std::exception {
 public:
  explicit Exception(std::string Msg) : FMessage(std::move(Msg)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

#define VELMORIC_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {                   \
   public:                                     \
    using Base::Base;                          \
  };

VELMORIC_DECLARE_EXCEPTION(EAbort, Exception)
VELMORIC_DECLARE_EXCEPTION(EIntError, Exception)
VELMORIC_DECLARE_EXCEPTION(ERangeError, EIntError)
VELMORIC_DECLARE_EXCEPTION(EIntOverflow, EIntError)
VELMORIC_DECLARE_EXCEPTION(EConvertError, Exception)
VELMORIC_DECLARE_EXCEPTION(EListError, Exception)
VELMORIC_DECLARE_EXCEPTION(EStringListError, Exception)
VELMORIC_DECLARE_EXCEPTION(EStreamError, Exception)
VELMORIC_DECLARE_EXCEPTION(EFOpenError, EStreamError)
VELMORIC_DECLARE_EXCEPTION(EFCreateError, EStreamError)
VELMORIC_DECLARE_EXCEPTION(EReadError, EStreamError)
VELMORIC_DECLARE_EXCEPTION(EWriteError, EStreamError)
VELMORIC_DECLARE_EXCEPTION(EDatabaseError, Exception)

// Input/output failure of a text file, with the runtime's error code.
class EInOutError : public Exception {
 public:
  EInOutError(std::string Msg, int Code) : Exception(std::move(Msg)), ErrorCode(Code) {}
  int ErrorCode;
};

// ------------------------------------------------------------ string helpers

// 1-based substring; an Index below 1 counts as 1, a Count below 1 gives ''.
std::string Copy(std::string_view S, int Index, int Count);
// 1-based position of Sub in S, 0 when absent or Sub is empty.
int Pos(std::string_view Sub, std::string_view S);
// Removes Count characters from position Index (1-based).
void Delete(std::string& S, int Index, int Count);
// Inserts Sub before position Index (1-based); past the end appends.
void Insert(std::string_view Sub, std::string& S, int Index);

std::string Trim(std::string_view S);       // strips characters <= ' ' at both ends
std::string TrimLeft(std::string_view S);
std::string TrimRight(std::string_view S);
std::string LowerCase(std::string_view S);  // ASCII A-Z only
// Out becomes S lowered as LowerCase does, in the room Out already has.
void LowerCaseInto(std::string_view S, std::string& Out);
std::string UpperCase(std::string_view S);
inline char LowerChar(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + 32) : C; }
inline char UpperChar(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 32) : C; }

// Case-insensitive (ASCII) comparison: <0, 0 or >0, byte by byte after folding.
int CompareText(std::string_view A, std::string_view B);
int CompareStr(std::string_view A, std::string_view B);
bool SameText(std::string_view A, std::string_view B);
std::string StringOfChar(char C, int Count);

std::string IntToStr(int64_t Value);
std::string IntToHex(int64_t Value, int Digits);
// Accepts optional blanks, a sign, decimal digits or '$' hex; anything else
// raises EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view S);
int StrToIntDef(std::string_view S, int Default);
int64_t StrToInt64(std::string_view S);

// ------------------------------------------------------------------- Format

// One argument of Format, as Delphi's open array of const holds it.
struct TVarRec {
  enum Kind { vtInteger, vtChar, vtString, vtFloat, vtPointer };
  Kind VType;
  int64_t VInteger = 0;
  double VFloat = 0;
  const void* VPointer = nullptr;
  std::string VString;

  TVarRec(bool V) : VType(vtInteger), VInteger(V ? 1 : 0) {}
  TVarRec(char V) : VType(vtChar), VString(1, V) {}
  TVarRec(const char* V) : VType(vtString), VString(V ? V : "") {}
  TVarRec(char* V) : VType(vtString), VString(V ? V : "") {}
  TVarRec(const std::string& V) : VType(vtString), VString(V) {}
  TVarRec(std::string_view V) : VType(vtString), VString(V) {}
  // Any other class that reads as a string view (and maybe as a string too).
  template <typename T, std::enable_if_t<std::is_class_v<T> && std::is_convertible_v<const T&, std::string_view> &&
                                             !std::is_same_v<T, std::string> && !std::is_same_v<T, std::string_view>,
                                         int> = 0>
  TVarRec(const T& V) : VType(vtString), VString(std::string_view(V)) {}
  TVarRec(float V) : VType(vtFloat), VFloat(V) {}
  TVarRec(double V) : VType(vtFloat), VFloat(V) {}
  template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                             !std::is_same_v<T, char>,
                                         int> = 0>
  TVarRec(T V) : VType(vtInteger), VInteger(static_cast<int64_t>(V)) {}
  template <typename T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
  TVarRec(T V) : VType(vtInteger), VInteger(static_cast<int64_t>(V)) {}
  template <typename T>
  TVarRec(T* V) : VType(vtPointer), VPointer(V) {}
};

// Delphi's Format: "%" [index ":"] ["-"] [width] ["." prec] type, width and
// precision may be "*"; types d u x s f e g n p (an 'l' before the type is
// ignored); "%%" is a percent sign. Bad or missing arguments raise EConvertError.
std::string FormatArgs(std::string_view Fmt, const std::vector<TVarRec>& Args);

template <typename... A>
std::string Format(std::string_view Fmt, const A&... Args) {
  return FormatArgs(Fmt, std::vector<TVarRec>{TVarRec(Args)...});
}

// --------------------------------------------------------- files and paths

// Both '\' and '/' separate directories when a name is taken apart.
bool IsPathDelimiter(char C);
std::string ExtractFileName(std::string_view FileName);
std::string ExtractFilePath(std::string_view FileName);  // keeps the trailing separator
std::string ExtractFileDir(std::string_view FileName);   // without it
std::string ExtractFileExt(std::string_view FileName);   // with the dot
std::string ChangeFileExt(std::string_view FileName, std::string_view Extension);
std::string IncludeTrailingPathDelimiter(std::string_view Path);
bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Dir);

// Whole file as bytes; raises EFOpenError "Cannot open file %s" on failure.
std::string ReadFileBytes(const std::string& FileName);
// Writes the bytes in place (create or truncate); raises EFCreateError "Cannot
// create file %s" or EWriteError "Cannot write file %s". A file that must not
// be left cut by a failure is written with WriteFileAtomically (AtomicFile.h).
void WriteFileBytes(const std::string& FileName, std::string_view Data);

// ---------------------------------------------------------------- time

// Milliseconds of a monotonic clock, wrapping as a 32-bit count does.
uint32_t GetTickCount();
// Lets a host drive the clock (tests, the in-process IDE); an empty function
// restores the system clock.
void SetTickCountSource(std::function<uint32_t()> Source);
