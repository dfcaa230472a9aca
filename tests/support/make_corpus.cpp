// Makes the corpus that the Windows build is compared on with the Linux
// build: race weekends of every size with lapped cars, retirements, flagged
// laps, names outside ASCII, duplicate car ids and the other oddities a
// replay can hold, damaged replays, and carsets (one with CR LF lines, one
// ending in a Ctrl-Z byte, one that does not parse).
// Run: make_corpus <output directory>
#include <algorithm>
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
    {"Jim", "Clark"},         {"Jos\xE9", "Garc\xED" "a"},     {"J\xFCrgen", "M\xFCller"},
    {"Fran\xE7ois", "C\xE9vert"}, {"\x8A" "tefan", "Dvo\xF8\xE1k"}, {"Bj\xF6rn", "\xC5str\xF6m"},
    {"Se\xE1n", "O\x92" "Brien"}, {"Ren\xE9", "Arnoux-Ch\xE2teau"}, {"\x80" "uro", "Dollar\x81"},
    {"Yves", "\x9F" "zerman"},  {"Graham", "Hill"},                {"Pedro", "Rodr\xEDguez"},
    {"Denny", "Hulme"},         {"\xD8ystein", "L\xF8vland"},       {"Ludovico", "Scarfiotti"},
};
const char* const kTracks[] = {"monza", "spa", "n\xFC" "rburgring", "monaco", "kyalami", "rouen"};

// The lap list of `carid`: a start crossing at `start`, then `laps` laps,
// one lap in `flagOdds` (none for 0) flagged with some of the flag bits.
CarLapsRec lapList(std::mt19937& rng, std::uint32_t carid, std::uint32_t start, int laps, int pace, unsigned flagOdds) {
  static const std::uint8_t kFlags[] = {0x40, 0x10, 0x50, 0x01, 0x80, 0xFF};
  CarLapsRec rec{carid, {}};
  for (int lap = 0; lap <= laps; ++lap) {
    const bool flagged = flagOdds > 0 && rng() % flagOdds == 0;
    rec.words.push_back(testsupport::lapWord(start, flagged ? kFlags[rng() % 6] : 0));
    start += 88000 + static_cast<std::uint32_t>(pace) + rng() % 2500;
  }
  return rec;
}

// A weekend whose size, sessions, distance and oddities follow from `seed`.
ReplayBuilder weekend(std::uint32_t seed) {
  std::mt19937 rng(seed);
  const int cars = 2 + static_cast<int>(seed * 7 % 39), raceLaps = 1 + static_cast<int>(seed * 5 % 30);
  const int lapped = static_cast<int>(seed % 4) * cars / 8, retired = static_cast<int>(seed % 5) * cars / 10;
  const unsigned flagOdds = seed % 3 == 0 ? 0 : 3 + seed % 9;
  const bool duplicateIds = seed % 7 == 3;   // the last car has the first one's id
  ReplayBuilder b;
  b.info.track = b.weekend.track = kTracks[seed % 6];
  b.info.firstName = kNames[seed % kNames.size()].first;
  b.info.lastName = kNames[seed % kNames.size()].second;
  b.weekend.carset = seed % 2 == 0 ? "gpl67" : "GPL67";
  b.weekend.ainum = static_cast<std::uint16_t>(cars - 1);
  const int practices = (seed % 4 == 1 ? 1 : 0) + static_cast<int>(seed % 3);
  if (seed % 4 == 1) b.addSlot(testsupport::kTesting, 0x7FFF, 3600.0f);
  for (int p = seed % 4 == 1 ? 1 : 0; p < practices; ++p) b.addSlot(testsupport::kPractice, 0x7FFF, 1800.0f);
  b.addSlot(testsupport::kRace, static_cast<std::int16_t>(raceLaps), 604800.0f);

  std::vector<int> pace;
  const auto carId = [&](int i) { return static_cast<std::uint32_t>(duplicateIds && i == cars - 1 ? 0 : i); };
  for (int i = 0; i < cars; ++i) {
    const auto& name = kNames[(seed + static_cast<unsigned>(i)) % kNames.size()];
    auto& d = b.addDriver(static_cast<std::uint32_t>(2 * i + 1), carId(i), name.first, name.second,
                          static_cast<std::int32_t>((seed + static_cast<unsigned>(i)) % 8));
    d.country = static_cast<std::int32_t>(rng() % 30);
    if (seed % 2 == 0 && i % 2 == 0) d.withGem(1967, 4, 2);
    pace.push_back(static_cast<int>(rng() % 4000));
  }
  for (int s = 0; s < practices; ++s) {
    std::vector<CarLapsRec> laps;
    for (int i = 0; i < cars; ++i) {
      const auto start = 60000 + rng() % 90000;
      laps.push_back(lapList(rng, static_cast<std::uint32_t>(i), start, static_cast<int>(rng() % 12), pace[i], flagOdds));
    }
    b.sessions.push_back(laps);
  }
  std::vector<CarLapsRec> race;
  for (int i = 0; i < cars; ++i) {
    int laps = raceLaps;
    if (i >= cars - lapped) laps = std::max(0, laps - 1 - (cars - 1 - i) % 3);   // one to three laps down
    if (i > 0 && i <= retired) laps = static_cast<int>(rng() % static_cast<unsigned>(raceLaps));
    race.push_back(lapList(rng, carId(i), 5000 + static_cast<std::uint32_t>(i) * 350, laps, pace[i] * 2, flagOdds));
  }
  b.sessions.push_back(race);
  return b;
}

