#include "platform/vcl/FormFiles.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/rtl/SysUtils.h"

namespace {

constexpr int MaxNesting = 200;  // deeper data is taken as damaged, not recursed into

[[noreturn]] void InvalidFormat() { throw EReadError("Invalid stream format"); }

// Reads the binary object format from memory and writes its text.
class TBinaryToText {
 public:
  TBinaryToText(std::string_view Data, std::string& Out) : FData(Data), FOut(Out) {}

  void Convert() {
    if (FData.substr(0, 4) != "TPF0") InvalidFormat();
    FPos = 4;
    ConvertObject();
  }

  size_t Pos() const { return FPos; }

 private:
  std::string_view FData;
  std::string& FOut;
  size_t FPos = 0;
  int FLevel = 0;   // indentation
  int FDepth = 0;   // recursion

  void Need(size_t N) {
    if (FData.size() - FPos < N) throw EReadError("Stream read error");
  }
  uint8_t Byte() {
    Need(1);
    return static_cast<uint8_t>(FData[FPos++]);
  }
  uint8_t PeekByte() {
    Need(1);
    return static_cast<uint8_t>(FData[FPos]);
  }
  uint64_t Unsigned(int N) {
    Need(static_cast<size_t>(N));
    uint64_t V = 0;
    for (int I = N - 1; I >= 0; --I) V = (V << 8) | static_cast<uint8_t>(FData[FPos + I]);
    FPos += static_cast<size_t>(N);
    return V;
  }
  std::string_view Bytes(size_t N) {
    Need(N);
    std::string_view S = FData.substr(FPos, N);
    FPos += N;
    return S;
  }
  std::string_view ShortStr() { return Bytes(Byte()); }
  bool EndOfList() { return PeekByte() == vaNull; }
  void ListEnd() {
    if (Byte() != vaNull) InvalidFormat();
  }

  void Enter() {
    if (++FDepth > MaxNesting) InvalidFormat();
  }
  void Indent() { FOut.append(static_cast<size_t>(FLevel) * 2, ' '); }
  void Str(std::string_view S) { FOut.append(S); }
  void NewLine() { FOut.append("\r\n"); }

  int64_t Integer(uint8_t Type) {
    switch (Type) {
      case vaInt8: return static_cast<int8_t>(Byte());
      case vaInt16: return static_cast<int16_t>(Unsigned(2));
      case vaInt32: return static_cast<int32_t>(Unsigned(4));
      case vaInt64: return static_cast<int64_t>(Unsigned(8));
      default: throw EReadError("Invalid property value");
    }
  }

  void ConvertObject() {
    Enter();
    uint8_t Flags = 0;
    int64_t ChildPos = 0;
    if ((PeekByte() & 0xF0) == 0xF0) {
      Flags = Byte() & 0x0F;
      if (Flags & ffChildPos) ChildPos = Integer(Byte());
    }
    const std::string_view ClassName = ShortStr();
    const std::string_view Name = ShortStr();
    Indent();
    Str(Flags & ffInherited ? "inherited " : Flags & ffInline ? "inline " : "object ");
    if (!Name.empty()) {
      Str(Name);
      Str(": ");
    }
    Str(ClassName);
    if (Flags & ffChildPos) Str(" [" + IntToStr(ChildPos) + "]");
    NewLine();
    ++FLevel;
    while (!EndOfList()) ConvertProperty();
    ListEnd();
    while (!EndOfList()) ConvertObject();
    ListEnd();
    --FLevel;
    Indent();
    Str("end");
    NewLine();
    --FDepth;
  }

  void ConvertProperty() {
    Indent();
    Str(ShortStr());
    Str(" = ");
    ConvertValue();
    NewLine();
  }

