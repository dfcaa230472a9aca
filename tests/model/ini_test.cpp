#include "model/ini.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/harness.hpp"

namespace marvolt {
namespace {

using Pieces = std::vector<std::string>;

// The message of the error that parsing `text` raises.
std::string parseError(std::string_view text, bool lookups = false) {
  return testsupport::errorOf([&] { IniSection::ParseString(text, lookups); });
}

// The names of a section's children, in order.
Pieces childNames(const IniSection& section) {
  Pieces names;
  for (const IniSection& child : section.sections()) names.push_back(child.name());
  return names;
}

TEST(IniStructure, HeadersAreResolvedFromTheRoot) {
  const IniSection blank = IniSection::ParseString("\n; comment\n   \n;k\n");
  EXPECT_TRUE(blank.sections().empty());
  EXPECT_TRUE(blank.keys().empty());
  const IniSection ini = IniSection::ParseString(
      "top = 1\n[a.b.c]\nk = c\n[a]\nk = a\n[b]\n# = hash\n[ Car ]\n[x..y]\n[ p : ]\n[.]\n");
  EXPECT_EQ(ini.getKey("top"), "1");
  EXPECT_EQ(childNames(ini), (Pieces{"a", "b", " Car ", "x", "p", ""}));
  const IniSection& a = ini.getSection("a");
  EXPECT_EQ(a.getKey("k"), "a");
  EXPECT_EQ(childNames(a), Pieces{"b"});
  EXPECT_EQ(a.getSection("b").getSection("c").getKey("k"), "c");
  EXPECT_FALSE(a.getSection("b").hasKey("k"));
  EXPECT_EQ(ini.getSection("b").getKey("#"), "hash");
  EXPECT_EQ(ini.getSectionEx("x..y").name(), "y");
  EXPECT_EQ(childNames(ini.getSection("")), Pieces{""});
}

TEST(IniStructure, InheritanceCopiesKeysOfAnEarlierSection) {
  const IniSection ini = IniSection::ParseString(
      "[base]\nx = 1\n[car : base]\ny = 2\n[other : b]\n[g.base]\nz = 3\n[g.kid : base]\n"
      "[deep.one : .g.base]\n[car : .g]\n[\xC3\xA9]\nw = 4\n[uni : \xC3\xA9]\n");
  EXPECT_EQ(ini.getSection("car").keys(), (IniSection::Keys{}));  // re-opened: replaced by g's (none)
  EXPECT_TRUE(ini.getSection("other").keys().empty());             // a one-character source is ignored
  EXPECT_EQ(ini.getSectionEx("g.kid").getKey("z"), "3");           // siblings first
  EXPECT_EQ(ini.getSectionEx("deep.one").getKey("z"), "3");        // absolute path
  EXPECT_TRUE(ini.getSection("uni").keys().empty());               // one character, two bytes
  const IniSection kept = IniSection::ParseString("[base]\nx = 1\n[car : base]\ny = 2\n");
  EXPECT_EQ(kept.getSection("car").keys(), (IniSection::Keys{{"x", "1"}, {"y", "2"}}));
  EXPECT_EQ(parseError("[car : later]\n[later]\n"), "Section 'later' does not exists");
  EXPECT_EQ(parseError("[a]\n[a.b : .a.c]\n"), "Section 'c' does not exists");
}

TEST(IniKeyLines, SplitAtTheFirstEqualsAndUnquoted) {
  const IniSection ini = IniSection::ParseString(
      "k = v = w\nq = \"quoted text\"\ntwo = \"\"\nopen = \"abc\nthree = \"x\"\ninner = \" a \"\n"
      " = empty key\nk2=1\nk2=2\nc = a ; b\n");
  EXPECT_EQ(ini.keys(), (IniSection::Keys{{"k", "v = w"}, {"q", "quoted text"}, {"two", "\"\""}, {"open", "\"abc"},
                                           {"three", "x"}, {"inner", " a "}, {"", "empty key"}, {"k2", "2"},
                                           {"c", "a ; b"}}));
}

TEST(IniKeyLines, LineWithoutEqualsIsASyntaxErrorKeepingEarlierLines) {
  EXPECT_EQ(parseError("a = 1\n\n[]\n"), "Syntax error at line 3");
  EXPECT_EQ(parseError("[x\n"), "Syntax error at line 1");
  IniSection ini;
  EXPECT_THROW(ini.parseString("a = 1\n[s]\nb = 2\nbroken\nc = 3\n"), IniException);
  EXPECT_EQ(ini.getKey("a"), "1");
  EXPECT_EQ(ini.getSection("s").getKey("b"), "2");
  EXPECT_FALSE(ini.getSection("s").hasKey("c"));
}

TEST(IniLines, UnicodeLineBreaksAndWhiteSpace) {
  // CR LF is one break; LF CR is two. Each break counts for the line number.
  EXPECT_EQ(IniSection::ParseString("[s]\r\nk = v\r\n").getSection("s").keys(), (IniSection::Keys{{"k", "v"}}));
  EXPECT_EQ(parseError("a=1\r\nbad"), "Syntax error at line 2");
  EXPECT_EQ(parseError("a=1\n\rbad"), "Syntax error at line 3");
  EXPECT_EQ(parseError("a=1\rb=2\vc=3\fd=4\xC2\x85" "e=5\xE2\x80\xA8" "f=6\xE2\x80\xA9" "bad"),
            "Syntax error at line 7");
  const IniSection ini = IniSection::ParseString(
      "\xC2\xA0[s]\xE3\x80\x80\n\t\xE2\x80\x83k\xE2\x80\xAF=\xE2\x80\x8A v w\xC2\x85\nn = \xE2\x80\x8B\n");
  EXPECT_EQ(ini.getSection("s").getKey("k"), "v w");
  EXPECT_EQ(ini.getSection("s").getKey("n"), "\xE2\x80\x8B");  // zero-width space is no white space
}

TEST(IniLookups, ReferencesAreReplacedOnce) {
  const IniSection ini = IniSection::ParseString(
      "x = %y%\ny = 5\nz = %a%-%b%\na = 10\nb = 2\npct = 50% off\nself = <%self%>\nodd = %a%b%c\n"
      "[sub]\nkey = s\nv = %key%/%.a%/%.sub.key%\n[top]\nr = %.sub.key%+%sub2.k%\n[top.sub2]\nk = deep\n",
      true);
  EXPECT_EQ(ini.getKey("x"), "5");
  EXPECT_EQ(ini.getKey("z"), "10-2");
  EXPECT_EQ(ini.getKey("pct"), "50% off");
  EXPECT_EQ(ini.getKey("self"), "<<%self%>>");
  EXPECT_EQ(ini.getKey("odd"), "10b%c");
  EXPECT_EQ(ini.getSection("sub").getKey("v"), "s/10/s");
  EXPECT_EQ(ini.getSection("top").getKey("r"), "s+deep");
  EXPECT_EQ(IniSection::ParseString("x = %y%\ny = 5\n").getKey("x"), "%y%");  // without the flag: as written
  // Keys are expanded in key order: "a" is taken before "b" expands it.
  EXPECT_EQ(IniSection::ParseString("a = %b%\nb = %c%\nc = 1\n", true).getKey("a"), "%c%");
}

TEST(IniLookups, BadReferencesAreErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"x = %nope%\n", "Key 'nope' does not exists"},
      {"x = %s.nope%\n[s]\n", "Key 'nope' does not exists"},
      {"x = %t.k%\n", "Section 't' does not exists"},
      {"x = a%%b\n", "Empty lookup reference in key 'x'"},
      {"x = %.%\n", "Invalid lookup reference '.' in key 'x'"}};
  for (const auto& [text, error] : cases) EXPECT_EQ(parseError(text, true), error) << text;
  // Each key doubles the one before: the expansion must stop, not exhaust memory.
  const auto key = [](int i) { return "k" + std::to_string(i / 10) + std::to_string(i % 10); };
  std::string doubling = key(0) + " = " + std::string(64, 'x') + "\n";
  for (int i = 1; i < 40; ++i) doubling += key(i) + " = %" + key(i - 1) + "%%" + key(i - 1) + "%\n";
  EXPECT_EQ(parseError(doubling, true).rfind("Lookup expansion too large in key 'k", 0), 0U);
}

