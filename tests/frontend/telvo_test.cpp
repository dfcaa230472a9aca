#include "frontend/telvo.hpp"

#include <gtest/gtest.h>


#include "frontend/console.hpp"
#include "frontend/error.hpp"

namespace marvolt {
namespace {

std::string fmtl(std::string_view format, const std::vector<FmtArg>& args) { return formatLang(format, args); }

TEST(FormatLanguage, ConversionsWidthsAndPrecisions) {
  EXPECT_EQ(fmtl("%s|%d|%s", {42, -7, "x"}), "42|-7|x");
  EXPECT_EQ(fmtl("%b", {std::uint8_t{0x21}}), "100001");
  EXPECT_EQ(fmtl("%02X%02X%02X|", {std::uint8_t{0x0A}, std::uint8_t{0x80}, std::uint8_t{0xFF}}), "0A80FF|");
  EXPECT_EQ(fmtl("%x %X", {255, 255}), "ff FF");
  EXPECT_EQ(fmtl("[%3d][%-3d][%03d]", {-5, 7, 7}), "[ -5][7  ][007]");
  EXPECT_EQ(fmtl("[%5s][%-5s]", {"ab", "cd"}), "[   ab][cd   ]");
  EXPECT_EQ(fmtl("[%-8.8s]", {"Alexander-the-Great"}), "[Alexande]");
  EXPECT_EQ(fmtl("[%2s]", {"longer"}), "[longer]");
  EXPECT_EQ(fmtl("100%%", {}), "100%");
  // Widths count UTF-16 units, not bytes.
  EXPECT_EQ(fmtl("[%-4s]", {u"\u00e9t\u00e9"}), "[\xc3\xa9t\xc3\xa9 ]");
  EXPECT_EQ(fmtl("[%.2s]", {"\xc3\xa9t\xc3\xa9"}), "[\xc3\xa9t]");
  // Negative numbers keep their own width in hexadecimal and binary.
  EXPECT_EQ(fmtl("%x", {std::int8_t{-1}}), "ff");
}

TEST(FormatLanguage, MissingArgumentIsAFormatError) {
  EXPECT_THROW(fmtl("%s %s", {1}), FormatError);
  EXPECT_THROW(fmtl("%", {}), FormatError);
  EXPECT_THROW(fmtl("%d", {"text"}), FormatError);
}

// The format is the program's literal; every other text, a message or a
// path holding "%" included, prints as it is.
TEST(FormatErr, TheFormatTakesItsValuesAndTheRestPrintsAsItIs) {
  const auto compose = [](DiagFormat format, const std::vector<FmtArg>& args) { return formatErr(format, args); };
  EXPECT_EQ(compose("cannot read %s: no such file", {"x.cst"}), "cannot read x.cst: no such file");
  EXPECT_EQ(compose("%s", {"bad%s%d.cst: Syntax error at line 1"}), "bad%s%d.cst: Syntax error at line 1");
  EXPECT_EQ(compose(" accessing file ", {"50%s"}), " accessing file 50%s");
  EXPECT_EQ(compose("n=", {5, " and ", 6}), "n=5 and 6");
}

TEST(CodePage, Windows1252ToWideAndUtf8) {
  const std::uint8_t bytes[] = {0x45, 0xE9, 0x80};
  EXPECT_EQ(fromCodePage(std::span<const std::uint8_t>(bytes)), u"E\u00e9\u20ac");
  EXPECT_EQ(fromCodePage(static_cast<const char*>(nullptr)), u"");
  const std::uint8_t withNul[] = {'a', 'b', 0, 'c'};
  EXPECT_EQ(fromCodePage(std::span<const std::uint8_t>(withNul)), u"ab");
  EXPECT_EQ(fromCodePageUtf8(std::string_view("ab\0c", 4)), "ab");
  EXPECT_EQ(fromCodePageUtf8("\x9f\x8a"), "\xc5\xb8\xc5\xa0");   // U+0178 U+0160
  // The undefined bytes keep their number as C1 control characters.
  for (const std::uint8_t b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(cp1252ToUnicode(b), b);
}

TEST(WideText, Utf8RoundTripAndPadding) {
  const std::u16string wide = u"Gr\u00fc\u00dfe \u20ac \U0001F600";
  EXPECT_EQ(toUtf16(toUtf8(wide)), wide);
  EXPECT_EQ(utf16Length(toUtf8(wide)), wide.size());
  EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
  std::string out;
  appendPadded(out, std::u16string_view(u"\u00e9"), 3, true);
  appendPadded(out, std::u16string_view(u"ab"), 3, false);
  appendPadded(out, std::u16string_view(u"long"), 2, true);
  EXPECT_EQ(out, "\xc3\xa9   ablong");
  EXPECT_EQ(toLowerWide(u"GEM\u00c9\u0160\u0178\u017d"), u"gem\u00e9\u0161\u00ff\u017e");
}

}  // namespace
}  // namespace marvolt
