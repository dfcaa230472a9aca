// Damaged replays, exhaustively: every prefix of the sample and of builder
// replays, every single-byte change of a small replay, and sizes crafted to
// wrap offsets or claim more than their parent. Each must end with a report
// or one of the replay errors, never a crash or a stray failure.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pipeline.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using hostile::isReplayError;
using hostile::Outcome;
using hostile::Reports;
using hostile::runBytes;
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

// The builder replays whose prefixes are tried, with the sample's own.
std::vector<Bytes> builderReplays() {
  ReplayBuilder empty;
  ReplayBuilder trailing = smallReplay();
  trailing.trailer = chunk("FRMS", Bytes(40, 7));
  return {empty.build(), smallReplay().build(), trailing.build()};
}

Bytes sampleReplay() { return bytesOf(readFile(std::string(MARVOLT_SOURCE_DIR) + "/examples/sample.rpy")); }

std::uint32_t le32(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16) |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void setLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A chunk of a well-formed replay: where its header lies and what it is.
struct ChunkAt {
  std::size_t offset;
  std::string label;
  std::size_t end;   ///< just past its padded data
};

// Every chunk of a well-formed replay, parents before children.
std::vector<ChunkAt> chunksOf(const Bytes& file) {
  std::vector<ChunkAt> out;
  std::vector<std::size_t> pending = {0};
  while (!pending.empty()) {
    const std::size_t at = pending.back();
    pending.pop_back();
    const std::string label(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + 4));
    const std::size_t end = at + 12 + (le32(file, at + 8) + 3) / 4 * 4;
    out.push_back({at, label, end});
    if (label != "YLPR" && label != "SLRD" && label != "BTPL") continue;
    std::vector<std::size_t> children;
    for (std::size_t child = at + 12; child < end; child = child + 12 + (le32(file, child + 8) + 3) / 4 * 4) {
      children.push_back(child);
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return out;
}

class Corruption : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string path = dir.file("damaged.rpy");

  // Cuts the file at `path` to its first `n` bytes; with a size, also sets
  // the outer size field. Cutting a written file is far quicker than
  // writing every prefix anew.
  void cutTo(std::size_t n, std::optional<std::uint32_t> outerSize = std::nullopt) {
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(n)), 0);
    if (!outerSize) return;
    Bytes field;
    putLe32(field, *outerSize);
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::pwrite(fd, field.data(), 4, 8), 4);
    ::close(fd);
  }

  // The outcome must be a report or one of the replay errors.
  Outcome expectClear(const Bytes& bytes, const std::string& what, Reports reports = Reports::EveryWay) {
    Outcome outcome = runBytes(path, bytes, reports);
    if (!outcome.reported) {
      EXPECT_TRUE(isReplayError(outcome.error, path)) << what << ": " << hostile::printable(outcome.error);
    }
    return outcome;
  }
};