  void ConvertValue() {
    Enter();
    const uint8_t Type = Byte();
    switch (Type) {
      case vaList:
        Str("(");
        ++FLevel;
        while (!EndOfList()) {
          NewLine();
          Indent();
          ConvertValue();
        }
        ListEnd();
        --FLevel;
        Str(")");
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Str(IntToStr(Integer(Type)));
        break;
      case vaExtended:
        Str(FloatText(Extended()));
        break;
      case vaDouble:
        Str(FloatText(DoubleValue()));
        break;
      case vaSingle: {
        const uint32_t Bits = static_cast<uint32_t>(Unsigned(4));
        float F;
        std::memcpy(&F, &Bits, 4);
        Str(FloatText(F) + "s");
        break;
      }
      case vaCurrency:
        Str(IntToStr(static_cast<int64_t>(Unsigned(8))) + "c");
        break;
      case vaDate:
        Str(FloatText(DoubleValue()) + "d");
        break;
      case vaString:
        QuotedBytes(ShortStr());
        break;
      case vaLString:
        QuotedBytes(Bytes(static_cast<uint32_t>(Unsigned(4))));
        break;
      case vaWString: {
        const uint32_t Count = static_cast<uint32_t>(Unsigned(4));
        if (Count > (FData.size() - FPos) / 2) throw EReadError("Stream read error");
        std::u32string Chars;
        for (uint32_t I = 0; I < Count; ++I) {
          char32_t C = static_cast<char32_t>(Unsigned(2));
          if (C >= 0xD800 && C < 0xDC00 && I + 1 < Count && FData.size() - FPos >= 2) {
            const char32_t Low = static_cast<char32_t>(static_cast<uint8_t>(FData[FPos]) |
                                                       (static_cast<uint8_t>(FData[FPos + 1]) << 8));
            if (Low >= 0xDC00 && Low < 0xE000) {
              FPos += 2;
              ++I;
              C = 0x10000 + ((C - 0xD800) << 10) + (Low - 0xDC00);
            }
          }
          Chars.push_back(C);
        }
        QuotedChars(Chars);
        break;
      }
      case vaUTF8String:
        QuotedChars(DecodeUTF8(Bytes(static_cast<uint32_t>(Unsigned(4)))));
        break;
      case vaIdent:
        Str(ShortStr());
        break;
      case vaFalse: Str("False"); break;
      case vaTrue: Str("True"); break;
      case vaNil: Str("nil"); break;
      case vaBinary: {
        const std::string_view Data = Bytes(static_cast<uint32_t>(Unsigned(4)));
        static const char Hex[] = "0123456789ABCDEF";
        Str("{");
        ++FLevel;
        for (size_t I = 0; I < Data.size(); ++I) {
          if (I % 32 == 0) {
            NewLine();
            Indent();
          }
          const auto B = static_cast<uint8_t>(Data[I]);
          FOut.push_back(Hex[B >> 4]);
          FOut.push_back(Hex[B & 15]);
        }
        --FLevel;
        Str("}");
        break;
      }
      case vaSet: {
        Str("[");
        for (int I = 0;; ++I) {
          const std::string_view Member = ShortStr();
          if (Member.empty()) break;
          if (I > 0) Str(", ");
          Str(Member);
        }
        Str("]");
        break;
      }
      case vaCollection: {
        Str("<");
        ++FLevel;
        while (!EndOfList()) {
          NewLine();
          Indent();
          Str("item");
          const uint8_t Next = PeekByte();
          if (Next == vaInt8 || Next == vaInt16 || Next == vaInt32) {
            Str(" [");
            Str(IntToStr(Integer(Byte())));
            Str("]");
          }
          NewLine();
          if (Byte() != vaList) InvalidFormat();
          ++FLevel;
          while (!EndOfList()) ConvertProperty();
          ListEnd();
          --FLevel;
          Indent();
          Str("end");
        }
        ListEnd();
        --FLevel;
        Str(">");
        break;
      }
      default:
        throw EReadError("Invalid property value");
    }
    --FDepth;
  }

  long double Extended() {
    const uint64_t Mantissa = Unsigned(8);
    const uint16_t SignExp = static_cast<uint16_t>(Unsigned(2));
    const int Exp = SignExp & 0x7FFF;
    const bool Negative = SignExp & 0x8000;
    long double V;
    if (Exp == 0x7FFF)
      V = (Mantissa << 1) ? std::numeric_limits<long double>::quiet_NaN()
                          : std::numeric_limits<long double>::infinity();
    else
      V = std::ldexp(static_cast<long double>(Mantissa), (Exp == 0 ? 1 : Exp) - 16383 - 63);
    return Negative ? -V : V;
  }
  double DoubleValue() {
    const uint64_t Bits = Unsigned(8);
    double D;
    std::memcpy(&D, &Bits, 8);
    return D;
  }

