#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/Streams.h"

// Copying all of a stream, also into one that holds data and stands inside it.
TEST(TStreamTest, CopyFromOverwritesAndExtendsAtThePosition) {
  std::string Big;
  for (int I = 0; I < 20000; ++I) Big += "line " + std::to_string(I) + "\n";  // several copy pieces
  TStringStream Source(Big);
  Source.SetPosition(100);  // copying all starts from the beginning
  TStringStream Empty;
  EXPECT_EQ(Empty.CopyFrom(Source, 0), static_cast<int32_t>(Big.size()));
  EXPECT_EQ(Empty.DataString(), Big);
  EXPECT_EQ(Empty.Position(), static_cast<int32_t>(Big.size()));

  TStringStream Short("abcdef");
  Short.SetPosition(0);
  TStringStream Into("0123456789");
  Into.SetPosition(7);
  EXPECT_EQ(Into.CopyFrom(Short, 4), 4);
  EXPECT_EQ(Into.DataString(), "0123456abcd");
  Into.SetPosition(2);
  Short.SetPosition(0);
  Into.CopyFrom(Short, 2);
  EXPECT_EQ(Into.DataString(), "01ab456abcd");
  EXPECT_EQ(Into.TakeDataString(), "01ab456abcd");
  EXPECT_EQ(Into.Size(), 0);
  TStringStream Shorter("xy");
  EXPECT_THROW(Into.CopyFrom(Shorter, 5), EReadError);
}
