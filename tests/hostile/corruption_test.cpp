// Damaged replays, exhaustively: every prefix of the sample and of builder
// replays, every single-byte change of a small replay, and sizes crafted to
// wrap offsets or claim more than their parent. Each must end with a report
// or one of the replay errors, never a crash or a stray failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "frontend/telvo.hpp"
#include "pipeline.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using hostile::Outcome, hostile::Reports, hostile::runBytes;
using namespace testsupport;

// A small but complete weekend: a GEM+ record, a practice with flagged laps
// and a race with a car a lap down.
ReplayBuilder smallReplay() {
  ReplayBuilder b;
  b.addSlot(kPractice, 0x7FFF, 1800.0f);
  b.addSlot(kRace, 2, 604800.0f);
  b.addDriver(3, 1, "Ann", "Aa", 0).withGem(1967, 4, 2);
  b.addDriver(7, 2, "Bob", "Bb", 4);
  b.sessions.push_back({CarLapsRec{1, {lapWord(1000), lapWord(91000, 0x40), lapWord(180000)}},
                        CarLapsRec::fromClocks(2, {2000, 93000})});
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 90010, 180020}), CarLapsRec::fromClocks(2, {20, 91000})});
  return b;
}

// The replays whose prefixes are tried: an empty one, the small one, the small one with frame data, the sample.
std::vector<Bytes> replays() {
  ReplayBuilder trailing = smallReplay();
  trailing.trailer = chunk("FRMS", Bytes(40, 7));
  return {ReplayBuilder().build(), smallReplay().build(), trailing.build(),
          bytesOf(readFile(std::string(MARVOLT_SOURCE_DIR) + "/examples/sample.rpy"))};
}

void setLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A chunk of a well-formed replay: where its header lies, what it is, and the end of its padded data.
struct ChunkAt {
  std::size_t offset;
  std::string label;
  std::size_t end;
};

// Every chunk of a well-formed replay, parents before children.
std::vector<ChunkAt> chunksOf(const Bytes& file, std::size_t at = 0) {
  const std::size_t size = file[at + 8] | file[at + 9] << 8 | file[at + 10] << 16 | std::size_t{file[at + 11]} << 24;
  const std::string label(reinterpret_cast<const char*>(file.data() + at), 4);
  std::vector<ChunkAt> out = {{at, label, at + 12 + (size + 3) / 4 * 4}};
  if (label != "YLPR" && label != "SLRD" && label != "BTPL") return out;
  for (std::size_t child = at + 12; child < out.front().end;) {
    const std::vector<ChunkAt> inner = chunksOf(file, child);
    child = inner.front().end;
    out.insert(out.end(), inner.begin(), inner.end());
  }
  return out;
}

class Corruption : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string path = dir.file("damaged.rpy");
};

// The first `n` bytes of a replay; with a size, the outer size field is set to it.
Bytes prefix(const Bytes& whole, std::size_t n, std::optional<std::uint32_t> outerSize = std::nullopt) {
  Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
  if (outerSize) setLe32(cut, 8, *outerSize);
  return cut;
}

TEST_F(Corruption, EveryPrefixFailsTheContainerChecks) {
  for (const Bytes& whole : replays()) {
    for (std::size_t n = whole.size(); n-- > 0;) {
      const Outcome o = runBytes(path, prefix(whole, n), Reports::TextOnly);
      ASSERT_FALSE(o.reported) << n;
      if (n < 8) {
        EXPECT_EQ(o.error, "Unknown file format reading file " + path) << n;
      } else if (n < 12) {
        EXPECT_EQ(o.error, "Error reading file " + path + ": chunk header at offset 0 reaches past the end of the file");
      } else {
        EXPECT_EQ(o.error, "Bad file length (" + std::to_string(whole.size()) + " != " + std::to_string(n) +
                               ") reading file " + path);
      }
    }
  }
}

// A prefix whose outer size is made to fit: the container accepts it and
// the reader meets the cut. Cut at a chunk boundary after the driver table,
// it is a shorter replay; cut anywhere before, or inside a lap table, it is
// damaged.
TEST_F(Corruption, EveryPrefixWithARepairedLengthReportsOrFailsClearly) {
  const std::vector<Bytes> all = replays();
  for (std::size_t r = 0; r < all.size(); ++r) {
    const Bytes& whole = all[r];
    std::set<std::size_t> lapTableEnds;
    std::size_t driverTableEnd = 0;
    for (const ChunkAt& c : chunksOf(whole)) {
      if (c.label == "SLRD") driverTableEnd = c.end;
      if (c.label == "BTPL") lapTableEnds.insert(c.end);
    }
    // The reader stops at the label after the last lap table: longer cuts
    // read the same bytes. The sample is large: its prefixes get the text
    // report only.
    const std::size_t lastRead = (lapTableEnds.empty() ? driverTableEnd : *lapTableEnds.rbegin()) + 12;
    const Reports reports = r + 1 == all.size() ? Reports::TextOnly : Reports::EveryWay;
    for (std::size_t n = std::min(whole.size() - 4, lastRead); n >= 12; n -= 4) {
      const Outcome o = runBytes(path, prefix(whole, n, static_cast<std::uint32_t>(n - 12)), reports);
      hostile::expectClearAnswer(o, path, "prefix " + std::to_string(n) + " of replay " + std::to_string(r));
      EXPECT_TRUE(!o.reported || n >= driverTableEnd) << n;
      EXPECT_TRUE(o.reported || (n != driverTableEnd && lapTableEnds.count(n) == 0)) << n << ": " << o.error;
    }
  }
}

