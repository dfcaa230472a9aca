// The whole season computation of marvolt-season in one process: a season
// of 20 rounds, each a full weekend of 40 cars, read from its replay file,
// scored into the drivers' and teams' tables, and written as text.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "model/data.hpp"
#include "cli/seasoncli.hpp"
#include "season/seasontxt.hpp"
#include "season/standings.hpp"
#include "workload.hpp"

namespace {

constexpr int kRounds = 20;

// The round files, written once into a scratch directory removed at exit.
class Season {
 public:
  Season() {
    char dir[] = "/tmp/marvolt-season-bench-XXXXXX";
    if (::mkdtemp(dir) == nullptr) throw std::runtime_error("cannot create a scratch directory");
    dir_ = dir;
    const auto replay = benchsupport::fullWeekend(1);
    crossings_ = benchsupport::crossings(replay) * kRounds;
    for (int r = 1; r <= kRounds; ++r) {
      paths_.push_back(dir_ + "/round" + std::to_string(r) + ".rpy");
      benchsupport::writeWorkload(paths_.back(), replay, 1u << 20, false);
    }
  }
  ~Season() {
    for (const std::string& path : paths_) ::unlink(path.c_str());
    ::rmdir(dir_.c_str());
  }
  const std::vector<std::string>& paths() const { return paths_; }
  std::uint64_t crossings() const { return crossings_; }

 private:
  std::string dir_;
  std::vector<std::string> paths_;
  std::uint64_t crossings_ = 0;
};

void BM_Season(benchmark::State& state) {
  static const Season season;
  const auto run = [] {
    std::vector<marvolt::Round> rounds;
    for (const std::string& path : season.paths()) rounds.push_back(marvolt::readRound(path, marvolt::LoadOptions{}));
    const marvolt::Standings standings = marvolt::computeStandings(rounds, marvolt::Scoring{});
    const std::string text =
        marvolt::renderToString([&](marvolt::OutputSink& sink) { marvolt::seasonTXT(sink, standings); });
    benchmark::DoNotOptimize(text.data());
  };
  run();   // untimed: brings the heap to its size
  for (auto _ : state) run();
  state.counters["rounds"] = kRounds;
  state.counters["crossings"] = static_cast<double>(season.crossings());
}

BENCHMARK(BM_Season)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
