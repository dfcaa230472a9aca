#include "replay/rpylib.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::Bytes, testsupport::chunk, testsupport::concat, testsupport::container, testsupport::rawChunk;
using testsupport::floatBits, testsupport::kLastSlot, testsupport::kPractice, testsupport::kRace, testsupport::kTesting;
using testsupport::errorOf, testsupport::outerFile;

/// Captured standard error without the source positions of the warnings, which must all be in rpylib.cpp.
std::string withoutPositions(const std::string& captured) {
  static const std::regex position(R"(^Warning: \(rpylib\.cpp:[0-9]+\) )", std::regex::multiline);
  return std::regex_replace(captured, position, "Warning: ");
}

/// A record viewed over bytes built by the replay builder.
template <typename T>
const T& view(const Bytes& bytes) {
  EXPECT_EQ(bytes.size(), sizeof(T));
  return *reinterpret_cast<const T*>(bytes.data());
}

class RpyTest : public ::testing::Test {
 protected:
  /// Opens a whole file and reads it; the file stays open in `file`.
  RpyGPL& read(const Bytes& bytes) {
    gpl.reset();  // release the previous mapping before its file is rewritten
    file.reset();
    testsupport::writeFile(path, bytes);
    file = std::make_unique<RpyFile>(path);
    file->open();
    gpl = std::make_unique<RpyGPL>(*file);
    return *gpl;
  }
  /// The error ("" when none) of opening and reading a whole file; its warnings go to `warnings`.
  std::string readError(const Bytes& bytes, std::string* warnings) {
    ::testing::internal::CaptureStderr();
    const std::string message = errorOf([&] { read(bytes); });
    const std::string captured = ::testing::internal::GetCapturedStderr();
    if (warnings != nullptr) *warnings = withoutPositions(captured);
    return message;
  }
  /// The error of opening and reading a file of the given outer content; warnings are dropped.
  std::string readError(const Bytes& content) { return readError(outerFile(0x2402, content), nullptr); }

  testsupport::TempDir dir;
  std::string path = dir.file("r.rpy");
  std::unique_ptr<RpyFile> file;
  std::unique_ptr<RpyGPL> gpl;
};

TEST_F(RpyTest, VersionWordDecidesGameFrameRateAndSupport) {
  struct Case {
    std::uint32_t word;
    Game game;
    int fps;
    std::uint32_t rootVer;  // only the outer label's version has the short form
    std::string openError;
  };
  const Case cases[] = {
      {0x2402, Game::GPL, 36, 2, ""},  {0x00000002, Game::GPL, 36, 2, ""}, {0x34123C02, Game::GPL, 60, 2, ""},
      {0x0102, Game::GPL, 1, 2, ""},   {0, Game::GPL, 36, 0, ""},          {1, Game::GPL, 36, 1, ""},
      {0x1E02, Game::GPL, 30, 2, ""},  {3, Game::N4, 0, 3, "Unsupported rpy version (3 - N4)"},
      {4, Game::UNK, 0, 4, "Unsupported rpy version (4 - UNK)"},
      {5, Game::N2K3, 0, 5, "Unsupported rpy version (5 - N2K3)"},
      {0x0203, Game::UNK, 0, 515, "Unsupported rpy version (515 - UNK)"},
      {9, Game::IRAC, 0, 9, "Unsupported rpy version (9 - IRAC)"},
      {15, Game::IRAC, 0, 15, "Unsupported rpy version (15 - IRAC)"},
      {16, Game::UNK, 0, 16, "Unsupported rpy version (16 - UNK)"},
  };
  for (const Case& c : cases) {
    testsupport::writeFile(path, outerFile(c.word, {}));
    RpyFile f(path);
    EXPECT_EQ(f.game(), c.game) << c.word;
    EXPECT_EQ(f.fps(), c.fps) << c.word;
    EXPECT_EQ(f.root().ver(), c.rootVer) << c.word;
    EXPECT_EQ(errorOf([&] { f.open(); }), c.openError);
  }
  EXPECT_EQ(replayVersion(ChunkLbl::make("BTPL", 0x34123C02)), 0x34123C02u);
}

