// Makes the sample season of examples/season/: four race replays of a
// 1967-style championship, with retirements, drivers who miss rounds and a
// guest driver. Run: make_season <output directory>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/replay_builder.hpp"

namespace {

struct Car {
  const char* first;
  const char* last;
  std::int32_t make;
  int pace;   // milliseconds per lap slower than the fastest car
};

// Names are Windows-1252 bytes, as the game stores them.
const std::vector<Car> kField = {
    {"Jim", "Clark", 5, 0},       {"Graham", "Hill", 5, 350},   {"Jack", "Brabham", 0, 300},
    {"Denny", "Hulme", 0, 250},   {"Dan", "Gurney", 3, 450},    {"John", "Surtees", 6, 600},
    {"Chris", "Amon", 4, 650},    {"Jackie", "Stewart", 1, 800}, {"Pedro", "Rodr\xEDguez", 2, 900},
    {"Jochen", "Rindt", 2, 700},  {"Jacky", "Ickx", 2, 850},
};

struct RoundPlan {
  const char* track;
  int laps;
  std::vector<int> stops;   // per car: crossings before it retires; 0 runs the distance, -1 does not start
  std::uint32_t seed;
};

const std::vector<RoundPlan> kRounds = {
    {"kyalami", 20, {0, 9, 0, 0, 0, 0, 0, 0, 0, 0, -1}, 1},
    {"monaco", 20, {14, 0, 0, 0, 3, 0, 0, 0, 0, 0, -1}, 2},
    {"zandvoort", 20, {0, 0, 0, 0, 0, 0, 0, 0, -1, 11, -1}, 3},
    {"spa", 20, {0, 0, 0, 17, 0, 0, 0, 0, 0, 0, 0}, 4},
};

// A small deterministic generator for the lap-to-lap variation.
struct Noise {
  std::uint32_t state;
  int next(int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  }
};

testsupport::Bytes roundReplay(const RoundPlan& plan) {
  testsupport::ReplayBuilder b;
  b.info.track = b.weekend.track = plan.track;
  b.weekend.carset = "GPL67";
  b.addSlot(testsupport::kRace, static_cast<std::int16_t>(plan.laps), 604800.0f);
  Noise noise{plan.seed};
  std::vector<testsupport::CarLapsRec> race;
  for (std::uint32_t i = 0; i < kField.size(); ++i) {
    if (plan.stops[i] < 0) continue;
    const Car& car = kField[i];
    b.addDriver(2 * i + 2, i, car.first, car.last, car.make);
    testsupport::CarLapsRec laps{i, {}};
    std::uint32_t clock = 5000 + i * 350;
    laps.words.push_back(testsupport::lapWord(clock));
    const int crossings = plan.stops[i] > 0 ? plan.stops[i] : plan.laps;
    for (int lap = 1; lap <= crossings; ++lap) {
      clock += 88500 + static_cast<std::uint32_t>(car.pace + noise.next(1500));
      laps.words.push_back(testsupport::lapWord(clock));
    }
    race.push_back(laps);
  }
  b.sessions.push_back(race);
  return b.build();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  for (std::size_t r = 0; r < kRounds.size(); ++r) {
    const std::string path = dir + "/round" + std::to_string(r + 1) + ".rpy";
    testsupport::writeFile(path, roundReplay(kRounds[r]));
    std::printf("wrote %s\n", path.c_str());
  }
  return 0;
}