TEST_F(Corruption, EveryPrefixFailsTheContainerChecks) {
  std::vector<Bytes> replays = builderReplays();
  replays.push_back(sampleReplay());
  for (const Bytes& whole : replays) {
    writeFile(path, whole);
    for (std::size_t n = whole.size(); n-- > 0;) {
      cutTo(n);
      const Outcome o = hostile::runPipeline(path);
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
  std::vector<Bytes> replays = builderReplays();
  replays.push_back(sampleReplay());
  for (std::size_t r = 0; r < replays.size(); ++r) {
    const Bytes& whole = replays[r];
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
    const Reports reports = r + 1 == replays.size() ? Reports::TextOnly : Reports::EveryWay;
    writeFile(path, whole);
    for (std::size_t n = std::min(whole.size() - 4, lastRead); n >= 12; n -= 4) {
      cutTo(n, static_cast<std::uint32_t>(n - 12));
      const Outcome o = hostile::runPipeline(path, reports);
      if (!o.reported) {
        EXPECT_TRUE(isReplayError(o.error, path)) << "prefix " << n << " of replay " << r << ": "
                                                  << hostile::printable(o.error);
      }
      if (n < driverTableEnd) {
        EXPECT_FALSE(o.reported) << n;
      }
      if (n == driverTableEnd || lapTableEnds.count(n) != 0) {
        EXPECT_TRUE(o.reported) << n << ": " << o.error;
      }
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
  std::size_t reports = 0;
  std::size_t errors = 0;
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
      const Outcome o = expectClear(changed, "byte " + std::to_string(pos) + " = " + std::to_string(value));
      if (freeBytes.count(pos) != 0) {
        EXPECT_TRUE(o.reported) << pos << ": " << o.error;
      }
      ++(o.reported ? reports : errors);
    }
  }
  // Both kinds of answer occur: the loop reached the checks and the reports.
  EXPECT_GT(reports, 1000u);
  EXPECT_GT(errors, 300u);
}

// Size fields near 2^32: the padded size and every offset are computed
// without wrapping, so a huge size is a huge size.
TEST_F(Corruption, SizesNearTwoToTheThirtySecond) {
  for (const std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFFDu, 0xFFFFFFF4u}) {
    const std::uint64_t total = 12 + (std::uint64_t{size} + 3) / 4 * 4;
    Bytes bare = rawChunk("YLPR", size, {}, 0x2402);
    EXPECT_EQ(runBytes(path, bare).error,
              "Bad file length (" + std::to_string(total) + " != 12) reading file " + path);
    Bytes replay = smallReplay().build();
    setLe32(replay, 8, size);
    EXPECT_EQ(runBytes(path, replay).error, "Bad file length (" + std::to_string(total) + " != " +
                                                std::to_string(replay.size()) + ") reading file " + path);
  }
}

// Inner sizes that would wrap a 32-bit offset back into the file, and
// children that claim more than their parent while the file goes on.
TEST_F(Corruption, InnerSizesThatWrapOrOverrunTheirParent) {
  const Bytes original = smallReplay().build();
  std::vector<ChunkAt> chunks = chunksOf(original);
  const auto first = [&](const std::string& label) {
    for (const ChunkAt& c : chunks) {
      if (c.label == label) return c;
    }
    ADD_FAILURE() << label;
    return chunks.front();
  };
  const auto overrun = [&](const std::string& parent, const ChunkAt& child) {
    return "Error reading file " + path + ": chunk label '" + parent + "' (" + child.label +
           ") data size exceeded at offset " + std::to_string(child.offset);
  };
  struct Case {
    std::string label;
    std::string parent;
    std::uint32_t size;
  };
  const ChunkAt tnrd = first("TNRD");
  const ChunkAt btpl = first("BTPL");
  const ChunkAt orpl = first("ORPL");
  const std::vector<Case> cases = {
      {"DHPR", "YLPR", 0xFFFFFFFCu},  {"FNKW", "YLPR", 0xFFFFFF50u},
      {"SLRD", "YLPR", 0xFFFFFFFFu},  {"TNRD", "SLRD", 0xFFFFFFF4u},
      {"BTPL", "YLPR", 0xFFFFFFF0u},  {"ORPL", "BTPL", 0xFFFFFFFFu},
      // One padded word more than the parent holds, with more file after it.
      {"TNRD", "SLRD", static_cast<std::uint32_t>(first("SLRD").end - tnrd.offset - 12 + 1)},
      {"ORPL", "BTPL", static_cast<std::uint32_t>(btpl.end - orpl.offset - 12 + 1)},
  };
  for (const Case& c : cases) {
    Bytes changed = original;
    const ChunkAt at = first(c.label);
    setLe32(changed, at.offset + 8, c.size);
    EXPECT_EQ(runBytes(path, changed).error, overrun(c.parent, at)) << c.label << " " << c.size;
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
  std::vector<CarLapsRec> practice;
  std::vector<CarLapsRec> race;
  for (std::uint32_t car = 0; car < 6000; ++car) {
    if (car < 3000) crowd.addDriver(car % 100, car, "D", std::to_string(car));
    practice.push_back(CarLapsRec::fromClocks(car, {car, 90000 + car * 3}));
    race.push_back(CarLapsRec::fromClocks(car, {car, 90000 + car}));
  }
  crowd.sessions = {practice, race};
  const Outcome crowded = runBytes(path, crowd.build());
  ASSERT_TRUE(crowded.reported) << crowded.error;
  EXPECT_NE(crowded.report.find("\n3000.  99 D 2999                   1:35.998     5.998    1     1:38.997  \n"),
            std::string::npos);
  EXPECT_NE(crowded.report.find("\n6000.   0                          1:41.998    11.998    1     1:47.997  \n"),
            std::string::npos);
}

// A sample of damaged files through the binary, which must answer as the
// pipeline in-process did: the error alone on standard error with status 1
// and an existing output file left as it was, or the same report.
TEST_F(Corruption, TheBinaryAnswersAsThePipelineDoes) {
  const Bytes original = smallReplay().build();
  std::vector<Bytes> damaged = {Bytes(original.begin(), original.begin() + 100), bytesOf("RPLY\2\0\0\0")};
  for (const ChunkAt& c : chunksOf(original)) {
    Bytes sizeHigh = original;
    sizeHigh[c.offset + 11] = 0xFF;
    damaged.push_back(sizeHigh);
    Bytes label = original;
    label[c.offset] = 0;
    damaged.push_back(label);
  }
  std::size_t failures = 0;
  for (const Bytes& bytes : damaged) {
    const Outcome inProcess = runBytes(path, bytes, Reports::TextOnly);
    writeText(dir.file("old.txt"), "keep me");
    const RunResult r = runIn(dir, {"--force", "-o", "old.txt", "damaged.rpy"});
    EXPECT_EQ(r.out, "");
    if (inProcess.reported) {
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.files.at("old.txt"), inProcess.report);
      continue;
    }
    ++failures;
    std::string expected = inProcess.error;
    for (std::size_t at = expected.find(path); at != std::string::npos; at = expected.find(path, at + 1)) {
      expected.replace(at, path.size(), "damaged.rpy");
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, expected + "\n");
    EXPECT_EQ(r.files.at("old.txt"), "keep me");
  }
  EXPECT_GT(failures, damaged.size() / 2);
}

}  // namespace
