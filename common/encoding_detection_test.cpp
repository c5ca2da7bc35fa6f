#include "common/encoding_detection.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {

namespace {

TEST(FindDeclaredEncoding, XmlDeclarationAtOffsetZero) {
  EXPECT_EQ(FindDeclaredEncoding("<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r\n<a/>"), "GB2312");
  EXPECT_EQ(FindDeclaredEncoding("<?xml version='1.0' encoding = 'utf-8'?><a/>"), "utf-8");
  EXPECT_EQ(FindDeclaredEncoding("<?xml encoding=\"\"?><a/>"), "");  // declared, but empty

  EXPECT_EQ(FindDeclaredEncoding("<?xml version=\"1.0\"?><a/>"), std::nullopt);
  EXPECT_EQ(FindDeclaredEncoding(" <?xml encoding=\"GBK\"?><a/>"), std::nullopt);
  EXPECT_EQ(FindDeclaredEncoding("<?xml-stylesheet encoding=\"GBK\"?><a/>"), std::nullopt);
  EXPECT_EQ(FindDeclaredEncoding("<?xml Encoding=\"GBK\"?>"), std::nullopt);
  EXPECT_EQ(FindDeclaredEncoding("<a encoding=\"GBK\"/>"), std::nullopt);
  // Only the first kilobyte is examined.
  EXPECT_EQ(
      FindDeclaredEncoding("<?xml" + std::string(kEncodingHeadSize, ' ') + "encoding=\"GBK\"?>"),
      std::nullopt);
}

TEST(FindDeclaredEncoding, HtmlContentTypeMetaInsideTheHeadOfAnHtmlDocument) {
  EXPECT_EQ(FindDeclaredEncoding("<!DOCTYPE html><!-- <head> --><HTML><Head><title>t</title>"
                                 "<META HTTP-EQUIV=\"content-type\" "
                                 "content=\"text/html; charset=gb2312\"></head>"),
            "gb2312");
  EXPECT_EQ(FindDeclaredEncoding("<html><head><meta content='text/html;charset = \"big5\"' "
                                 "http-equiv=Content-Type /></head>"),
            "big5");

  const std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">";
  EXPECT_EQ(FindDeclaredEncoding("<head>" + meta), std::nullopt);  // no html
  EXPECT_EQ(FindDeclaredEncoding("<html>" + meta), std::nullopt);  // no head
  EXPECT_EQ(FindDeclaredEncoding("<html><header>" + meta), std::nullopt);
  EXPECT_EQ(FindDeclaredEncoding("<html><head></head><body>" + meta), std::nullopt);
  EXPECT_EQ(FindDeclaredEncoding("<html><head>" + meta.substr(0, 30)), std::nullopt);  // cut
  EXPECT_EQ(FindDeclaredEncoding("<html><head><meta http-equiv=\"refresh\" "
                                 "content=\"5; charset=gbk\">"),
            std::nullopt);
}

TEST(IsUtf8Text, EveryHighByteMustBelongToAWellFormedSequence) {
  EXPECT_TRUE(IsUtf8Text("plain <a/>"));
  EXPECT_TRUE(IsUtf8Text("\xE7\x89\x88 \xC2\xA9 \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"));

  EXPECT_FALSE(IsUtf8Text("\xB0\xE6\xB1\xBE"));  // GBK
  EXPECT_FALSE(IsUtf8Text("\x80"));              // a lone continuation byte
  EXPECT_FALSE(IsUtf8Text("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsUtf8Text("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(IsUtf8Text("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsUtf8Text("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsUtf8Text("\xE7\x89x"));         // cut inside the text

  // A sequence cut by the end of the buffer does not count against it.
  EXPECT_TRUE(IsUtf8Text("abc\xE7\x89"));
  EXPECT_FALSE(IsUtf8Text("abc\xE0\x80"));  // already wrong before the end
}

}  // namespace

}  // namespace tavrel
