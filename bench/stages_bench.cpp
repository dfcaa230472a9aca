// Micro-benchmarks of the stages of one run, on the full weekend at 1x, 10x
// and 100x its crossings: reading the replay, loading the model, building
// the timing and classifications, the text, key=value and JSON reports with
// and without the lap dump, the HTML page with its charts, and the whole
// pipeline from file to report text.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>

#include "frontend/globals.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "reports/report.hpp"
#include "timing/timing.hpp"
#include "workload.hpp"

namespace {

using marvolt::Flag;

struct Workload {
  std::string path;
  std::uint64_t crossings = 0;
};

// The workloads, written once per scale into a scratch directory that is
// removed when the program ends. Frame data is never read, so 1 MiB will do.
class Workloads {
 public:
  Workloads() {
    char dir[] = "/tmp/marvolt-bench-XXXXXX";
    if (::mkdtemp(dir) == nullptr) throw std::runtime_error("cannot create a scratch directory");
    dir_ = dir;
  }
  ~Workloads() {
    for (const auto& [scale, w] : made_) ::unlink(w.path.c_str());
    ::rmdir(dir_.c_str());
  }
  const Workload& get(int scale) {
    auto it = made_.find(scale);
    if (it == made_.end()) {
      const auto replay = benchsupport::fullWeekend(scale);
      Workload w{dir_ + "/w1x" + std::to_string(scale) + ".rpy", benchsupport::crossings(replay)};
      benchsupport::writeWorkload(w.path, replay, 1u << 20, false);
      it = made_.emplace(scale, w).first;
    }
    return it->second;
  }

 private:
  std::string dir_;
  std::map<int, Workload> made_;
};

Workloads& workloads() {
  static Workloads all;
  return all;
}

// An opened replay with its loaded model, kept for the stages that start
// from a model.
struct Loaded {
  explicit Loaded(const std::string& path) : file(path) {
    file.open();
    data = marvolt::Data::create(file.game());
    data->load(file);
  }
  marvolt::RpyFile file;
  std::unique_ptr<marvolt::Data> data;
};

Loaded& loaded(int scale) {
  static std::map<int, std::unique_ptr<Loaded>> cache;
  auto& slot = cache[scale];
  if (!slot) slot = std::make_unique<Loaded>(workloads().get(scale).path);
  return *slot;
}

marvolt::Sections withLaps(bool laps) { return marvolt::Sections().set(Flag::LAPTIMES, laps); }

// Reports the time per crossing next to the time per iteration.
void countCrossings(benchmark::State& state, std::uint64_t crossings) {
  state.counters["crossings"] = static_cast<double>(crossings);
  state.counters["per_crossing"] = benchmark::Counter(
      static_cast<double>(crossings), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadReplay(benchmark::State& state) {
  const Workload& w = workloads().get(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    marvolt::RpyFile file(w.path);
    file.open();
    marvolt::RpyGPL reader(file);
    benchmark::DoNotOptimize(reader.sessions.data());
  }
  countCrossings(state, w.crossings);
}

void BM_LoadModel(benchmark::State& state) {
  const Workload& w = workloads().get(static_cast<int>(state.range(0)));
  marvolt::RpyFile file(w.path);
  file.open();
  const auto run = [&file] {
    std::unique_ptr<marvolt::Data> data = marvolt::Data::create(file.game());
    data->load(file);
    benchmark::DoNotOptimize(data.get());
  };
  run();   // untimed: brings the heap to its size
  for (auto _ : state) run();
  countCrossings(state, w.crossings);
}

void BM_TimingAndClassification(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const Loaded& model = loaded(scale);
  const auto& gpl = static_cast<const marvolt::DataGPL&>(*model.data);
  const marvolt::Event& event = model.data->events.front();
  const auto& lapTables = gpl.rpy().sessions;
  const auto run = [&event, &lapTables] {
    for (std::size_t i = 0; i < event.sessions.size(); ++i) {
      const marvolt::Session& session = event.sessions[i];
      const marvolt::TimingGPL timing(session, lapTables[i], event.entries);
      benchmark::DoNotOptimize(timing.getBestLapResults().size());
      if (session.type == marvolt::SessT::RACE) benchmark::DoNotOptimize(timing.getRaceResults().size());
    }
  };
  run();   // untimed: brings the heap to its size
  for (auto _ : state) run();
  countCrossings(state, workloads().get(scale).crossings);
}

// A report of a loaded replay: its model built and rendered.
template <marvolt::Report::Format format>
void BM_Report(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const Loaded& model = loaded(scale);
  const marvolt::Report report(*model.data, format, withLaps(state.range(1) != 0));
  std::size_t bytes = report.toString().size();   // untimed: brings the heap to its size
  for (auto _ : state) {
    const std::string text = report.toString();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  countCrossings(state, workloads().get(scale).crossings);
}

// The whole run in one process, from the replay path to the report text.
void BM_Pipeline(benchmark::State& state) {
  const Workload& w = workloads().get(static_cast<int>(state.range(0)));
  const auto format = state.range(1) != 0 ? marvolt::Report::Format::SEMIKV : marvolt::Report::Format::TXT;
  const auto run = [&w, format] {
    marvolt::RpyFile file(w.path);
    file.open();
    std::unique_ptr<marvolt::Data> data = marvolt::Data::create(file.game());
    data->load(file);
    const std::string text = marvolt::Report(*data, format, withLaps(true)).toString();
    benchmark::DoNotOptimize(text.data());
    return text.size();
  };
  std::size_t bytes = run();   // an untimed first run brings the heap to its size
  for (auto _ : state) bytes = run();
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  countCrossings(state, w.crossings);
}

void scales(benchmark::internal::Benchmark* b) {
  b->ArgName("scale")->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
}

void scalesAndSwitch(benchmark::internal::Benchmark* b, const char* name) {
  b->ArgNames({"scale", name})->Unit(benchmark::kMicrosecond);
  for (const int scale : {1, 10, 100}) {
    for (const int on : {0, 1}) b->Args({scale, on});
  }
}

BENCHMARK(BM_ReadReplay)->Apply(scales);
BENCHMARK(BM_LoadModel)->Apply(scales);
BENCHMARK(BM_TimingAndClassification)->Apply(scales);
BENCHMARK(BM_Report<marvolt::Report::Format::TXT>)->Name("BM_TextReport")->Apply([](auto* b) { scalesAndSwitch(b, "laps"); });
BENCHMARK(BM_Report<marvolt::Report::Format::SEMIKV>)->Name("BM_KVReport")->Apply([](auto* b) { scalesAndSwitch(b, "laps"); });
BENCHMARK(BM_Report<marvolt::Report::Format::JSON>)->Name("BM_JSONReport")->Apply([](auto* b) { scalesAndSwitch(b, "laps"); });
BENCHMARK(BM_Report<marvolt::Report::Format::HTML>)->Name("BM_HTMLReport")->Apply([](auto* b) { scalesAndSwitch(b, "laps"); });
BENCHMARK(BM_Pipeline)->Apply([](auto* b) { scalesAndSwitch(b, "kv"); });

}  // namespace

int main(int argc, char** argv) {
  // Keep freed memory in the heap: without this, the large workloads hand
  // their memory back to the system after every iteration and pay the
  // first touch of every page again, while the small ones reuse theirs.
  // The in-process figures are the steady-state work at every scale; the
  // first-touch cost is part of the whole-process comparison.
  ::mallopt(M_MMAP_THRESHOLD, 1 << 30);
  ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