TEST_F(Corruption, EverySingleByteChangeOfASmallReplay) {
  const Bytes original = smallReplay().build();
  std::set<std::size_t> sizeBytes;   // every bit of them is flipped
  std::set<std::size_t> freeBytes;   // names, lap words: any value is a valid replay
  for (const ChunkAt& c : chunksOf(original)) {
    for (std::size_t i = 8; i < 12; ++i) sizeBytes.insert(c.offset + i);
    const std::size_t data = c.offset + 12;
    if (c.label == "TNRD") {
      for (std::size_t i = 0; i < 32; ++i) freeBytes.insert(data + i);   // first and last name
    } else if (c.label == "DHPR") {
      for (std::size_t i = 0; i < 16; ++i) freeBytes.insert(data + i);   // track
      for (std::size_t i = 32; i < 64; ++i) freeBytes.insert(data + i);  // saver's names
    } else if (c.label == "ORPL") {
      for (std::size_t i = data + 4; i < c.end; ++i) freeBytes.insert(i);  // lap words
    }
  }
  std::size_t counts[2] = {0, 0};  // errors, reports
  for (std::size_t pos = 0; pos < original.size(); ++pos) {
    std::vector<std::uint8_t> values = {0x00, 0xFF};
    for (int bit = 0; bit < 8; ++bit) {
      if (sizeBytes.count(pos) != 0 || bit == static_cast<int>(pos % 8)) {
        values.push_back(static_cast<std::uint8_t>(original[pos] ^ (1u << bit)));
      }
    }
    for (const std::uint8_t value : values) {
      if (value == original[pos]) continue;
      Bytes changed = original;
      changed[pos] = value;
      const Outcome o = runBytes(path, changed);
      hostile::expectClearAnswer(o, path, "byte " + std::to_string(pos) + " = " + std::to_string(value));
      EXPECT_TRUE(o.reported || freeBytes.count(pos) == 0) << pos << ": " << o.error;
      ++counts[o.reported ? 1 : 0];
    }
  }
  // Both kinds of answer occur: the loop reached the checks and the reports.
  EXPECT_GT(counts[1], 1000u);
  EXPECT_GT(counts[0], 300u);
}

// Size fields near 2^32: the padded size and every offset are computed
// without wrapping, so a huge size is a huge size.
TEST_F(Corruption, SizesNearTwoToTheThirtySecond) {
  for (const std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFFDu, 0xFFFFFFF4u}) {
    const std::string total = "Bad file length (" + std::to_string(12 + (std::uint64_t{size} + 3) / 4 * 4) + " != ";
    EXPECT_EQ(runBytes(path, rawChunk("YLPR", size, {}, 0x2402)).error, total + "12) reading file " + path);
    Bytes replay = smallReplay().build();
    setLe32(replay, 8, size);
    EXPECT_EQ(runBytes(path, replay).error, total + std::to_string(replay.size()) + ") reading file " + path);
  }
}

// Inner sizes that would wrap a 32-bit offset back into the file, and
// children that claim more than their parent while the file goes on.
TEST_F(Corruption, InnerSizesThatWrapOrOverrunTheirParent) {
  const Bytes original = smallReplay().build();
  const std::vector<ChunkAt> chunks = chunksOf(original);
  const auto first = [&](const std::string& label) {
    return *std::find_if(chunks.begin(), chunks.end(), [&](const ChunkAt& c) { return c.label == label; });
  };
  const ChunkAt tnrd = first("TNRD"), btpl = first("BTPL"), orpl = first("ORPL");
  const std::tuple<std::string, std::string, std::uint32_t> cases[] = {
      {"DHPR", "YLPR", 0xFFFFFFFCu}, {"FNKW", "YLPR", 0xFFFFFF50u}, {"SLRD", "YLPR", 0xFFFFFFFFu},
      {"TNRD", "SLRD", 0xFFFFFFF4u}, {"BTPL", "YLPR", 0xFFFFFFF0u}, {"ORPL", "BTPL", 0xFFFFFFFFu},
      // One padded word more than the parent holds, with more file after it.
      {"TNRD", "SLRD", static_cast<std::uint32_t>(first("SLRD").end - tnrd.offset - 12 + 1)},
      {"ORPL", "BTPL", static_cast<std::uint32_t>(btpl.end - orpl.offset - 12 + 1)},
  };
  for (const auto& [label, parent, size] : cases) {
    Bytes changed = original;
    const ChunkAt at = first(label);
    setLe32(changed, at.offset + 8, size);
    EXPECT_EQ(runBytes(path, changed).error, "Error reading file " + path + ": chunk label '" + parent + "' (" +
                                                 label + ") data size exceeded at offset " + std::to_string(at.offset))
        << label << " " << size;
  }
}

