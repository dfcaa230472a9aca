// Makes the corpus that the Windows build is compared on with the Linux
// build: race weekends of every size with lapped cars, retirements, flagged
// laps, names outside ASCII, duplicate car ids and the other oddities a
// replay can hold, damaged replays, and carsets (one with CR LF lines, one
// ending in a Ctrl-Z byte, one that does not parse).
// Run: make_corpus <output directory>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/replay_builder.hpp"

namespace {

using testsupport::Bytes;
using testsupport::CarLapsRec;
using testsupport::ReplayBuilder;

// Windows-1252 names, as the game stores them: ASCII, and the letters and
// signs a league's drivers have, one byte without a character among them.
const std::vector<std::pair<const char*, const char*>> kNames = {
    {"Jim", "Clark"},         {"Jos\xE9", "Garc\xED" "a"},        {"J\xFCrgen", "M\xFCller"},
    {"Fran\xE7ois", "C\xE9vert"}, {"\x8A" "tefan", "Dvo\xF8\xE1k"}, {"Bj\xF6rn", "\xC5str\xF6m"},
    {"Se\xE1n", "O\x92" "Brien"}, {"Ren\xE9", "Arnoux-Ch\xE2teau"}, {"\x80" "uro", "Dollar\x81"},
    {"Yves", "\x9F" "zerman"},  {"Graham", "Hill"},                {"Pedro", "Rodr\xEDguez"},
    {"Denny", "Hulme"},         {"\xD8ystein", "L\xF8vland"},       {"Ludovico", "Scarfiotti"},
};

const char* const kTracks[] = {"monza", "spa", "n\xFC" "rburgring", "monaco", "kyalami", "rouen"};

// How one generated weekend is made.
struct Plan {
  int cars = 10;
  int raceLaps = 10;
  int practices = 1;
  bool testing = false;
  int lapped = 0;          // cars that take the flag laps down
  int retired = 0;         // cars that stop early
  int flagOdds = 0;        // one lap in this many carries a flag (0: none)
  bool duplicateIds = false;
  bool gem = false;
  std::uint32_t seed = 1;
};

// Crossing clocks of one car: a start crossing, then `laps` laps.
std::vector<std::uint32_t> crossings(std::mt19937& rng, std::uint32_t start, int laps, int pace) {
  std::vector<std::uint32_t> clocks = {start};
  for (int lap = 0; lap < laps; ++lap) {
    clocks.push_back(clocks.back() + 88000 + static_cast<std::uint32_t>(pace) + rng() % 2500);
  }
  return clocks;
}

// The lap list of `carid` from `clocks`, one lap in `flagOdds` flagged with any flag bits.
CarLapsRec lapList(std::mt19937& rng, std::uint32_t carid, const std::vector<std::uint32_t>& clocks, int flagOdds) {
  CarLapsRec rec;
  rec.carid = carid;
  static const std::uint8_t kFlags[] = {0x40, 0x10, 0x50, 0x01, 0x80, 0xFF};
  for (const std::uint32_t clock : clocks) {
    const bool flagged = flagOdds > 0 && rng() % static_cast<unsigned>(flagOdds) == 0;
    rec.words.push_back(testsupport::lapWord(clock, flagged ? kFlags[rng() % 6] : 0));
  }
  return rec;
}

ReplayBuilder weekend(const Plan& plan) {
  std::mt19937 rng(plan.seed);
  ReplayBuilder b;
  b.info.track = b.weekend.track = kTracks[plan.seed % 6];
  b.info.firstName = kNames[plan.seed % kNames.size()].first;
  b.info.lastName = kNames[plan.seed % kNames.size()].second;
  b.weekend.carset = plan.seed % 2 == 0 ? "gpl67" : "GPL67";
  b.weekend.ainum = static_cast<std::uint16_t>(plan.cars > 0 ? plan.cars - 1 : 0);
  if (plan.testing) b.addSlot(testsupport::kTesting, 0x7FFF, 3600.0f);
  for (int p = 0; p < plan.practices; ++p) b.addSlot(testsupport::kPractice, 0x7FFF, 1800.0f);
  b.addSlot(testsupport::kRace, static_cast<std::int16_t>(plan.raceLaps), 604800.0f);

  std::vector<int> pace;
  for (int i = 0; i < plan.cars; ++i) {
    const auto carid = static_cast<std::uint32_t>(plan.duplicateIds && i == plan.cars - 1 ? 0 : i);
    const auto& name = kNames[(plan.seed + static_cast<unsigned>(i)) % kNames.size()];
    auto& d = b.addDriver(static_cast<std::uint32_t>(2 * i + 1), carid, name.first, name.second,
                          static_cast<std::int32_t>((plan.seed + static_cast<unsigned>(i)) % 8));
    d.country = static_cast<std::int32_t>(rng() % 30);
    if (plan.gem && i % 2 == 0) d.withGem(1967, 4, 2);
    pace.push_back(static_cast<int>(rng() % 4000));
  }
  const int sessions = (plan.testing ? 1 : 0) + plan.practices;
  for (int s = 0; s < sessions; ++s) {
    std::vector<CarLapsRec> cars;
    for (int i = 0; i < plan.cars; ++i) {
      const int laps = static_cast<int>(rng() % 12);
      const auto start = 60000 + static_cast<std::uint32_t>(rng() % 90000);
      cars.push_back(lapList(rng, static_cast<std::uint32_t>(i), crossings(rng, start, laps, pace[i]), plan.flagOdds));
    }
    b.sessions.push_back(cars);
  }
  std::vector<CarLapsRec> race;
  for (int i = 0; i < plan.cars; ++i) {
    int laps = plan.raceLaps;
    if (i >= plan.cars - plan.lapped) laps -= 1 + (plan.cars - 1 - i) % 3;               // one to three laps down
    if (i > 0 && i <= plan.retired) laps = static_cast<int>(rng() % static_cast<unsigned>(plan.raceLaps));
    const auto start = 5000 + static_cast<std::uint32_t>(i) * 350;
    const auto carid = static_cast<std::uint32_t>(plan.duplicateIds && i == plan.cars - 1 ? 0 : i);
    race.push_back(lapList(rng, carid, crossings(rng, start, laps < 0 ? 0 : laps, pace[i] * 2), plan.flagOdds));
  }
  b.sessions.push_back(race);
  return b;
}

// The generated weekends: sizes, distances and oddities varied with the seed.
std::vector<Plan> plans() {
  std::vector<Plan> out;
  for (std::uint32_t seed = 1; seed <= 30; ++seed) {
    Plan p;
    p.seed = seed;
    p.cars = 2 + static_cast<int>(seed * 7 % 39);
    p.raceLaps = 1 + static_cast<int>(seed * 5 % 30);
    p.practices = static_cast<int>(seed % 3);
    p.testing = seed % 4 == 1;
    p.lapped = static_cast<int>(seed % 4) * p.cars / 8;
    p.retired = static_cast<int>(seed % 5) * p.cars / 10;
    p.flagOdds = seed % 3 == 0 ? 0 : static_cast<int>(3 + seed % 9);
    p.duplicateIds = seed % 7 == 3;
    p.gem = seed % 2 == 0;
    out.push_back(p);
  }
  return out;
}

// Replays with what no generated weekend has.
std::vector<std::pair<std::string, ReplayBuilder>> oddReplays() {
  std::vector<std::pair<std::string, ReplayBuilder>> out;
  Plan base;
  base.seed = 40;

  ReplayBuilder ties = weekend(base);   // every car crosses the line at once
  for (auto& car : ties.sessions.back()) car = CarLapsRec::fromClocks(car.carid, {5000, 95000, 185000});
  out.emplace_back("ties", ties);

  ReplayBuilder strangers = weekend(base);   // a lap list of no entry; an entry without laps
  strangers.sessions.back().push_back(CarLapsRec::fromClocks(77, {5000, 94000}));
  strangers.sessions.back().erase(strangers.sessions.back().begin() + 1);
  out.emplace_back("strangers", strangers);

  ReplayBuilder noRace;   // practice only
  noRace.addSlot(testsupport::kPractice, 0x7FFF, 604800.0f);
  noRace.addDriver(1, 0, "Jim", "Clark");
  noRace.sessions.push_back({CarLapsRec::fromClocks(0, {1000, 90000, 179000})});
  out.emplace_back("practice-only", noRace);

  ReplayBuilder emptyRace = weekend(base);   // the race has no car
  emptyRace.sessions.back().clear();
  out.emplace_back("empty-race", emptyRace);

  ReplayBuilder longRace = weekend(base);   // past the 24-bit clock: 4 h 40 min
  longRace.sessions.back() = {CarLapsRec::fromClocks(0, {5000, 9000000, 16700000, 16780000})};
  out.emplace_back("clock-wrap", longRace);

  ReplayBuilder noEvent;   // no weekend record at all
  noEvent.drivers = weekend(base).drivers;
  out.emplace_back("no-slots", noEvent);
  return out;
}

// Damaged variants of a good replay: cut short, a wrong label, a size past the end.
std::vector<std::pair<std::string, Bytes>> damagedReplays(const Bytes& good) {
  std::vector<std::pair<std::string, Bytes>> out;
  out.emplace_back("empty", Bytes{});
  out.emplace_back("cut-header", Bytes(good.begin(), good.begin() + 10));
  out.emplace_back("cut-middle", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)));
  out.emplace_back("cut-end", Bytes(good.begin(), good.end() - 3));
  Bytes label = good;
  label[0] = 'X';
  out.emplace_back("bad-label", label);
  Bytes inner = good;
  inner[12] ^= 0x20;   // the first inner chunk's label
  out.emplace_back("bad-chunk-label", inner);
  Bytes size = good;
  size[20] = 0xFF;   // the first inner chunk's size
  size[21] = 0xFF;
  out.emplace_back("chunk-past-end", size);
  Bytes version = good;
  version[4] = 0x99;
  out.emplace_back("bad-version", version);
  out.emplace_back("text-file", testsupport::bytesOf("This is no replay.\r\n\x1A"));
  return out;
}