  static std::string FloatText(long double V) {
    if (std::isnan(V)) return "NAN";
    if (std::isinf(V)) return V < 0 ? "-INF" : "INF";
    char Buf[64];
    std::snprintf(Buf, sizeof Buf, "%.15Lg", V);
    // Delphi's style: "1.5E20", "1E-5".
    std::string S = Buf;
    const size_t E = S.find('e');
    if (E == std::string::npos) return S;
    std::string Mant = S.substr(0, E);
    std::string Exp = S.substr(E + 1);
    std::string Sign;
    if (!Exp.empty() && (Exp[0] == '+' || Exp[0] == '-')) {
      if (Exp[0] == '-') Sign = "-";
      Exp.erase(0, 1);
    }
    while (Exp.size() > 1 && Exp[0] == '0') Exp.erase(0, 1);
    return Mant + "E" + Sign + Exp;
  }

  static std::u32string DecodeUTF8(std::string_view S) {
    std::u32string Out;
    for (size_t I = 0; I < S.size();) {
      const auto B = static_cast<uint8_t>(S[I]);
      int Len = B < 0x80 ? 1 : (B >> 5) == 6 ? 2 : (B >> 4) == 14 ? 3 : (B >> 3) == 30 ? 4 : 0;
      char32_t C = Len == 1 ? B : Len == 2 ? (B & 0x1F) : Len == 3 ? (B & 0x0F) : (B & 0x07);
      bool Ok = Len > 0 && I + static_cast<size_t>(Len) <= S.size();
      for (int K = 1; Ok && K < Len; ++K) {
        const auto Cont = static_cast<uint8_t>(S[I + static_cast<size_t>(K)]);
        if ((Cont & 0xC0) != 0x80) Ok = false;
        else C = (C << 6) | (Cont & 0x3F);
      }
      if (!Ok) {
        Out.push_back(0xFFFD);  // a damaged sequence stands as one replacement character
        ++I;
        continue;
      }
      Out.push_back(C);
      I += static_cast<size_t>(Len);
    }
    return Out;
  }

  // 8-bit text: printable bytes quoted, control characters as #n.
  void QuotedBytes(std::string_view S) {
    std::u32string Chars;
    for (char C : S) Chars.push_back(static_cast<uint8_t>(C));
    QuotedChars(Chars, 256);
  }
  // Characters from Limit up, and control characters, are written as #n.
  void QuotedChars(const std::u32string& Chars, char32_t Limit = 128) {
    if (Chars.empty()) {
      Str("''");
      return;
    }
    bool InQuotes = false;
    for (char32_t C : Chars) {
      if (C >= ' ' && C < Limit && C != 0x7F) {
        if (!InQuotes) FOut.push_back('\'');
        InQuotes = true;
        FOut.push_back(static_cast<char>(C));
        if (C == '\'') FOut.push_back('\'');
      } else {
        if (InQuotes) FOut.push_back('\'');
        InQuotes = false;
        Str("#" + IntToStr(static_cast<int64_t>(C)));
      }
    }
    if (InQuotes) FOut.push_back('\'');
  }
};

std::string ReadRest(TStream& Input) {
  const int32_t Pos = Input.Position();
  const int32_t Size = Input.Size();
  std::string Data(static_cast<size_t>(Size > Pos ? Size - Pos : 0), '\0');
  if (!Data.empty()) Input.ReadBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  return Data;
}

void WriteOut(TStream& Output, const std::string& Text) {
  if (!Text.empty()) Output.WriteBuffer(Text.data(), static_cast<int32_t>(Text.size()));
}

bool IsWordChar(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
}

TStreamOriginalFormat FormatOf(std::string_view Data) {
  if (Data.empty()) return sofUnknown;
  if (static_cast<uint8_t>(Data[0]) == 0xFF || Data.substr(0, 4) == "TPF0") return sofBinary;
  size_t I = Data.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (I < Data.size() && (Data[I] == ' ' || Data[I] == '\t' || Data[I] == '\r' || Data[I] == '\n')) ++I;
  for (std::string_view Word : {"object", "inherited", "inline"}) {
    if (Data.size() - I > Word.size() && SameText(Data.substr(I, Word.size()), Word) &&
        !IsWordChar(Data[I + Word.size()]))
      return sofText;
  }
  return sofUnknown;
}

// The object data behind a 16-bit resource header (type and name each an
// ordinal or a zero-ended string, flags, size).
std::string_view SkipResourceHeader(std::string_view Data) {
  size_t P = 0;
  auto Need = [&](size_t N) {
    if (Data.size() - P < N) InvalidFormat();
  };
  auto SkipNameOrOrdinal = [&] {
    Need(1);
    if (static_cast<uint8_t>(Data[P]) == 0xFF) {
      Need(3);
      P += 3;
      return;
    }
    const size_t End = Data.find('\0', P);
    if (End == std::string_view::npos) InvalidFormat();
    P = End + 1;
  };
  SkipNameOrOrdinal();  // type
  SkipNameOrOrdinal();  // name
  Need(6);
  P += 2;  // flags
  uint32_t Size = 0;
  for (int I = 3; I >= 0; --I) Size = (Size << 8) | static_cast<uint8_t>(Data[P + static_cast<size_t>(I)]);
  P += 4;
  Data.remove_prefix(P);
  if (Size < Data.size()) Data = Data.substr(0, Size);
  return Data;
}

std::string ToText(std::string_view Data) {
  switch (FormatOf(Data)) {
    case sofBinary: {
      if (static_cast<uint8_t>(Data[0]) == 0xFF) Data = SkipResourceHeader(Data);
      std::string Out;
      TBinaryToText(Data, Out).Convert();
      return Out;
    }
    case sofText:
      return std::string(Data);
    default:
      InvalidFormat();
  }
}

}  // namespace

