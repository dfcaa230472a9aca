#include "support/season_input.hpp"

#include <array>
#include <filesystem>
#include <map>
#include <utility>

#include "cli/program.hpp"
#include "cli/seasoncli.hpp"
#include "platform/platform.hpp"
#include "reports/jsonlib.hpp"
#include "support/harness.hpp"
#include "support/xml_page.hpp"

namespace testsupport {

namespace {

// The input read front to back; past its end every byte reads as 0.
class ByteStream {
 public:
  explicit ByteStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t next() { return pos_ < bytes_.size() ? bytes_[pos_++] : 0; }
  std::uint32_t below(std::uint32_t n) { return next() % n; }
  // Up to `most` bytes, any values: Windows-1252 letters, controls, slashes.
  std::string text(std::uint32_t most) {
    std::string out(below(most + 1), '\0');
    for (char& c : out) c = static_cast<char>(next());
    return out;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// Drivers who meet again from round to round, two of one name that differ
// in an accent only, and a driver without a name.
constexpr std::array<std::pair<const char*, const char*>, 6> kCast = {{
    {"Jim", "Clark"}, {"Graham", "Hill"}, {"Jack", "Brabham"}, {"J\xEDm", "Clark"}, {"", ""}, {"Denny", "Hulme"}}};
constexpr std::array<const char*, 5> kTracks = {"monza", "spa", "", "   ", "n\xFCrburgring"};

// A lap list of up to 6 crossings, about a lap apart; now and then a long
// stop takes the clock past the lap word's 24 bits, or a lap is flagged.
CarLapsRec lapList(ByteStream& in, std::uint32_t carid) {
  CarLapsRec rec{carid, {}};
  std::uint32_t clock = in.next() * 40u;
  for (std::uint32_t lap = in.below(7); lap > 0; --lap) {
    const std::uint8_t odds = in.next();
    if (odds >= 0xF0) clock += 6000000;
    const std::uint8_t flags = odds % 8 == 1 ? 0x10 : odds % 8 == 2 ? 0x40 : 0;
    rec.words.push_back(lapWord(clock, flags));
    clock += 80000 + in.next() * 97u;
  }
  return rec;
}

// One round: a race (rarely none) after an optional practice, a track of
// the list or from the bytes, and its cars, some without a driver record.
Bytes roundReplay(ByteStream& in) {
  ReplayBuilder b;
  const std::uint8_t shape = in.next();
  b.info.track = b.weekend.track = (shape & 0x10) != 0 ? in.text(12) : kTracks[in.below(kTracks.size())];
  std::vector<CarLapsRec> race;
  for (std::uint32_t car = in.below(7); car > 0; --car) {
    const std::uint8_t id = in.next();
    const std::uint32_t startnum = in.next();
    const std::int32_t make = static_cast<std::int32_t>(in.below(10));
    const std::uint32_t who = in.below(8);
    // One statement per read: the bytes are read in the same order by every compiler.
    std::string first = who < kCast.size() ? kCast[who].first : in.text(6);
    std::string last = who < kCast.size() ? kCast[who].second : in.text(6);
    if ((id & 0xC0) != 0xC0) b.addDriver(startnum, id % 8, std::move(first), std::move(last), make);
    race.push_back(lapList(in, id % 8));
  }
  if ((shape & 1) != 0) {
    b.addSlot(kPractice, 0x7FFF, 1800.0f);
    b.sessions.push_back(race);
  }
  if ((shape & 0x0E) != 0x0E) {
    b.addSlot(kRace, 10, 604800.0f);
    b.sessions.push_back(race);
  }
  return b.build();
}

// The scoring options: each given or not as the first byte says.
std::vector<std::string> scoringOptions(ByteStream& in) {
  const std::uint8_t given = in.next();
  std::vector<std::string> options;
  if ((given & 1) != 0) {
    std::string points = "--points=";
    for (std::uint32_t n = 1 + in.below(6); n > 0; --n) {
      const std::uint8_t value = in.next();
      points += (value == 0xFF ? "4294967295" : std::to_string(value)) + (n > 1 ? "," : "");
    }
    options.push_back(points);
  }
  if ((given & 2) != 0) options.push_back("--fastest-lap=" + std::to_string(in.below(10)));
  if ((given & 4) != 0) options.push_back("--best=" + std::to_string(1 + in.below(4)));
  return options;
}

// One run of marvolt-season in this process, its standard streams captured.
struct Outcome {
  int status = 0;
  std::string out;
  std::string failure;   ///< the message of the error that ended the run
};

// The streams go back to the process even when a finding escapes the run.
struct Capturing {
  explicit Capturing(marvolt::platform::StreamCapture& capture) { marvolt::platform::captureStreams(&capture); }
  ~Capturing() { marvolt::platform::captureStreams(nullptr); }
  Capturing(const Capturing&) = delete;
  Capturing& operator=(const Capturing&) = delete;
};

// And the working directory goes back to where it was.
struct WorkingIn {
  explicit WorkingIn(const std::string& dir) : before(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~WorkingIn() { std::filesystem::current_path(before); }
  WorkingIn(const WorkingIn&) = delete;
  WorkingIn& operator=(const WorkingIn&) = delete;
  std::filesystem::path before;
};

// One run in the folder `dir`, where the files are.
Outcome runSeasonIn(const std::string& dir, const std::vector<std::string>& args) {
  marvolt::platform::StreamCapture capture;
  Outcome outcome;
  {
    const WorkingIn working(dir);
    const Capturing capturing(capture);
    try {
      marvolt::resetProcessState();
      outcome.status = static_cast<int>(marvolt::runSeason("marvolt-season", args));
    } catch (const marvolt::ExitError& e) {
      outcome.status = static_cast<int>(e.status());
      outcome.failure = e.message();
    } catch (const marvolt::Error& e) {
      outcome.status = static_cast<int>(marvolt::ExitStatus::Failure);
      outcome.failure = e.message();
    }
    marvolt::platform::flushStream(marvolt::platform::Stream::Out);
  }
  outcome.out = std::move(capture.out);
  return outcome;
}

bool validJson(const std::string& text) {
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
  return !doc.HasParseError();
}

// The site's pages are well-formed, its data parses, and its season.json
// is the JSON standings.
void checkSite(const std::string& site, const std::string& standings, std::vector<std::string>& problems) {
  const std::map<std::string, std::string> files = regularFiles(site);
  for (const auto& [name, text] : files) {
    const bool page = name.ends_with(".html");
    if (page ? !XmlPage(text).wellFormed() : !validJson(text)) problems.push_back("site file " + name + " is broken");
  }
  const auto season = files.find("season.json");
  if (season == files.end() || season->second != standings) problems.push_back("season.json is not the standings");
}

}  // namespace

SeasonInput seasonFromBytes(std::span<const std::uint8_t> bytes) {
  ByteStream in(bytes);
  SeasonInput season;
  const std::uint32_t rounds = 1 + in.below(4);
  season.options = scoringOptions(in);
  for (std::uint32_t r = 1; r <= rounds; ++r) {
    season.rounds.push_back("round" + std::to_string(r) + ".rpy");
    season.files.emplace_back(season.rounds.back(), roundReplay(in));
  }
  return season;
}

std::vector<std::string> runSeasonEveryWay(const std::string& dir, const SeasonInput& season) {
  for (const auto& [name, bytes] : season.files) writeFile(dir + "/" + name, bytes);
  const auto args = [&](std::vector<std::string> format) {
    std::vector<std::string> all = season.options;
    all.insert(all.end(), format.begin(), format.end());
    all.insert(all.end(), season.rounds.begin(), season.rounds.end());
    return all;
  };
  const Outcome text = runSeasonIn(dir, args({}));
  const Outcome json = runSeasonIn(dir, args({"--format=json"}));
  const Outcome html = runSeasonIn(dir, args({"--format=html"}));
  const Outcome site = runSeasonIn(dir, args({"--site", "site"}));
  std::vector<std::string> problems;
  for (const Outcome* run : {&json, &html, &site}) {
    if (run->status != text.status) problems.push_back("the runs end differently: " + run->failure);
  }
  if (text.status != 0) {
    if (text.status != 1 || text.failure.empty()) problems.push_back("no clear failure: " + text.failure);
    return problems;
  }
  if (!validJson(json.out)) problems.push_back("the JSON standings do not parse");
  if (!XmlPage(html.out).wellFormed()) problems.push_back("the standings page is not well-formed");
  if (site.status == 0) checkSite(dir + "/site", json.out, problems);
  return problems;
}

}  // namespace testsupport
