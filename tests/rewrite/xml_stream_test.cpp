#include "rewrite/xml_stream.h"

#include <string>

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

TEST(XmlText, DecodeKnownReferencesOnly) {
  EXPECT_EQ(DecodeXml("a&amp;b&lt;&gt;&quot;&apos;"), "a&b<>\"'");
  EXPECT_EQ(DecodeXml("&#65;&#x42;&#xe9;&#128512;"), "AB\xc3\xa9\xf0\x9f\x98\x80");
  EXPECT_EQ(DecodeXml("&nbsp;&#;&#x;&amp &#xZZ;&"), "&nbsp;&#;&#x;&amp &#xZZ;&");
  EXPECT_EQ(EncodeXml("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d&apos;");
}

TEST(XmlText, FindAttribute) {
  const std::string tag = "<targetInfo a = \"x\" name='Target 1' b=\"name\"/>";
  const AttributeSpan span = FindAttribute(tag, "name");
  EXPECT_EQ(tag.substr(span.pos, span.length), "Target 1");
  EXPECT_EQ(FindAttribute(tag, "nam").pos, std::string::npos);
  EXPECT_EQ(FindAttribute("<t name=x>", "name").pos, std::string::npos);
  EXPECT_EQ(FindAttribute("<t name=\"x>", "name").pos, std::string::npos);
}

}  // namespace
}  // namespace kelvandor
