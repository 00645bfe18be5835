#include "core/xml_stream.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "platform/text_lines.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

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

// Upper-cases the value of every <v>.
class UpperValues : public XmlHandler {
 public:
  bool WantsValue(std::string_view name) const override { return name == "v"; }
  void Value(std::string_view, std::string& value) override {
    for (char& c : value) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
};

struct StreamCase {
  std::string label;
  std::string input;
  std::string output;
};

class XmlStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(XmlStreamTest, ChangesOnlyTheValuesOfElements) {
  testing::TempDir tmp;
  testing::WriteFile(tmp / "in.xml", GetParam().input);
  UpperValues handler;
  {
    LineReader in(tmp / "in.xml");
    LineWriter out(tmp / "out.xml");
    StreamXml(in, &out, handler);
    out.Close();
  }
  EXPECT_EQ(testing::ReadFile(tmp / "out.xml"), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlStreamTest,
    ::testing::Values(
        StreamCase{"Element", "<a><v>x</v><w>x</w></a>", "<a><v>X</v><w>x</w></a>"},
        StreamCase{"Comment", "<!-- <v>x</v> --><v>y</v>", "<!-- <v>x</v> --><v>Y</v>"},
        StreamCase{"Cdata", "<w><![CDATA[<v>x</v>]]></w><v>y</v>",
                   "<w><![CDATA[<v>x</v>]]></w><v>Y</v>"},
        StreamCase{"Instruction", "<?xml version=\"1.0\"?><?pi <v>x</v> ?\?><v>y</v>",
                   "<?xml version=\"1.0\"?><?pi <v>x</v> ?\?><v>Y</v>"},
        StreamCase{"DoctypeSubset",
                   "<!DOCTYPE a [ <!ENTITY e \"<v>x</v>]>\"> <!ELEMENT v ANY> ]>\n<v>y</v>",
                   "<!DOCTYPE a [ <!ENTITY e \"<v>x</v>]>\"> <!ELEMENT v ANY> ]>\n<v>Y</v>"},
        StreamCase{"AttributeWithGreaterThan", "<v a=\"1>2\" b='>'>x</v>",
                   "<v a=\"1>2\" b='>'>X</v>"},
        StreamCase{"ApostropheOutsideAValue", "<w>it's < 3</w><v>x</v>",
                   "<w>it's < 3</w><v>X</v>"}),
    testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
