// Form files: the binary object format converted to text value type by value
// type, the resource header, text passed through, and damaged data refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/FormFiles.h"

namespace {

std::string Convert(const std::string& Data) {
  TStringStream In(Data), Out;
  FormStreamToText(In, Out);
  return Out.DataString();
}

// One form holding every value type the format stores.
std::string EveryValueType(bool WithHeader) {
  TFormBinaryWriter W(WithHeader, "TFORM1");
  W.BeginObject("TForm1", "Form1");
  W.WriteProperty("Left");
  W.WriteInt8(-8);
  W.WriteProperty("Width");
  W.WriteInt16(1000);
  W.WriteProperty("Tag");
  W.WriteInt32(-100000);
  W.WriteProperty("Big");
  W.WriteInt64(int64_t(1) << 40);
  W.WriteProperty("Caption");
  W.WriteString("It's\r\nok");
  W.WriteProperty("Hint");
  W.WriteLString(std::string(300, 'x'));
  W.WriteProperty("Wide");
  W.WriteWideString(u"A\u00e9\u20ac");
  W.WriteProperty("Utf");
  W.WriteUTF8String("B\xc3\xa9");
  W.WriteProperty("Font.Style");
  W.WriteSet({"fsBold", "fsItalic"});
  W.WriteProperty("Empty");
  W.WriteSet({});
  W.WriteProperty("Visible");
  W.WriteBoolean(false);
  W.WriteProperty("Enabled");
  W.WriteBoolean(true);
  W.WriteProperty("Color");
  W.WriteIdent("clBtnFace");
  W.WriteProperty("PopupMenu");
  W.WriteIdent("nil");
  W.WriteProperty("Ratio");
  W.WriteExtended(1.5L);
  W.WriteProperty("Huge");
  W.WriteExtended(-2.5e20L);
  W.WriteProperty("Zero");
  W.WriteExtended(0);
  W.WriteProperty("D");
  W.WriteDouble(0.25);
  W.WriteProperty("S");
  W.WriteSingle(2.5f);
  W.WriteProperty("Price");
  W.WriteCurrency(12345);
  W.WriteProperty("When");
  W.WriteDate(36526.5);
  W.WriteProperty("Picture.Data");
  W.WriteBinary(std::string("\x01\xab\x00\xff", 4));
  W.WriteProperty("Items.Strings");
  W.BeginList();
  W.WriteString("one");
  W.WriteInteger(2);
  W.EndList();
  W.WriteProperty("Columns");
  W.BeginCollection();
  W.BeginItem();
  W.WriteProperty("FieldName");
  W.WriteString("NAME");
  W.EndList();
  W.BeginItem(3);
  W.WriteProperty("Width");
  W.WriteInteger(64);
  W.EndList();
  W.EndList();
  W.EndList();
  W.BeginObject("TButton", "Button1", ffInherited | ffChildPos, 2);
  W.EndList();
  W.EndList();
  W.BeginObject("TFrame1", "Frame11", ffInline);
  W.EndList();
  W.EndList();
  W.EndList();
  return W.Data();
}

const char* EveryValueTypeText =
    "object Form1: TForm1\r\n"
    "  Left = -8\r\n"
    "  Width = 1000\r\n"
    "  Tag = -100000\r\n"
    "  Big = 1099511627776\r\n"
    "  Caption = 'It''s'#13#10'ok'\r\n"
    "  Hint = 'HINT'\r\n"
    "  Wide = 'A'#233#8364\r\n"
    "  Utf = 'B'#233\r\n"
    "  Font.Style = [fsBold, fsItalic]\r\n"
    "  Empty = []\r\n"
    "  Visible = False\r\n"
    "  Enabled = True\r\n"
    "  Color = clBtnFace\r\n"
    "  PopupMenu = nil\r\n"
    "  Ratio = 1.5\r\n"
    "  Huge = -2.5E20\r\n"
    "  Zero = 0\r\n"
    "  D = 0.25\r\n"
    "  S = 2.5s\r\n"
    "  Price = 12345c\r\n"
    "  When = 36526.5d\r\n"
    "  Picture.Data = {\r\n"
    "    01AB00FF}\r\n"
    "  Items.Strings = (\r\n"
    "    'one'\r\n"
    "    2)\r\n"
    "  Columns = <\r\n"
    "    item\r\n"
    "      FieldName = 'NAME'\r\n"
    "    end\r\n"
    "    item [3]\r\n"
    "      Width = 64\r\n"
    "    end>\r\n"
    "  inherited Button1: TButton [2]\r\n"
    "  end\r\n"
    "  inline Frame11: TFrame1\r\n"
    "  end\r\n"
    "end\r\n";

TEST(FormFiles, EveryValueTypeConvertsToItsText) {
  std::string Expected = EveryValueTypeText;
  Expected.replace(Expected.find("HINT"), 4, std::string(300, 'x'));
  EXPECT_EQ(Convert(EveryValueType(false)), Expected);
  EXPECT_EQ(Convert(EveryValueType(true)), Expected) << "behind a resource header";
}

TEST(FormFiles, FormatIsRecognised) {
  TStringStream Binary(EveryValueType(false)), WithHeader(EveryValueType(true)),
      Text("\xEF\xBB\xBF  object Form1: TForm1\nend\n"), Inherited("inherited Form2: TForm2\r\nend"),
      Other("objection = 1"), Empty;
  EXPECT_EQ(TestStreamFormat(Binary), sofBinary);
  EXPECT_EQ(TestStreamFormat(WithHeader), sofBinary);
  EXPECT_EQ(TestStreamFormat(Text), sofText);
  EXPECT_EQ(TestStreamFormat(Inherited), sofText);
  EXPECT_EQ(TestStreamFormat(Other), sofUnknown);
  EXPECT_EQ(TestStreamFormat(Empty), sofUnknown);
  EXPECT_EQ(Binary.Position(), 0) << "testing keeps the position";
}

TEST(FormFiles, TextBehindManyBlankLinesIsTextToTheTestAndTheConversion) {
  const std::string Lfm = std::string(100, '\n') + "object Form1: TForm1\nend\n";
  TStringStream In(Lfm);
  EXPECT_EQ(TestStreamFormat(In), sofText);
  EXPECT_EQ(Convert(Lfm), Lfm);
}

TEST(FormFiles, TextIsPassedThroughUnchanged) {
  const std::string Lfm = "object Form1: TForm1\n  Caption = 'Form1'\n  object Button1: TButton\n  end\nend\n";
  EXPECT_EQ(Convert(Lfm), Lfm);
}

TEST(FormFiles, NeitherKindRaisesTheStreamError) {
  for (const std::string& Bad : {std::string(), std::string("unit Unit1;"), std::string("\x00\x01\x02", 3),
                                std::string("TPF1xxxx")}) {
    try {
      Convert(Bad);
      ADD_FAILURE() << "accepted: " << Bad;
    } catch (const EReadError& E) {
      EXPECT_EQ(E.Message(), "Invalid stream format");
    }
  }
}

TEST(FormFiles, EveryCutOfABinaryFormIsAStreamError) {
  const std::string Full = EveryValueType(false);
  for (size_t N = 0; N < Full.size(); ++N) EXPECT_THROW(Convert(Full.substr(0, N)), EStreamError) << N;
  const std::string WithHeader = EveryValueType(true);
  for (size_t N = 1; N < 40; ++N) EXPECT_THROW(Convert(WithHeader.substr(0, N)), EStreamError) << N;
}

TEST(FormFiles, DamagedValuesAreRefused) {
  // An unknown value type.
  std::string Bad = std::string("TPF0\x06TForm1\x05" "Form1\x04Left", 4 + 7 + 6 + 5) + "\x63";
  EXPECT_THROW(Convert(Bad), EReadError);
  // A binary length far beyond the data.
  std::string Long = std::string("TPF0\x06TForm1\x05" "Form1\x01X\x0a\xff\xff\xff\x7f", 4 + 7 + 6 + 2 + 5);
  EXPECT_THROW(Convert(Long), EReadError);
  // Nesting without end is refused, not recursed into until the stack is gone.
  std::string Deep = "TPF0";
  for (int I = 0; I < 100000; ++I) Deep += std::string("\x01T\x01N\x00", 5);
  EXPECT_THROW(Convert(Deep), EReadError);
  std::string DeepList = std::string("TPF0\x01T\x01N\x01X", 9) + std::string(100000, '\x01');
  EXPECT_THROW(Convert(DeepList), EReadError);
}

TEST(FormFiles, ObjectBinaryToTextLeavesTheStreamAfterTheObject) {
  const std::string Data = EveryValueType(false) + "tail";
  TStringStream In(Data), Out;
  ObjectBinaryToText(In, Out);
  EXPECT_EQ(In.Position(), static_cast<int32_t>(Data.size() - 4));
}

TEST(FormFiles, MissingFileIsAnOpenError) {
  EXPECT_THROW(FormFileToText("/nonexistent/velmoric/Unit1.dfm"), EFOpenError);
}

}  // namespace