// Reads as far as the conversion does, so that a text form file behind any
// number of blank lines is text to both.
TStreamOriginalFormat TestStreamFormat(TStream& Stream) {
  const int32_t Pos = Stream.Position();
  const std::string Data = ReadRest(Stream);
  Stream.SetPosition(Pos);
  return FormatOf(Data);
}

void ObjectBinaryToText(TStream& Input, TStream& Output) {
  const int32_t Start = Input.Position();
  const std::string Data = ReadRest(Input);
  std::string Out;
  TBinaryToText Converter(Data, Out);
  Converter.Convert();
  Input.SetPosition(Start + static_cast<int32_t>(Converter.Pos()));
  WriteOut(Output, Out);
}

void ObjectResourceToText(TStream& Input, TStream& Output) {
  const std::string Data = ReadRest(Input);
  std::string_view Object = Data;
  if (!Object.empty() && static_cast<uint8_t>(Object[0]) == 0xFF) Object = SkipResourceHeader(Object);
  std::string Out;
  TBinaryToText(Object, Out).Convert();
  WriteOut(Output, Out);
}

void FormStreamToText(TStream& Input, TStream& Output) { WriteOut(Output, ToText(ReadRest(Input))); }

std::string FormFileToText(const std::string& FileName) { return ToText(ReadFileBytes(FileName)); }

// ------------------------------------------------------------------ writer

TFormBinaryWriter::TFormBinaryWriter(bool WithResourceHeader, std::string ResourceName) {
  if (WithResourceHeader) {
    Byte(0xFF);
    Byte(10);
    Byte(0);
    FData.append(ResourceName);
    Byte(0);
    Byte(0x30);
    Byte(0x10);
    FData.append(4, '\0');  // size, filled in by Data()
    FHeaderSize = FData.size();
  }
  FData.append("TPF0");
}

void TFormBinaryWriter::ShortStr(std::string_view S) {
  if (S.size() > 255) throw EWriteError("Stream write error");
  Byte(static_cast<uint8_t>(S.size()));
  FData.append(S);
}

void TFormBinaryWriter::BeginObject(std::string_view ClassName, std::string_view Name, uint8_t Flags,
                                    int32_t ChildPos) {
  if (Flags) {
    Byte(0xF0 | (Flags & 0x0F));
    if (Flags & ffChildPos) WriteInteger(ChildPos);
  }
  ShortStr(ClassName);
  ShortStr(Name);
}

void TFormBinaryWriter::WriteInteger(int64_t Value) {
  if (Value >= -128 && Value <= 127) WriteInt8(static_cast<int8_t>(Value));
  else if (Value >= -32768 && Value <= 32767) WriteInt16(static_cast<int16_t>(Value));
  else if (Value >= INT32_MIN && Value <= INT32_MAX) WriteInt32(static_cast<int32_t>(Value));
  else WriteInt64(Value);
}

namespace {
void LittleEndian(std::string& Out, uint64_t V, int N) {
  for (int I = 0; I < N; ++I) Out.push_back(static_cast<char>((V >> (8 * I)) & 0xFF));
}
}  // namespace

