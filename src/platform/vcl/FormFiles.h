// Form files: the conversion of a form resource to its text format, as the
// component library offers it. A ".dfm" is either binary (a "TPF0" object
// stream, possibly behind a 16-bit resource header) or already text; Lazarus
// ".lfm" files are text. The writer of the binary format makes test files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/Streams.h"

enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText };

// The kind of form data at the stream's position (the position is kept).
TStreamOriginalFormat TestStreamFormat(TStream& Stream);

// Converts a "TPF0" object stream at Input's position into text on Output.
// Damaged or truncated data raises EReadError ("Invalid stream format",
// "Stream read error", "Invalid property value").
void ObjectBinaryToText(TStream& Input, TStream& Output);
// The same behind the resource header that binary ".dfm" files carry (a
// stream without one is converted as it is).
void ObjectResourceToText(TStream& Input, TStream& Output);
// A form file of either kind as text: binary data converted, text copied as
// it is. Anything else raises EReadError "Invalid stream format".
void FormStreamToText(TStream& Input, TStream& Output);
// The text of the form file FileName (EFOpenError when it cannot be read).
std::string FormFileToText(const std::string& FileName);

// The value types of the binary format.
enum TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21
};

// Filer flags of a component header.
enum : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

// Writes the binary format value by value: a component is BeginObject,
// its properties (WriteProperty followed by one value), EndList, its
// children, EndList. Lists, sets and collections are bracketed the same way.
class TFormBinaryWriter {
 public:
  // Starts with the "TPF0" signature, optionally behind a resource header
  // naming the form (its type name in upper case).
  explicit TFormBinaryWriter(bool WithResourceHeader = false, std::string ResourceName = "TFORM");

  void BeginObject(std::string_view ClassName, std::string_view Name, uint8_t Flags = 0,
                   int32_t ChildPos = 0);
  void EndList() { Byte(vaNull); }
  void WriteProperty(std::string_view Name) { ShortStr(Name); }

  // The smallest integer type that holds Value.
  void WriteInteger(int64_t Value);
  void WriteInt8(int8_t Value);
  void WriteInt16(int16_t Value);
  void WriteInt32(int32_t Value);
  void WriteInt64(int64_t Value);
  void WriteBoolean(bool Value) { Byte(Value ? vaTrue : vaFalse); }
  void WriteIdent(std::string_view Ident);  // nil, False and True get their own types
  void WriteString(std::string_view Value);   // short up to 255 bytes, else long
  void WriteLString(std::string_view Value);
  void WriteWideString(std::u16string_view Value);
  void WriteUTF8String(std::string_view Value);
  void WriteExtended(long double Value);
  void WriteDouble(double Value);
  void WriteSingle(float Value);
  void WriteCurrency(int64_t Scaled);  // the value times 10000
  void WriteDate(double Value);
  void WriteBinary(std::string_view Bytes);
  void WriteSet(std::initializer_list<std::string_view> Members);
  void BeginList() { Byte(vaList); }
  void BeginCollection() { Byte(vaCollection); }
  // One collection item, optionally with an index; its properties follow,
  // then EndList.
  void BeginItem() { Byte(vaList); }
  void BeginItem(int32_t Index);

  // The bytes written, with the resource header's size filled in.
  std::string Data() const;

 private:
  void Byte(uint8_t B) { FData.push_back(static_cast<char>(B)); }
  void Raw(const void* P, size_t N) { FData.append(static_cast<const char*>(P), N); }
  void ShortStr(std::string_view S);
  std::string FData;
  size_t FHeaderSize = 0;
};