TEST(IniTree, LinksStayValidAsTheTreeGrowsIsCopiedAndMoved) {
  IniSection ini = IniSection::ParseString("[first.inner]\nk = v\n");
  IniSection& first = ini.getSection("first");
  for (int i = 0; i < 2000; ++i) ini.parseString("[s" + std::to_string(i) + ".c]\n");
  EXPECT_EQ(&ini.getSection("first"), &first);
  EXPECT_EQ(first.getSection("inner").getParent(), &first);
  EXPECT_EQ(ini.getSection("s1999").getSection("c").root().sections().size(), 2001U);
  const IniSection copy = ini;
  EXPECT_EQ(copy.getSection("first").getSection("inner").getParent(), &copy.getSection("first"));
  IniSection moved = std::move(ini);
  EXPECT_EQ(moved.getSection("first").getParent(), &moved);
  // A copy taken from inside the tree still knows its parent.
  EXPECT_EQ(moved.getSectionEx("first.inner").getParent(), &moved.getSection("first"));
}

TEST(IniHostile, DeepAndWideTreesStayCheap) {
  // 200000 nested sections: parse, copy and release without deep recursion.
  const std::string dots(200000, '.');
  const std::string deep = "top = t\n[" + dots + "]\nk = v\nx = %k%\ny = %.top%\n[twin : ." + dots + "]\n";
  {
    const IniSection ini = IniSection::ParseString(deep, true);
    const IniSection copy = ini;
    const IniSection bottom = copy.getSectionEx(dots);
    EXPECT_EQ(bottom.getKey("x"), "v");
    EXPECT_EQ(bottom.getKey("y"), "t");
    EXPECT_EQ(copy.getSection("twin").getKey("x"), "v");
  }
  // Every header copying every key of one section: stopped before the tree explodes.
  // (Appended piece by piece: "literal" + string draws a false -Wrestrict from g++ 12 for Windows.)
  std::string copies = "[s]\n";
  for (int i = 0; i < 2000; ++i) copies.append("k").append(std::to_string(i)).append(" = v\n");
  for (int i = 0; i < 2000; ++i) copies.append("[c").append(std::to_string(i)).append(" : .s]\n");
  EXPECT_EQ(parseError(copies).rfind("Inherited keys exceed the size limit at line ", 0), 0U);
  std::string wide;
  for (int i = 0; i < 100000; ++i) wide.append("[s").append(std::to_string(i)).append("]\n");
  EXPECT_EQ(IniSection::ParseString(wide).sections().size(), 100000U);
}

}  // namespace
}  // namespace marvolt