// Replays with what no generated weekend has.
std::vector<std::pair<std::string, ReplayBuilder>> oddReplays() {
  std::vector<std::pair<std::string, ReplayBuilder>> out(6, {"", weekend(40)});
  out[0].first = "ties";   // every car crosses the line at once
  for (auto& car : out[0].second.sessions.back()) car = CarLapsRec::fromClocks(car.carid, {5000, 95000, 185000});
  out[1].first = "strangers";   // a lap list of no entry; an entry without laps
  out[1].second.sessions.back().push_back(CarLapsRec::fromClocks(77, {5000, 94000}));
  out[1].second.sessions.back().erase(out[1].second.sessions.back().begin() + 1);
  out[2].first = "empty-race";
  out[2].second.sessions.back().clear();
  out[3].first = "clock-wrap";   // past the 24-bit clock: 4 h 40 min
  out[3].second.sessions.back() = {CarLapsRec::fromClocks(0, {5000, 9000000, 16700000, 16780000})};
  out[4] = {"practice-only", ReplayBuilder()};
  out[4].second.addSlot(testsupport::kPractice, 0x7FFF, 604800.0f);
  out[4].second.addDriver(1, 0, "Jim", "Clark");
  out[4].second.sessions.push_back({CarLapsRec::fromClocks(0, {1000, 90000, 179000})});
  out[5] = {"no-slots", ReplayBuilder()};   // no session in the weekend record
  out[5].second.drivers = weekend(40).drivers;
  return out;
}

// Damaged variants of a good replay: cut short, a byte changed, no replay at all.
std::vector<std::pair<std::string, Bytes>> damagedReplays(const Bytes& good) {
  std::vector<std::pair<std::string, Bytes>> out = {
      {"empty", {}}, {"text-file", testsupport::bytesOf("This is no replay.\r\n\x1A")},
      {"cut-header", Bytes(good.begin(), good.begin() + 10)},
      {"cut-middle", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
      {"cut-end", Bytes(good.begin(), good.end() - 3)}};
  // The outer label, the version word, the first inner chunk's label and size.
  const std::pair<const char*, std::size_t> changes[] = {
      {"bad-label", 0}, {"bad-version", 4}, {"bad-chunk-label", 12}, {"chunk-past-end", 21}};
  for (const auto& [name, offset] : changes) {
    out.emplace_back(name, good);
    out.back().second[offset] ^= 0xA0;
  }
  return out;
}

// A carset of the replays' carset name, with names outside ASCII; lines end with `eol`.
std::string carset(const std::string& eol, const char* carDir) {
  const char* const teams[] = {"Brabham", "Owen Racing", "Cooper", "Anglo American", "Scuderia Ferrari",
                               "Team Lotus", "Honda", "\xC9quipe Matra \x96 \xAB" "Elf\xBB"};
  std::string text = "[Carset]" + eol + "CarDir = " + carDir + eol + "Year = 1967" + eol + "Engines = 7" + eol;
  for (int make = 0; make < 8; ++make) {
    const std::string n = std::to_string(make);
    text += "[Car" + n + "]" + eol + "Team = " + teams[make] + eol + "Name = Chassis " + n + "/67" + eol;
    if (make != 3) text += "Engine = Engine \xE0 " + n + eol;
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
  for (std::uint32_t seed = 1; seed <= 30; ++seed) {
    write((seed < 10 ? "weekend-0" : "weekend-") + std::to_string(seed) + ".rpy", weekend(seed).build());
  }
  for (const auto& [name, replay] : oddReplays()) write(name + ".rpy", replay.build());
  for (const auto& [name, bytes] : damagedReplays(weekend(5).build())) write("damaged-" + name + ".rpy", bytes);
  // A replay whose name is not ASCII, and no Windows-1252 name either.
  write("Gro\xC3\x9F" "er Preis \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8F\x81.rpy", weekend(8).build());

  testsupport::writeText(dir + "/gpl67.cst", carset("\n", "gpl67"));
  testsupport::writeText(dir + "/crlf.cst", carset("\r\n", "GPL67"));
  testsupport::writeText(dir + "/ctrlz.cst", carset("\n", "gpl67") + "\x1A");
  testsupport::writeText(dir + "/broken.cst", "[Carset]\nCarDir = gpl67\nthis line has no equals sign\n");
  std::printf("wrote %d replays and 4 carsets to %s\n", count, dir.c_str());
  return 0;
}
