// Escaping and number writing of the XHTML writer: whatever text comes in,
// what goes out is well-formed and reads as written.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "reports/htmlpage.hpp"

namespace {

using namespace marvolt;

const std::string kFFFD = "\xEF\xBF\xBD";

TEST(HtmlText, EscapesMarkupAndReplacesForbiddenCharacters) {
  const struct {
    std::u16string in;
    std::string out;
  } cases[] = {
      {u"O'Brien <&>", "O&#39;Brien &lt;&amp;&gt;"},
      {u"\"Q\" ]]>", "&quot;Q&quot; ]]&gt;"},
      {u"tab\tlf\ncr\r", "tab\tlf\ncr\r"},
      {std::u16string(u"a\x01" u"b\x1F" u"c\0d", 7), "a" + kFFFD + "b" + kFFFD + "c" + kFFFD + "d"},
      {u"\x7F\x85\x9F\xA0", kFFFD + kFFFD + kFFFD + "\xC2\xA0"},
      {u"\xFFFE\xFFFF\x20AC", kFFFD + kFFFD + "\xE2\x82\xAC"},
      {u"\xD800x\xDC00", kFFFD + "x" + kFFFD},
      {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    std::string wide;
    html::appendText(wide, c.in);
    EXPECT_EQ(wide, c.out);
  }
}

TEST(HtmlText, Utf8InputIsCheckedByteByByte) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"René <b>", "René &lt;b&gt;"},
      {"\xC2\x85|\xC2\xA0", kFFFD + "|\xC2\xA0"},        // C1 control, then NBSP
      {"\xC0\x80", kFFFD + kFFFD},                        // overlong NUL
      {"\xED\xA0\x80", kFFFD + kFFFD + kFFFD},            // encoded surrogate
      {"\xEF\xBF\xBE", kFFFD},                            // U+FFFE
      {"\xE2\x82", kFFFD + kFFFD},                        // cut short
      {"\xF4\x90\x80\x80", kFFFD + kFFFD + kFFFD + kFFFD},  // beyond U+10FFFF
      {"\x01'", kFFFD + "&#39;"},
  };
  for (const auto& c : cases) {
    std::string out;
    html::appendText(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(HtmlText, CutTextsEndInAnEllipsisAndKeepPairsWhole) {
  std::string out;
  html::appendTextCut(out, u"Jim Clark", 5);
  EXPECT_EQ(out, "Jim \xE2\x80\xA6");
  out.clear();
  html::appendTextCut(out, u"ab\xD83D\xDE00" u"cd", 4);
  EXPECT_EQ(out, "ab\xE2\x80\xA6");
  out.clear();
  html::appendTextCut(out, u"<short>", 7);
  EXPECT_EQ(out, "&lt;short&gt;");
}

TEST(HtmlNumbers, DecimalsAreRoundedToOnePlace) {
  const struct {
    double in;
    const char* out;
  } cases[] = {{0, "0"},       {1.25, "1.3"},     {12.04, "12"},      {-2.06, "-2.1"},
               {-0.04, "0"},   {12345.67, "12345.7"}, {NAN, "0"},    {INFINITY, "0"}};
  for (const auto& c : cases) {
    std::string out;
    html::appendDecimal(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

}  // namespace