// A carset of the replays' carset name, with names outside ASCII; lines end with `eol`.
std::string carset(const std::string& eol, const char* carDir) {
  std::string text;
  const auto line = [&](const std::string& l) { text += l + eol; };
  line("[Carset]");
  line(std::string("CarDir = ") + carDir);
  line("Year = 1967");
  line("Engines = 7");
  const char* const teams[] = {"Brabham", "Owen Racing", "Cooper", "Anglo American", "Scuderia Ferrari",
                               "Team Lotus", "Honda", "\xC9quipe Matra \x96 \xAB" "Elf\xBB"};
  for (int make = 0; make < 8; ++make) {
    line("[Car" + std::to_string(make) + "]");
    line(std::string("Team = ") + teams[make]);
    line("Name = Chassis " + std::to_string(make) + "/67");
    if (make != 3) line("Engine = Engine \xE0 " + std::to_string(make));
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  int count = 0;
  const auto write = [&](const std::string& name, const Bytes& bytes) {
    testsupport::writeFile(dir + "/" + name, bytes);
    ++count;
  };
  const std::vector<Plan> all = plans();
  for (std::size_t i = 0; i < all.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "weekend-%02zu.rpy", i + 1);
    write(name, weekend(all[i]).build());
  }
  for (const auto& [name, replay] : oddReplays()) write(name + ".rpy", replay.build());
  for (const auto& [name, bytes] : damagedReplays(weekend(all[4]).build())) write("damaged-" + name + ".rpy", bytes);
  // A replay whose name is not ASCII, and no Windows-1252 name either.
  write("Gro\xC3\x9F" "er Preis \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8F\x81.rpy", weekend(all[7]).build());

  testsupport::writeText(dir + "/gpl67.cst", carset("\n", "gpl67"));
  testsupport::writeText(dir + "/crlf.cst", carset("\r\n", "GPL67"));
  testsupport::writeText(dir + "/ctrlz.cst", carset("\n", "gpl67") + "\x1A");
  testsupport::writeText(dir + "/broken.cst", "[Carset]\nCarDir = gpl67\nthis line has no equals sign\n");
  std::printf("wrote %d replays and 4 carsets to %s\n", count, dir.c_str());
  return 0;
}
