#include "season/site.hpp"

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "frontend/console.hpp"
#include "frontend/files.hpp"
#include "frontend/output.hpp"
#include "frontend/telvo.hpp"
#include "platform/platform.hpp"
#include "reports/repjson.hpp"
#include "season/seasonjson.hpp"
#include "season/sitepages.hpp"

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

// The names of the site's pages: the rounds by number and track, the
// drivers and teams by their slugs.
SiteNames siteNames(const std::vector<SiteRound>& rounds, const Standings& standings) {
  SiteNames names;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    std::string number = std::to_string(r + 1);
    if (number.size() < 2) number.insert(0, 1, '0');
    std::string track = slugOf(rounds[r].round.track);
    names.rounds.push_back("round-" + number + "-" + (track.empty() ? "track" : track));
  }
  const auto pages = [](const std::vector<StandingsRow>& rows, const std::string& prefix) {
    std::vector<std::u16string> rowNames;
    rowNames.reserve(rows.size());
    for (const StandingsRow& row : rows) rowNames.push_back(row.name);
    std::vector<std::string> slugs = uniqueSlugs(rowNames, prefix);
    for (std::string& slug : slugs) slug = prefix + "-" + slug + ".html";
    return slugs;
  };
  names.drivers = pages(standings.drivers, "driver");
  names.teams = pages(standings.teams, "team");
  return names;
}

// One file of the site: its name and what makes its text.
struct SiteFile {
  std::string name;
  std::function<std::string()> text;
};

// Refuses, before anything is written, a site file name that is an input,
// or that names something other than a file (a folder, a pipe, a device):
// the site would be left half written, or wait on a pipe for ever.
void checkSiteFile(const std::string& path) {
  checkNotInput(path);
  const platform::FileKind kind = platform::fileStatus(path).kind;
  if (kind != platform::FileKind::Missing && kind != platform::FileKind::Regular) {
    err(ExitStatus::Failure, "cannot write the site file %s: it is not a regular file", path);
  }
}

}  // namespace

ReportModel siteModel(const Data& data) {
  return buildReportModel(data, Sections().set(Flag::LAPTIMES, true), true);
}

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

void writeSite(const std::string& dir, std::vector<SiteRound>& rounds, const Standings& standings,
               const Scoring& scoring) {
  const SiteNames names = siteNames(rounds, standings);
  const SitePages pages(rounds, standings, scoring, names);
  // The pages a link leads to come before the pages with the link: the
  // season page, which leads to all, last.
  std::vector<SiteFile> files;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    files.push_back({names.rounds[r] + ".json", [&rounds, r] { return reportJSON(rounds[r].model); }});
    files.push_back({names.rounds[r] + ".html", [&rounds, &pages, r] {
                       // The page is the race page without the lap dump, whose
                       // laps the JSON beside it holds.
                       rounds[r].model.sections.set(Flag::LAPTIMES, false);
                       return pages.roundPage(r);
                     }});
  }
  for (std::size_t i = 0; i < names.drivers.size(); ++i) {
    files.push_back({names.drivers[i], [&pages, i] { return pages.driverPage(i); }});
  }
  for (std::size_t i = 0; i < names.teams.size(); ++i) {
    files.push_back({names.teams[i], [&pages, i] { return pages.teamPage(i); }});
  }
  files.push_back({"season.json", [&standings] { return seasonJSON(standings); }});
  files.push_back({"index.html", [&pages] { return pages.seasonPage(); }});

  for (const SiteFile& file : files) checkSiteFile(platform::joinPath(dir, file.name));
  platform::makeDirectory(dir);
  cerr.writefln("Writing site to directory %s", absolutePath(dir));
  for (const SiteFile& file : files) replaceOutputFile(platform::joinPath(dir, file.name), file.text());
}

}  // namespace marvolt