// Reopening another file must leave no view into the replaced mapping, even when the new file is refused.
TEST_F(RpyTest, OpenWithAPathFollowsTheNewMapping) {
  testsupport::writeFile(path, outerFile(0x3C02, {}));
  RpyFile f(path);
  EXPECT_EQ(f.open().offset(), 0u);
  const std::string other = dir.file("other.rpy"), n4 = dir.file("n4.rpy");
  testsupport::writeFile(other, outerFile(0x1902, Bytes(8, 0)));
  testsupport::writeFile(n4, outerFile(3, {}));
  EXPECT_EQ(f.open(other).totSize(), 20u);
  EXPECT_EQ(f.fps(), 25);
  EXPECT_EQ(f.filename(), other);
  EXPECT_THROW(f.open(n4), Error);
  EXPECT_EQ(f.game(), Game::N4);
}

TEST_F(RpyTest, ReadsRecordsDriversAndSessionsInPlaceAndInFileOrder) {
  testsupport::ReplayBuilder b;
  b.info.savedFirst = 2;
  b.info.savedLast = 4;
  b.addDriver(5, 11, "Jim", "Clark", 5);
  b.addDriver(6, 12, "Graham", "Hill", 5);
  b.sessions = {{testsupport::CarLapsRec::fromClocks(11, {1000, 2000}), {12, {0x40012345}}}, {}, {{12, {}}}};
  b.trailer = rawChunk("XXXX", 0xFFFFFF, {});  // the rest of the replay is not read beyond its label
  std::string warnings;
  ASSERT_EQ(readError(b.build(), &warnings), "");
  EXPECT_EQ(warnings, "");
  const RpyGPL& r = *gpl;
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(r.info) - file->bytes().data(), 12 + 12);
  EXPECT_EQ(r.info->mseclen(), 1000000);  // 36000 frames at 36 per second
  ASSERT_EQ(r.drivers.size(), 2u);
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(r.drivers[1]) - file->bytes().data(), 308 + 12 + 152);
  ASSERT_EQ(r.sessions.size(), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(r.sessions[i].num, i + 2);
  ASSERT_EQ(r.sessions[0].cars.size(), 2u);
  EXPECT_EQ(r.sessions[0].cars[0].laps[1].getTime(), 2000u);
  EXPECT_TRUE(r.sessions[1].cars.empty());            // a "BTPL" of size 0
  EXPECT_TRUE(r.sessions[2].cars.at(0).laps.empty());  // an "ORPL" of size 4
  EXPECT_EQ(r.sessions[0].cars[1].toString(), "Laps for car id 12\nlap   0: 74565 [64]\n");
}

TEST_F(RpyTest, SessionCountIsCheckedAgainstTheSavedRange) {
  struct Case {
    std::uint32_t first, last;
    std::size_t tables;
    std::string expected;
  };
  const std::string warning = "Warning: Inconsistent session data.\n";
  const Case cases[] = {{1, 0, 0, ""}, {0, 0, 0, warning}, {2, 4, 3, ""}, {2, 4, 2, warning}, {0, 0, 1, ""}};
  for (const Case& c : cases) {
    testsupport::ReplayBuilder b;
    b.info.savedFirst = c.first;
    b.info.savedLast = c.last;
    b.sessions.resize(c.tables);
    std::string warnings;
    ASSERT_EQ(readError(b.build(), &warnings), "");
    EXPECT_EQ(warnings, c.expected) << c.first << "-" << c.last;
    EXPECT_EQ(gpl->sessions.size(), c.tables);  // kept even when inconsistent
  }
}

