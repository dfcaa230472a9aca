#include "season/slug.hpp"

#include <algorithm>
#include <set>
#include <utility>

#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

constexpr std::size_t kLongestSlug = 48;

// The letters of U+00C0 to U+00FF and of U+0100 to U+017F (Latin-1 and
// Latin Extended-A) without their accents; "-" for the two signs among them;
// a capital stands for two letters (expanded by twoLetters).
constexpr std::string_view kLatin1 = "aaaaaaAceeeeiiiidnooooo-ouuuuyTSaaaaaaAceeeeiiiidnooooo-ouuuuyTy";
constexpr std::string_view kLatinExtendedA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiIIjjkkkllllllllllnnnnnnnnnooooooOOrrrrrrssssssssttttttuuuuuu"
    "uuuuuuwwyyyzzzzzzs";
static_assert(kLatin1.size() == 0x40 && kLatinExtendedA.size() == 0x80);

std::string_view twoLetters(char code) {
  switch (code) {
    case 'A': return "ae";
    case 'T': return "th";
    case 'S': return "ss";
    case 'I': return "ij";
    default: return "oe";
  }
}

// The ASCII letters of a UTF-16 unit: itself in lower case for an ASCII
// letter or digit, its letters for a Latin letter, "-" for anything else.
std::string_view asciiLetters(char16_t c, char& buffer) {
  if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z')) {
    buffer = static_cast<char>(c);
    return {&buffer, 1};
  }
  if (c >= u'A' && c <= u'Z') {
    buffer = static_cast<char>(c - u'A' + 'a');
    return {&buffer, 1};
  }
  char code = '-';
  if (c >= 0xC0 && c < 0x100) code = kLatin1[c - 0xC0];
  if (c >= 0x100 && c < 0x180) code = kLatinExtendedA[c - 0x100];
  if (code >= 'A' && code <= 'Z') return twoLetters(code);
  buffer = code;
  return {&buffer, 1};
}

// Whether a UTF-16 unit is a space between the words of a name.
bool isNameSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u00A0'; }

}  // namespace

std::string slugOf(std::u16string_view name) {
  std::string slug;
  bool gap = false;
  char buffer = 0;
  for (const char16_t c : name) {
    if (c == u'\'' || c == u'\u2019') continue;   // "O'Brien" is one word
    const std::string_view letters = asciiLetters(c, buffer);
    if (letters == "-") {
      gap = true;
      continue;
    }
    if (gap && !slug.empty()) slug += '-';
    gap = false;
    slug += letters;
    if (slug.size() >= kLongestSlug) break;
  }
  slug.resize(std::min(slug.size(), kLongestSlug));
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug;
}

std::vector<std::string> uniqueSlugs(const std::vector<std::u16string>& names, std::string_view fallback) {
  std::set<std::string> taken;
  std::vector<std::string> slugs;
  slugs.reserve(names.size());
  for (const std::u16string& name : names) {
    std::string base = slugOf(name);
    if (base.empty()) base = fallback;
    std::string slug = base;
    for (std::size_t n = 2; !taken.insert(slug).second; ++n) slug = base + "-" + std::to_string(n);
    slugs.push_back(std::move(slug));
  }
  return slugs;
}

std::u16string foldedName(std::u16string_view name) {
  std::u16string folded;
  folded.reserve(name.size());
  char buffer = 0;
  for (const char16_t c : toLowerWide(name)) {
    if (isNameSpace(c)) continue;
    const std::string_view letters = asciiLetters(c, buffer);
    if (letters == "-") {
      folded += c;   // neither an ASCII nor a Latin letter: kept as it is
    } else {
      folded.append(letters.begin(), letters.end());
    }
  }
  return folded;
}

}  // namespace marvolt
