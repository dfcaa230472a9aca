// Makes the sample replay and carset of examples/: a 1967-style weekend at
// Monza with testing, two practices and a race with retirements, lapped
// cars and flagged laps. Run: make_sample <output directory>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/replay_builder.hpp"

namespace {

using testsupport::CarLapsRec;
using testsupport::DriverRec;
using testsupport::ReplayBuilder;

struct Car {
  std::uint32_t startnum;
  const char* first;
  const char* last;
  std::int32_t country;
  std::int32_t make;
  int pace;          // milliseconds per lap slower than the fastest car
  bool gem;          // carries GEM+ data
};

// Names are Windows-1252 bytes, as the game stores them.
const std::vector<Car> kField = {
    {2, "Chris", "Amon", 20, 4, 900, true},           {4, "Jonathan", "Williams", 12, 4, 2600, false},
    {6, "Ludovico", "Scarfiotti", 14, 3, 2100, false}, {8, "Dan", "Gurney", 26, 3, 700, true},
    {14, "John", "Surtees", 12, 6, 800, true},         {16, "Jack", "Brabham", 1, 0, 500, true},
    {18, "Denny", "Hulme", 20, 0, 600, true},          {20, "Jim", "Clark", 12, 5, 0, true},
    {22, "Graham", "Hill", 12, 5, 400, true},          {24, "Giancarlo", "Baghetti", 14, 5, 2400, false},
    {30, "Jochen", "Rindt", 2, 2, 1300, false},        {32, "Pedro", "Rodr\xEDguez", 16, 2, 1600, false},
    {34, "Jackie", "Stewart", 12, 1, 1000, true},      {36, "Mike", "Spence", 12, 1, 1900, false},
    {38, "Jo", "Siffert", 25, 2, 2000, false},         {40, "Jean-Pierre", "Beltoise", 10, 3, 3000, false},
    {42, "Jo", "Bonnier", 24, 2, 2900, false},         {44, "Guy", "Ligier", 10, 0, 3400, false},
};

// A small deterministic generator for the lap-to-lap variation.
struct Noise {
  std::uint32_t state;
  int next(int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  }
};

constexpr std::uint32_t kBaseLap = 88500;

CarLapsRec practiceLaps(const Car& car, std::uint32_t carid, int laps, std::uint32_t start, Noise& noise) {
  CarLapsRec rec;
  rec.carid = carid;
  std::uint32_t clock = start + static_cast<std::uint32_t>(noise.next(30000));
  rec.words.push_back(testsupport::lapWord(clock));
  for (int lap = 1; lap < laps; ++lap) {
    clock += kBaseLap + static_cast<std::uint32_t>(car.pace + noise.next(2500));
    std::uint8_t flags = 0;
    if (noise.next(23) == 0) flags = 0x40;          // a trip through the grass
    if (noise.next(41) == 0) flags = 0x10;          // a cut chicane
    rec.words.push_back(testsupport::lapWord(clock, flags));
  }
  return rec;
}

CarLapsRec raceLaps(const Car& car, std::uint32_t carid, int grid, int raceLaps, int stopAfter, Noise& noise) {
  CarLapsRec rec;
  rec.carid = carid;
  std::uint32_t clock = 5000 + static_cast<std::uint32_t>(grid) * 350;
  rec.words.push_back(testsupport::lapWord(clock));
  const int laps = stopAfter > 0 ? stopAfter : raceLaps;
  for (int lap = 1; lap <= laps; ++lap) {
    clock += kBaseLap + 1200 + static_cast<std::uint32_t>(car.pace * 2 + noise.next(1800));
    rec.words.push_back(testsupport::lapWord(clock, noise.next(37) == 0 ? 0x40 : 0));
  }
  return rec;
}

std::string carset() {
  return "; GEM+ carset for the 1967 season\n"
         "[Carset]\n"
         "Name = \"1967 Formula One\"\n"
         "CarDir = gpl67\n"
         "Year = 1967\n"
         "Engines = 7\n"
         "\n"
         "[Car0]\nTeam = Brabham Racing Organisation\nName = Brabham BT24\nEngine = Repco 740 V8\n\n"
         "[Car1]\nTeam = Owen Racing Organisation\nName = BRM P115\nEngine = BRM P75 H16\n\n"
         "[Car2]\nTeam = Cooper Car Company\nName = Cooper T81B\nEngine = Maserati Tipo 10 V12\n\n"
         "[Car3]\nTeam = Anglo American Racers\nName = Eagle T1G\nEngine = Gurney-Weslake 58 V12\n\n"
         "[Car4]\nTeam = Scuderia Ferrari S.p.A. SEFAC\nName = Ferrari 312/67\nEngine = Ferrari 242 V12\n\n"
         "[Car5]\nTeam = Team Lotus\nName = Lotus 49\nEngine = Ford Cosworth DFV V8\n\n"
         "[Car6]\nTeam = Honda Racing\nName = Honda RA300\nEngine = Honda RA273E V12\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  ReplayBuilder b;
  b.info.track = "monza";
  b.info.firstName = "Ren\xE9";       // Windows-1252 e acute
  b.info.lastName = "M\xFCller";      // u umlaut
  b.info.saverid = 7;
  b.info.savedFirst = 0;
  b.info.savedLast = 3;
  b.info.frames = 36 * 60 * 95;
  b.weekend.track = "monza";
  b.weekend.carset = "GPL67";
  b.weekend.ainum = static_cast<std::uint16_t>(kField.size() - 1);
  b.addSlot(testsupport::kTesting, 0x7FFF, 3600.0f);
  b.addSlot(testsupport::kPractice, 0x7FFF, 1800.0f);
  b.addSlot(testsupport::kPractice, 0x7FFF, 1800.0f);
  b.addSlot(testsupport::kRace, 20, 604800.0f);

  for (std::size_t i = 0; i < kField.size(); ++i) {
    const Car& car = kField[i];
    DriverRec& d = b.addDriver(car.startnum, static_cast<std::uint32_t>(i), car.first, car.last, car.make);
    d.country = car.country;
    d.color = {static_cast<std::uint8_t>(0x20 * car.make), 0x40, 0x80};
    if (car.gem) {
      d.withGem(1967, 4, 2);
    } else {
      d.withHometown("NOT SET");
      d.textflag = 1;
    }
  }

  Noise noise{1967};
  std::vector<CarLapsRec> testing;
  for (std::size_t i = 0; i < 5; ++i) testing.push_back(practiceLaps(kField[i * 3], static_cast<std::uint32_t>(i * 3), 6, 0, noise));
  b.sessions.push_back(testing);
  for (int practice = 0; practice < 2; ++practice) {
    std::vector<CarLapsRec> cars;
    for (std::size_t i = 0; i < kField.size(); ++i) {
      const int laps = practice == 0 && i == 15 ? 1 : 8 + noise.next(6);   // #40 never set a time in practice 1
      cars.push_back(practiceLaps(kField[i], static_cast<std::uint32_t>(i), laps, 60000, noise));
    }
    b.sessions.push_back(cars);
  }
  std::vector<CarLapsRec> race;
  const int retirements[] = {0, 0, 11, 0, 0, 0, 17, 0, 0, 3, 0, 0, 0, 14, 0, 0, 6, 0};
  for (std::size_t i = 0; i < kField.size(); ++i) {
    race.push_back(raceLaps(kField[i], static_cast<std::uint32_t>(i), static_cast<int>(i), 20, retirements[i], noise));
  }
  // The slowest car is lapped: it takes the flag a lap down.
  race.back().words.pop_back();
  b.sessions.push_back(race);
  b.trailer = testsupport::chunk("FRMS", testsupport::Bytes(4096, 0));

  testsupport::writeFile(dir + "/sample.rpy", b.build());
  std::string text;
  for (const char c : carset()) text += c;
  testsupport::writeText(dir + "/sample.cst", text);
  std::printf("wrote %s/sample.rpy and %s/sample.cst\n", dir.c_str(), dir.c_str());
  return 0;
}