void TFormBinaryWriter::WriteInt8(int8_t Value) {
  Byte(vaInt8);
  LittleEndian(FData, static_cast<uint8_t>(Value), 1);
}
void TFormBinaryWriter::WriteInt16(int16_t Value) {
  Byte(vaInt16);
  LittleEndian(FData, static_cast<uint16_t>(Value), 2);
}
void TFormBinaryWriter::WriteInt32(int32_t Value) {
  Byte(vaInt32);
  LittleEndian(FData, static_cast<uint32_t>(Value), 4);
}
void TFormBinaryWriter::WriteInt64(int64_t Value) {
  Byte(vaInt64);
  LittleEndian(FData, static_cast<uint64_t>(Value), 8);
}

void TFormBinaryWriter::WriteIdent(std::string_view Ident) {
  if (SameText(Ident, "nil")) Byte(vaNil);
  else if (SameText(Ident, "False")) Byte(vaFalse);
  else if (SameText(Ident, "True")) Byte(vaTrue);
  else {
    Byte(vaIdent);
    ShortStr(Ident);
  }
}

void TFormBinaryWriter::WriteString(std::string_view Value) {
  if (Value.size() <= 255) {
    Byte(vaString);
    ShortStr(Value);
  } else {
    WriteLString(Value);
  }
}

void TFormBinaryWriter::WriteLString(std::string_view Value) {
  Byte(vaLString);
  LittleEndian(FData, Value.size(), 4);
  FData.append(Value);
}

void TFormBinaryWriter::WriteWideString(std::u16string_view Value) {
  Byte(vaWString);
  LittleEndian(FData, Value.size(), 4);
  for (char16_t C : Value) LittleEndian(FData, C, 2);
}

void TFormBinaryWriter::WriteUTF8String(std::string_view Value) {
  Byte(vaUTF8String);
  LittleEndian(FData, Value.size(), 4);
  FData.append(Value);
}

void TFormBinaryWriter::WriteExtended(long double Value) {
  Byte(vaExtended);
  uint16_t SignExp = 0;
  uint64_t Mantissa = 0;
  if (std::signbit(Value)) SignExp = 0x8000;
  const long double A = std::fabs(Value);
  if (std::isinf(A)) {
    SignExp |= 0x7FFF;
    Mantissa = uint64_t(1) << 63;
  } else if (std::isnan(A)) {
    SignExp |= 0x7FFF;
    Mantissa = uint64_t(3) << 62;
  } else if (A != 0) {
    int E = 0;
    const long double M = std::frexp(A, &E);  // A = M * 2^E, M in [0.5, 1)
    Mantissa = static_cast<uint64_t>(std::ldexp(M, 64));
    SignExp |= static_cast<uint16_t>(E + 16382);
  }
  LittleEndian(FData, Mantissa, 8);
  LittleEndian(FData, SignExp, 2);
}

void TFormBinaryWriter::WriteDouble(double Value) {
  Byte(vaDouble);
  uint64_t Bits;
  std::memcpy(&Bits, &Value, 8);
  LittleEndian(FData, Bits, 8);
}

void TFormBinaryWriter::WriteSingle(float Value) {
  Byte(vaSingle);
  uint32_t Bits;
  std::memcpy(&Bits, &Value, 4);
  LittleEndian(FData, Bits, 4);
}

void TFormBinaryWriter::WriteCurrency(int64_t Scaled) {
  Byte(vaCurrency);
  LittleEndian(FData, static_cast<uint64_t>(Scaled), 8);
}

void TFormBinaryWriter::WriteDate(double Value) {
  Byte(vaDate);
  uint64_t Bits;
  std::memcpy(&Bits, &Value, 8);
  LittleEndian(FData, Bits, 8);
}

void TFormBinaryWriter::WriteBinary(std::string_view Bytes) {
  Byte(vaBinary);
  LittleEndian(FData, Bytes.size(), 4);
  FData.append(Bytes);
}

void TFormBinaryWriter::WriteSet(std::initializer_list<std::string_view> Members) {
  Byte(vaSet);
  for (std::string_view M : Members) ShortStr(M);
  Byte(0);
}

void TFormBinaryWriter::BeginItem(int32_t Index) {
  WriteInteger(Index);
  Byte(vaList);
}

std::string TFormBinaryWriter::Data() const {
  std::string Out = FData;
  if (FHeaderSize) {
    const uint64_t Size = Out.size() - FHeaderSize;
    for (int I = 0; I < 4; ++I) Out[FHeaderSize - 4 + static_cast<size_t>(I)] = static_cast<char>((Size >> (8 * I)) & 0xFF);
  }
  return Out;
}
