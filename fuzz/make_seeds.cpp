// Writes the replay seeds of the replay fuzz target, made by the tests'
// replay builder: small valid replays that reach every part of the reader,
// the model and the reports. Run: make_fuzz_seeds <corpus directory>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/replay_builder.hpp"

namespace {

using testsupport::CarLapsRec;
using testsupport::ReplayBuilder;
using testsupport::lapWord;

// No drivers and no lap tables: the records and an empty driver table.
ReplayBuilder minimal() {
  ReplayBuilder b;
  b.addSlot(testsupport::kRace, 10, 604800.0f);
  return b;
}

// Testing, practice and race with three cars: GEM+ data, a text hometown,
// flagged laps, a retirement and a car a lap down; then the rest of a replay.
ReplayBuilder weekend() {
  ReplayBuilder b;
  b.info.savedFirst = 0;
  b.addSlot(testsupport::kTesting, 0x7FFF, 3600.0f);
  b.addSlot(testsupport::kPractice, 0x7FFF, 1800.0f);
  b.addSlot(testsupport::kRace, 3, 604800.0f);
  b.addDriver(7, 1, "Jim", "Clark", 5).withGem(1967, 4, 2);
  b.addDriver(3, 2, "Graham", "Hill", 5).withHometown("NOT SET").textflag = 1;
  b.addDriver(12, 3, "Dan", "Gurney", 3);
  b.sessions.push_back({CarLapsRec::fromClocks(1, {1000, 91000, 180500})});
  b.sessions.push_back({CarLapsRec{1, {lapWord(2000), lapWord(92000, 0x40), lapWord(181000, 0x10), lapWord(270000)}},
                        CarLapsRec::fromClocks(2, {3000, 94000, 184000}), CarLapsRec::fromClocks(3, {4000})});
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 90100, 180200, 270300}),
                        CarLapsRec::fromClocks(2, {12, 90500, 181000, 271000}),
                        CarLapsRec::fromClocks(3, {15, 91000, 182000})});
  b.trailer = testsupport::chunk("FRMS", testsupport::Bytes(16, 0));
  return b;
}

// Values at the edges of what the model takes: 60 frames per second, the
// largest start number, unknown makes and countries, a car without entry,
// a car without crossings and a lap table without a weekend session.
ReplayBuilder edges() {
  ReplayBuilder b;
  b.versionWord = 0x3C02;
  b.weekend.carset = "odd;set=";
  b.weekend.damage = 0x21;
  b.addSlot(testsupport::kPractice, 0x7FFF, 600.0f);
  b.addSlot(testsupport::kRace, 2, 604800.0f);
  b.addDriver(32767, 1, "Max", "Number", 7).country = 28;
  b.addDriver(0, 2, "", "", -1).country = -1;
  b.sessions.push_back({CarLapsRec::fromClocks(1, {0, 0xFFFFFF}), CarLapsRec{9, {}}});
  b.sessions.push_back({CarLapsRec::fromClocks(1, {5, 100, 200}), CarLapsRec::fromClocks(2, {5, 100})});
  b.sessions.push_back({CarLapsRec::fromClocks(2, {1, 2})});
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  testsupport::writeFile(dir + "/minimal.rpy", minimal().build());
  testsupport::writeFile(dir + "/weekend.rpy", weekend().build());
  testsupport::writeFile(dir + "/edges.rpy", edges().build());
  std::printf("wrote minimal.rpy, weekend.rpy and edges.rpy to %s\n", dir.c_str());
  return 0;
}
