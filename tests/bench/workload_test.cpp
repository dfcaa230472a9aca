// The benchmark workloads: what the measurements rely on is that marvolt
// reads every variant as the same weekend, whatever follows the lap tables.
#include "workload.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include <gtest/gtest.h>

#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "support/harness.hpp"
#include "timing/timing.hpp"

namespace {

using namespace testsupport;

TEST(Workload, FullWeekendHasItsSessionsRetirementsAndLappedCars) {
  const ReplayBuilder replay = benchsupport::fullWeekend(1);
  const Loaded loaded(replay);
  const marvolt::Event& event = loaded.data->events.front();
  std::vector<marvolt::SessT> types;
  std::uint64_t crossings = 0;
  for (const marvolt::Session& s : event.sessions) {
    types.push_back(s.type);
    for (const marvolt::TimingEntry& car : s.timing->timing) crossings += car.laps.size();
  }
  using enum marvolt::SessT;
  ASSERT_EQ(types, (std::vector<marvolt::SessT>{TESTING, PRACTICE, PRACTICE, RACE}));
  EXPECT_EQ(crossings, benchsupport::crossings(replay));   // what the figures per crossing divide by

  const auto results = event.sessions[3].timing->getRaceResults();
  ASSERT_EQ(results.size(), 40u);
  EXPECT_EQ(results.front().laps, 100);
  const auto count = [&](auto pred) { return std::count_if(results.begin(), results.end(), pred); };
  EXPECT_GE(count([](const marvolt::RaceResult& r) { return r.remark == u"DNF"; }), 3);
  EXPECT_GE(count([](const marvolt::RaceResult& r) { return r.remark.empty() && r.laps < 100; }), 10);  // lapped
}

TEST(Workload, FrameDataChangesNothingMarvoltReads) {
  // Frame data of 0 bytes, of a few chunks, and 3 GiB as holes: the same
  // reports, and the outer size matches the file length in each case.
  const ReplayBuilder replay = benchsupport::fullWeekend(1);
  TempDir dir;
  const std::uint64_t small = benchsupport::writeWorkload(dir.file("none.rpy"), replay, 0, false);
  const std::uint64_t chunked =
      benchsupport::writeWorkload(dir.file("chunks.rpy"), replay, 2 * benchsupport::kFrameChunkBytes + 5, false);
  const std::uint64_t huge = benchsupport::writeWorkload(dir.file("huge.rpy"), replay, 3ull << 30, true);
  EXPECT_EQ(chunked, small + 2 * benchsupport::kFrameChunkBytes + 8 + 3 * 12);
  EXPECT_EQ(huge, small + (3ull << 30) + 192 * 12);
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("huge.rpy").c_str(), &st), 0);
  EXPECT_EQ(static_cast<std::uint64_t>(st.st_size), huge);
  EXPECT_LT(static_cast<std::uint64_t>(st.st_blocks) * 512, 64ull << 20) << "the frame data should be holes";

  // The runs happen elsewhere: the harness reads back every file left in
  // its directory, which would mean reading the holes.
  TempDir runDir;
  const RunResult base = runIn(runDir, {"--laps", dir.file("none.rpy")});
  ASSERT_EQ(base.status, 0) << base.err;
  EXPECT_TRUE(base.err.empty()) << base.err;
  EXPECT_NE(base.out.find("Race Results"), std::string::npos);
  for (const char* name : {"chunks.rpy", "huge.rpy"}) {
    const RunResult r = runIn(runDir, {"--laps", "--format=txt", dir.file(name)});
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_EQ(r.out, base.out) << name;
  }
  // The outer chunk's size field is 32 bits: a replay past it is refused.
  EXPECT_THROW(benchsupport::writeWorkload(dir.file("big.rpy"), replay, 4ull << 30, true), std::runtime_error);
}

}  // namespace