// A car with tens of thousands of crossings and a session of thousands of
// cars: loaded, classified and reported in proportion to their size.
TEST_F(Corruption, LongLapListsAndCrowdedSessions) {
  ReplayBuilder b;
  b.addSlot(kRace, 10, 604800.0f);
  b.addDriver(1, 1, "Long", "Run");
  std::vector<std::uint32_t> clocks;
  for (std::uint32_t i = 0; i < 30000; ++i) clocks.push_back(i * 500);
  b.sessions.push_back({CarLapsRec::fromClocks(1, clocks)});
  const Outcome many = runBytes(path, b.build(), Reports::TextOnly);
  ASSERT_TRUE(many.reported) << many.error;
  EXPECT_NE(many.report.find(" 1.   1 Long Run                29999  4:09:59.500     0.000     -0.000  \n"),
            std::string::npos);

  // Beyond the 16-bit lap index the model has no lap number to give; the
  // replay still gets a report and nothing reads out of place.
  for (std::uint32_t i = 30000; i < 70000; ++i) clocks.push_back((i * 500) & 0xFFFFFF);
  b.sessions = {{CarLapsRec::fromClocks(1, clocks)}};
  EXPECT_TRUE(runBytes(path, b.build(), Reports::TextOnly).reported);

  // Half of the cars have no entry: each is looked up, and reported with
  // the placeholder entry, in time proportional to their number.
  ReplayBuilder crowd;
  crowd.addSlot(kPractice, 0x7FFF, 1800.0f);
  crowd.addSlot(kRace, 2, 604800.0f);
  crowd.sessions.resize(2);
  for (std::uint32_t car = 0; car < 6000; ++car) {
    if (car < 3000) crowd.addDriver(car % 100, car, "D", std::to_string(car));
    crowd.sessions[0].push_back(CarLapsRec::fromClocks(car, {car, 90000 + car * 3}));
    crowd.sessions[1].push_back(CarLapsRec::fromClocks(car, {car, 90000 + car}));
  }
  const Outcome crowded = runBytes(path, crowd.build());
  ASSERT_TRUE(crowded.reported) << crowded.error;
  EXPECT_NE(crowded.report.find("\n3000.  99 D 2999                   1:35.998     5.998    1     1:38.997  \n"),
            std::string::npos);
  EXPECT_NE(crowded.report.find("\n6000.   0                          1:41.998    11.998    1     1:47.997  \n"),
            std::string::npos);
}

// A sample of damaged files through a run of marvolt, which must answer as the
// pipeline in-process did: the error alone on standard error with status 1,
// an existing output file left as it was and none made where there was
// none, or the same report.
TEST_F(Corruption, TheBinaryAnswersAsThePipelineDoes) {
  const Bytes original = smallReplay().build();
  std::vector<Bytes> damaged = {Bytes(original.begin(), original.begin() + 100), bytesOf("RPLY\2\0\0\0")};
  for (const ChunkAt& c : chunksOf(original)) {
    damaged.push_back(original);
    damaged.back()[c.offset + 11] = 0xFF;  // a huge size
    damaged.push_back(original);
    damaged.back()[c.offset] = 0;  // a wrong label
  }
  std::size_t failures = 0;
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    const Outcome inProcess = runBytes(path, damaged[i], Reports::TextOnly);
    writeFile(path, damaged[i]);
    const std::string old = i % 2 == 0 ? "keep me" : "";   // "": no file
    std::remove(dir.file("old.txt").c_str());
    if (!old.empty()) writeText(dir.file("old.txt"), old);
    const RunResult r = runIn(dir, {"--force", "-o", "old.txt", "damaged.rpy"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, inProcess.reported ? 0 : 1);
    EXPECT_EQ(r.files.count("old.txt") != 0 ? r.files.at("old.txt") : "", inProcess.reported ? inProcess.report : old);
    if (!inProcess.reported) {
      ++failures;
      // A chunk label's control bytes are shown as U+FFFD on standard error.
      std::string message = hostile::renamed(inProcess.error, path, "damaged.rpy");
      marvolt::showControls(message);
      EXPECT_EQ(r.err, message + "\n");
    }
  }
  EXPECT_GT(failures, damaged.size() / 2);
}

}  // namespace