// Record sizes, labels, sizes checked before labels, short chunks and headers cut by the end of the file.
TEST_F(RpyTest, DamagedChunksGiveExactErrors) {
  const Bytes info = chunk("DHPR", testsupport::RpyInfoRec{}.bytes());
  const Bytes weekend = chunk("FNKW", testsupport::WeekendRec{}.bytes());
  const Bytes head = concat({info, weekend});
  const Bytes drivers = concat({head, container("SLRD", {})});
  const Bytes table = container("BTPL", {});
  const std::uint64_t after = 12 + 88 + 196 + 12;  // file offset after the driver table
  const auto infoOfSize = [&](std::uint32_t size) {
    return concat({rawChunk("DHPR", size, Bytes((size + 3) / 4 * 4, 0)), weekend, container("SLRD", {})});
  };
  const auto at = [&](const std::string& what) { return "Error reading file " + path + ": " + what; };
  const auto overrun = [&](const std::string& label, std::uint64_t offset) {
    return at("chunk label 'YLPR' (" + label + ") data size exceeded at offset " + std::to_string(offset));
  };
  const auto mismatch = [&](const std::string& found, const std::string& wanted) {
    return at("chunk label '" + found + "' does not match requested label '" + wanted + "'");
  };
  const std::vector<std::pair<Bytes, std::string>> cases = {
      {infoOfSize(72), "Chunk DHPR size and destination type size are not equal (72 != 76)"},
      {infoOfSize(73), ""},
      {infoOfSize(80), "Chunk DHPR size and destination type size are not equal (80 != 76)"},
      {concat({info, chunk("FNKW", Bytes(180, 0)), container("SLRD", {})}),
       "Chunk FNKW size and destination type size are not equal (180 != 184)"},
      {{}, overrun("DHPR", 12)},
      {concat({rawChunk("XXXX", 1000, Bytes(76, 0)), weekend}), overrun("DHPR", 12)},
      {concat({chunk("XXXX", Bytes(76, 0)), weekend, container("SLRD", {})}), mismatch("XXXX", "DHPR")},
      {concat({head, container("SLRD", {chunk("TNRX", Bytes(140, 0))})}), mismatch("TNRX", "TNRD")},
      {concat({drivers, container("BTPL", {chunk("ORPL", Bytes(4, 0)), chunk("OROL", Bytes(4, 0))})}),
       mismatch("OROL", "ORPL")},
      {concat({drivers, rawChunk("BTPL", 8, {})}), overrun("BTPL", after)},
      {concat({head, container("SLRD", {chunk("TNRD", Bytes(100, 0))})}),
       at("chunk 'TNRD' at offset " + std::to_string(after) + " is too short for a driver record (100 < 140)")},
      {concat({drivers, container("BTPL", {chunk("ORPL", Bytes(8, 0)), chunk("ORPL", {})})}),
       at("chunk 'ORPL' at offset " + std::to_string(after + 12 + 20) + " is too short for a car id (0 < 4)")},
      {concat({drivers, testsupport::bytesOf("BTPL")}), overrun("BTPL", after)},
      {concat({drivers, testsupport::bytesOf("XXXX")}), overrun("BTPL", after)},
      {concat({drivers, table, testsupport::bytesOf(std::string_view("BTPL\0\0\0\0", 8))}),
       overrun("BTPL", after + 12)},
      // A readable label that is no lap table ends the sessions, even without a whole header.
      {concat({drivers, table, Bytes(8, 0)}), ""},
      {concat({drivers, table}), ""},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(readError(cases[i].first), cases[i].second) << "case " << i;

  // A longer driver chunk is read as its first 140 bytes.
  ASSERT_EQ(readError(concat({head, container("SLRD", {chunk("TNRD", Bytes(144, 0))})})), "");
  EXPECT_EQ(gpl->drivers.size(), 1u);
  // Lap chunk sizes 1 to 3 are padded to 4: a car id and no laps.
  ASSERT_EQ(readError(concat({drivers, container("BTPL", {rawChunk("ORPL", 1, {7, 0, 0, 0})})})), "");
  EXPECT_EQ(gpl->sessions.at(0).cars.at(0).carid, 7u);
  ASSERT_EQ(readError(concat({drivers, table, rawChunk("XXXX", 0, {})})), "");
  EXPECT_EQ(gpl->sessions.size(), 1u);
}

/// A weekend record with the given slots.
Bytes weekend(const std::vector<testsupport::SessSlotRec>& slots, int sessionsField = -1, bool terminate = true) {
  return testsupport::WeekendRec{.slots = slots, .sessionsField = sessionsField, .terminate = terminate}.bytes();
}

const std::uint32_t k1800 = floatBits(1800.0f);

TEST(WeekendInfoTest, SessionSlotLists) {
  using SessT = WeekendInfo::SessT;
  using Infos = std::vector<std::tuple<std::string, int, int>>;
  const auto infos = [](const Bytes& b) {
    Infos out;
    for (const auto& s : view<WeekendInfo>(b).getSessInfos()) out.emplace_back(toString(s.type), s.laps, s.length);
    return out;
  };
  // The end-of-list length word ends the list, whatever follows.
  EXPECT_EQ(infos(weekend({{kRace, 10, kLastSlot}, {kPractice, 1, k1800}}, 1, false)),
            (Infos{{"RACE", 10, 604800}}));
  const Bytes two = weekend({{kPractice, 0x7FFF, k1800}, {kRace, 12, kLastSlot}});
  EXPECT_EQ(infos(two), (Infos{{"PRACTICE", 0x7FFF, 1800}, {"RACE", 12, 604800}}));
  // Eight slots without the terminator are all read.
  const Bytes eight = weekend(std::vector<testsupport::SessSlotRec>(8, {kTesting, 0x7FFF, k1800}), 8, false);
  EXPECT_EQ(infos(eight).size(), 8u);

  for (const std::int16_t type : {5, -3}) {
    const Bytes b = weekend({{type, 1, kLastSlot}});
    const std::string unknown = "Unknown session type: cast(SessT)" + std::to_string(type);
    EXPECT_EQ(errorOf([&] { view<WeekendInfo>(b).getSessInfos(); }), unknown);
  }
  const Bytes inconsistent = weekend({{kPractice, 0x7FFF, k1800}, {kRace, 12, kLastSlot}}, 3);
  EXPECT_EQ(errorOf([&] { view<WeekendInfo>(inconsistent).getSessInfos(); }), "Inconsistent session info");

  // An empty slot drops the whole list, and the count is not checked then.
  for (const Bytes& b : {weekend({}, 5), weekend({{kPractice, 0x7FFF, k1800}, {0, 0, 0}}, 7, false)}) {
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(infos(b).empty());
    EXPECT_EQ(withoutPositions(::testing::internal::GetCapturedStderr()), "Warning: No session data found\n");
  }
  EXPECT_EQ(toString(static_cast<SessT>(-2)), "cast(SessT)-2");
}

TEST(WeekendInfoTest, DecodeSessionLengths) {
  const auto bits = [](float v) { return static_cast<std::int32_t>(floatBits(v)); };
  // Beyond the range of session lengths the low 32 bits of the shifted
  // mantissa are kept: 2^31 wraps, 2^32 and 1.0 (a shift of 41) give 0.
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 0},          {-1, 0},   {INT32_MIN, 0},           {bits(-1800.0f), 0},    {0x4913A800, 604800},
      {0x44E10000, 1800}, {bits(2147483648.0f), INT32_MIN}, {bits(4294967296.0f), 0}, {bits(1.0f), 0}};
  for (const auto& [word, length] : cases) EXPECT_EQ(WeekendInfo::decodecas(word), length) << word;
  for (const float v : {2.0f, 3.75f, 59.9f, 1073741824.0f, 123456.7f}) {
    EXPECT_EQ(WeekendInfo::decodecas(bits(v)), static_cast<std::int32_t>(v)) << v;
  }
  // Every exponent is defined behaviour (checked under the sanitizers).
  for (std::int32_t e = 0; e < 256; ++e) WeekendInfo::decodecas((e << 23) | 0x7FFFFF);
}

}  // namespace
}  // namespace marvolt
