#include "replay/rpylib.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::Bytes;
using testsupport::chunk;
using testsupport::concat;
using testsupport::container;
using testsupport::floatBits;
using testsupport::kLastSlot;
using testsupport::kPractice;
using testsupport::kRace;
using testsupport::kTesting;
using testsupport::outerFile;
using testsupport::rawChunk;

/// The messages of the warnings in captured standard error, in order;
/// every line must be a warning raised in rpylib.cpp.
std::vector<std::string> warnings(const std::string& captured) {
  static const std::regex warning(R"(Warning: \(rpylib\.cpp:[0-9]+\) (.*))");
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < captured.size()) {
    const std::size_t end = captured.find('\n', start);
    const std::string text = captured.substr(start, end - start);
    std::smatch m;
    EXPECT_TRUE(std::regex_match(text, m, warning)) << text;
    out.push_back(m.size() > 1 ? m[1].str() : text);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

using Messages = std::vector<std::string>;

/// A record viewed over bytes built by the replay builder.
template <typename T>
const T& view(const Bytes& bytes) {
  EXPECT_EQ(bytes.size(), sizeof(T));
  return *reinterpret_cast<const T*>(bytes.data());
}

Bytes infoChunk(const testsupport::RpyInfoRec& info = {}) { return chunk("DHPR", info.bytes()); }
Bytes weekendChunk() { return chunk("FNKW", testsupport::WeekendRec{}.bytes()); }
Bytes emptyDriverTable() { return container("SLRD", {}); }
/// File offset of the first chunk after the replay info, weekend info and an empty driver table.
constexpr std::uint64_t kAfterDriverTable = 12 + 88 + 196 + 12;

class RpyTest : public ::testing::Test {
 protected:
  std::string write(const Bytes& bytes) {
    testsupport::writeFile(path, bytes);
    return path;
  }
  /// Opens a whole file and reads it; the file stays open in `file`.
  RpyGPL& read(const Bytes& bytes) {
    gpl.reset();  // release the previous mapping before its file is rewritten
    file.reset();
    write(bytes);
    file = std::make_unique<RpyFile>(path);
    file->open();
    gpl = std::make_unique<RpyGPL>(*file);
    return *gpl;
  }
  /// The error of opening and reading a file of the given outer content.
  std::string readError(const Bytes& content) {
    ::testing::internal::CaptureStderr();  // the session count is not what these tests look at
    std::string message;
    try {
      read(outerFile(0x2402, content));
    } catch (const Error& e) {
      message = e.what();
    }
    ::testing::internal::GetCapturedStderr();
    return message;
  }
  /// The error of opening a file.
  std::string openError(const Bytes& bytes) {
    write(bytes);
    try {
      RpyFile(path).open();
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }

  testsupport::TempDir dir;
  std::string path = dir.file("r.rpy");
  std::unique_ptr<RpyFile> file;
  std::unique_ptr<RpyGPL> gpl;
};

// ---------------------------------------------------------------- file and game

TEST_F(RpyTest, VersionWordGivesGameAndFrameRate) {
  struct Case {
    std::uint32_t word;
    Game game;
    int fps;
  };
  const Case cases[] = {
      {0x2402, Game::GPL, 36},      {0x00000002, Game::GPL, 36}, {0x34123C02, Game::GPL, 60},
      {0x0102, Game::GPL, 1},       {0, Game::GPL, 36},          {1, Game::GPL, 36},
      {3, Game::N4, 0},             {4, Game::UNK, 0},           {5, Game::N2K3, 0},
      {0x0203, Game::UNK, 0},       {9, Game::IRAC, 0},          {15, Game::IRAC, 0},
      {16, Game::UNK, 0},           {0x1E02, Game::GPL, 30},
  };
  for (const Case& c : cases) {
    write(outerFile(c.word, {}));
    RpyFile f(path);
    EXPECT_EQ(f.game(), c.game) << c.word;
    EXPECT_EQ(f.fps(), c.fps) << c.word;
    EXPECT_EQ(f.ver(), c.word);  // the raw word stays available
    EXPECT_EQ(f.root().rawver(), c.word);
  }
  write(outerFile(0x34123C02, {}));
  EXPECT_EQ(RpyFile(path).root().ver(), 2u);
  write(outerFile(0x0203, {}));
  EXPECT_EQ(RpyFile(path).root().ver(), 515u);
}

TEST_F(RpyTest, OnlyTheOuterLabelHasTheShortVersion) {
  EXPECT_EQ(replayVersion(ChunkLbl::make("YLPR", 0x34123C02)), 2u);
  EXPECT_EQ(replayVersion(ChunkLbl::make("BTPL", 0x34123C02)), 0x34123C02u);
  EXPECT_EQ(replayVersion(ChunkLbl::make("YLPR", 0x0203)), 0x0203u);
}

TEST_F(RpyTest, OpenRejectsOtherGamesWithTheRawWord) {
  EXPECT_EQ(openError(outerFile(0x2402, {})), "");
  EXPECT_EQ(openError(outerFile(0x34123C02, {})), "");
  EXPECT_EQ(openError(outerFile(3, {})), "Unsupported rpy version (3 - N4)");
  EXPECT_EQ(openError(outerFile(4, {})), "Unsupported rpy version (4 - UNK)");
  EXPECT_EQ(openError(outerFile(5, {})), "Unsupported rpy version (5 - N2K3)");
  EXPECT_EQ(openError(outerFile(0x0203, {})), "Unsupported rpy version (515 - UNK)");
  // Container failures pass through; a short file is constructed without complaint.
  EXPECT_EQ(openError(Bytes(5, 'Y')), "Unknown file format reading file " + path);
}

TEST_F(RpyTest, OpenWithAPathFollowsTheNewMapping) {
  write(outerFile(0x3C02, {}));
  RpyFile f(path);
  EXPECT_EQ(f.open().offset(), 0u);
  EXPECT_EQ(f.fps(), 60);
  const std::string other = dir.file("other.rpy");
  testsupport::writeFile(other, outerFile(0x1902, Bytes(8, 0)));
  EXPECT_EQ(f.open(other).totSize(), 20u);
  EXPECT_EQ(f.fps(), 25);
  EXPECT_EQ(f.filename(), other);
  const std::string n4 = dir.file("n4.rpy");
  testsupport::writeFile(n4, outerFile(3, {}));
  EXPECT_THROW(f.open(n4), Error);
  EXPECT_EQ(f.game(), Game::N4);  // root follows the mapping even when the check fails
}

// ---------------------------------------------------------------- reader

TEST_F(RpyTest, ReadsRecordsDriversAndSessionsInFileOrder) {
  testsupport::ReplayBuilder b;
  b.info.savedFirst = 2;
  b.info.savedLast = 4;
  b.addDriver(5, 11, "Jim", "Clark", 5);
  b.addDriver(6, 12, "Graham", "Hill", 5).country = 12;
  b.sessions = {{testsupport::CarLapsRec::fromClocks(11, {1000, 2000}), {12, {0x40012345}}}, {}, {{12, {}}}};
  b.trailer = rawChunk("XXXX", 0xFFFFFF, {});  // the rest of the replay is not read beyond its label
  ::testing::internal::CaptureStderr();
  const RpyGPL& r = read(b.build());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(r.fps(), 36);
  EXPECT_EQ(r.rpy, file.get());
  EXPECT_EQ(toUtf8(fromCodePage(std::span(r.info->track))), "monza");
  EXPECT_EQ(r.wkinfo->mode, 5);
  ASSERT_EQ(r.drivers.size(), 2u);
  EXPECT_EQ(r.drivers[1]->carid, 12u);
  EXPECT_EQ(r.drivers[1]->country, 12);
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(r.drivers[0]) - file->bytes().data(), 308 + 12);
  ASSERT_EQ(r.sessions.size(), 3u);
  EXPECT_EQ(r.sessions[0].num, 2u);
  EXPECT_EQ(r.sessions[1].num, 3u);
  EXPECT_EQ(r.sessions[2].num, 4u);
  ASSERT_EQ(r.sessions[0].cars.size(), 2u);
  EXPECT_EQ(r.sessions[0].cars[0].carid, 11u);
  ASSERT_EQ(r.sessions[0].cars[0].laps.size(), 2u);
  EXPECT_EQ(r.sessions[0].cars[0].laps[1].getTime(), 2000u);
  EXPECT_TRUE(r.sessions[1].cars.empty());  // a "BTPL" of size 0
  ASSERT_EQ(r.sessions[2].cars.size(), 1u);
  EXPECT_TRUE(r.sessions[2].cars[0].laps.empty());  // an "ORPL" of size 4

  const CarLaps& car = r.sessions[0].cars[1];
  EXPECT_EQ(car.laps[0].getTime(), 74565u);
  EXPECT_EQ(car.laps[0].flags(), 64);
  EXPECT_EQ(car.toString(), "Laps for car id 12\nlap   0: 74565 [64]\n");
}

TEST_F(RpyTest, SessionCountIsCheckedAgainstTheSavedRange) {
  struct Case {
    std::uint32_t first, last;
    std::size_t tables;
    Messages expected;
  };
  const Case cases[] = {
      {1, 0, 0, {}},
      {0, 0, 0, {"Inconsistent session data."}},
      {2, 4, 3, {}},
      {2, 4, 2, {"Inconsistent session data."}},
      {0, 0, 1, {}},
  };
  for (const Case& c : cases) {
    testsupport::ReplayBuilder b;
    b.info.savedFirst = c.first;
    b.info.savedLast = c.last;
    b.sessions.resize(c.tables);
    ::testing::internal::CaptureStderr();
    const RpyGPL& r = read(b.build());
    EXPECT_EQ(warnings(::testing::internal::GetCapturedStderr()), c.expected) << c.first << "-" << c.last;
    EXPECT_EQ(r.sessions.size(), c.tables);  // kept even when inconsistent
  }
}

TEST_F(RpyTest, RecordChunksMustHaveTheRecordSize) {
  const Bytes rest = concat({weekendChunk(), emptyDriverTable()});
  auto withInfoSize = [&](std::uint32_t size) {
    return readError(concat({rawChunk("DHPR", size, Bytes((size + 3) / 4 * 4, 0)), rest}));
  };
  EXPECT_EQ(withInfoSize(72), "Chunk DHPR size and destination type size are not equal (72 != 76)");
  EXPECT_EQ(withInfoSize(73), "");
  EXPECT_EQ(withInfoSize(76), "");
  EXPECT_EQ(withInfoSize(80), "Chunk DHPR size and destination type size are not equal (80 != 76)");
  EXPECT_EQ(readError(concat({infoChunk(), chunk("FNKW", Bytes(180, 0)), emptyDriverTable()})),
            "Chunk FNKW size and destination type size are not equal (180 != 184)");
}

TEST_F(RpyTest, OverrunIsReportedBeforeALabelMismatch) {
  EXPECT_EQ(readError({}),
            "Error reading file " + path + ": chunk label 'YLPR' (DHPR) data size exceeded at offset 12");
  EXPECT_EQ(readError(concat({rawChunk("XXXX", 1000, Bytes(76, 0)), weekendChunk()})),
            "Error reading file " + path + ": chunk label 'YLPR' (DHPR) data size exceeded at offset 12");
  EXPECT_EQ(readError(concat({chunk("XXXX", Bytes(76, 0)), weekendChunk(), emptyDriverTable()})),
            "Error reading file " + path + ": chunk label 'XXXX' does not match requested label 'DHPR'");
  EXPECT_EQ(readError(concat({infoChunk(), weekendChunk(), container("SLRD", {chunk("TNRX", Bytes(140, 0))})})),
            "Error reading file " + path + ": chunk label 'TNRX' does not match requested label 'TNRD'");
  EXPECT_EQ(readError(concat({infoChunk(), weekendChunk(), emptyDriverTable(),
                              container("BTPL", {chunk("ORPL", Bytes(4, 0)), chunk("OROL", Bytes(4, 0))})})),
            "Error reading file " + path + ": chunk label 'OROL' does not match requested label 'ORPL'");
  // A lap table reaching past the end of the file.
  EXPECT_EQ(readError(concat({infoChunk(), weekendChunk(), emptyDriverTable(), rawChunk("BTPL", 8, {})})),
            "Error reading file " + path + ": chunk label 'YLPR' (BTPL) data size exceeded at offset " +
                std::to_string(kAfterDriverTable));
}

TEST_F(RpyTest, ChunksTooShortForTheirRecordAreErrors) {
  const Bytes head = concat({infoChunk(), weekendChunk()});
  const std::uint64_t driverOffset = 12 + 88 + 196 + 12;
  EXPECT_EQ(readError(concat({head, container("SLRD", {chunk("TNRD", Bytes(100, 0))})})),
            "Error reading file " + path + ": chunk 'TNRD' at offset " + std::to_string(driverOffset) +
                " is too short for a driver record (100 < 140)");
  // A longer driver chunk is read as its first 140 bytes.
  EXPECT_EQ(readError(concat({head, container("SLRD", {chunk("TNRD", Bytes(144, 0))})})), "");
  EXPECT_EQ(gpl->drivers.size(), 1u);

  const Bytes drivers = concat({head, emptyDriverTable()});
  EXPECT_EQ(readError(concat({drivers, container("BTPL", {chunk("ORPL", Bytes(8, 0)), chunk("ORPL", {})})})),
            "Error reading file " + path + ": chunk 'ORPL' at offset " + std::to_string(kAfterDriverTable + 12 + 20) +
                " is too short for a car id (0 < 4)");
  // Sizes 1 to 3 are padded to 4: a car id and no laps.
  EXPECT_EQ(readError(concat({drivers, container("BTPL", {rawChunk("ORPL", 1, {7, 0, 0, 0})})})), "");
  EXPECT_EQ(gpl->sessions.at(0).cars.at(0).carid, 7u);
}

TEST_F(RpyTest, AHeaderCutOffByTheEndOfTheFileIsAnOverrun) {
  const Bytes drivers = concat({infoChunk(), weekendChunk(), emptyDriverTable()});
  const std::string overrun = "Error reading file " + path + ": chunk label 'YLPR' (BTPL) data size exceeded at offset ";
  EXPECT_EQ(readError(concat({drivers, testsupport::bytesOf("BTPL")})), overrun + std::to_string(kAfterDriverTable));
  EXPECT_EQ(readError(concat({drivers, testsupport::bytesOf("XXXX")})), overrun + std::to_string(kAfterDriverTable));
  const Bytes table = container("BTPL", {});
  const Bytes cutTable = testsupport::bytesOf(std::string_view("BTPL\0\0\0\0", 8));
  EXPECT_EQ(readError(concat({drivers, table, cutTable})), overrun + std::to_string(kAfterDriverTable + 12));
  // A readable label that is no lap table ends the sessions, even without a whole header.
  EXPECT_EQ(readError(concat({drivers, table, Bytes(8, 0)})), "");
  // A lap table that ends the data, or a full header of another chunk, ends the sessions.
  EXPECT_EQ(readError(concat({drivers, table})), "");
  EXPECT_EQ(readError(concat({drivers, table, rawChunk("XXXX", 0, {})})), "");
  EXPECT_EQ(gpl->sessions.size(), 1u);
}

// ---------------------------------------------------------------- replay info

TEST(RpyInfoTest, LengthAndDump) {
  testsupport::RpyInfoRec rec;
  rec.track = "ABCDEFGHIJKLMNOP";  // a full field without NUL
  rec.frames = 36000;
  rec.fsecsize = 7;
  rec.lfsize = 9;
  rec.unk1 = {0, 12};
  rec.firstName = "Andr\xe9";
  rec.unk2 = {1, 2, 3, 255};
  rec.savedFirst = 1;
  rec.savedLast = 3;
  const Bytes bytes = rec.bytes();
  const RpyInfo& info = view<RpyInfo>(bytes);
  EXPECT_EQ(info.mseclen(), 1000000);
  EXPECT_EQ(info.toString(),
            "Replay Info:\n"
            "track      : ABCDEFGHIJKLMNOP\n"
            "frames     : 36000 (1000s)\n"
            "fsecsize   : 7\n"
            "lfsize     : 9\n"
            "unk1       : [0, 12]\n"
            "saverid    : 1\n"
            "first_name : Andr\xc3\xa9\n"
            "last_name  : Person\n"
            "unk2       : [1, 2, 3, 255]\n"
            "saved sess : 1-3\n");
}

// ---------------------------------------------------------------- weekend info

/// A weekend record with the given slots.
Bytes weekend(const std::vector<testsupport::SessSlotRec>& slots, int sessionsField = -1, bool terminate = true) {
  testsupport::WeekendRec rec;
  rec.slots = slots;
  rec.sessionsField = sessionsField;
  rec.terminate = terminate;
  return rec.bytes();
}

const std::uint32_t k1800 = floatBits(1800.0f);

TEST(WeekendInfoTest, SessionSlotLists) {
  using SessT = WeekendInfo::SessT;
  {
    const Bytes b = weekend({{kRace, 10, kLastSlot}, {kPractice, 1, k1800}}, 1, false);
    const auto s = view<WeekendInfo>(b).getSessInfos();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].type, SessT::RACE);
    EXPECT_EQ(s[0].laps, 10);
    EXPECT_EQ(s[0].length, 604800);
  }
  {
    const Bytes b = weekend({{kPractice, 0x7FFF, k1800}, {kRace, 12, kLastSlot}});
    const WeekendInfo& w = view<WeekendInfo>(b);
    const auto s = w.getSessInfos();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].type, SessT::PRACTICE);
    EXPECT_EQ(s[0].length, 1800);
    EXPECT_EQ(s[1].laps, 12);
    EXPECT_EQ(w.racelaps(), 12);
  }
  {
    // Eight slots without the terminator are all read.
    const Bytes b = weekend(std::vector<testsupport::SessSlotRec>(8, {kTesting, 0x7FFF, k1800}), 8, false);
    EXPECT_EQ(view<WeekendInfo>(b).getSessInfos().size(), 8u);
    EXPECT_EQ(view<WeekendInfo>(b).racelaps(), 0);
  }
  const Bytes five = weekend({{5, 1, kLastSlot}});
  EXPECT_THROW(
      {
        try {
          view<WeekendInfo>(five).getSessInfos();
        } catch (const Error& e) {
          EXPECT_STREQ(e.what(), "Unknown session type: cast(SessT)5");
          throw;
        }
      },
      Error);
  EXPECT_THROW(view<WeekendInfo>(five).racelaps(), Error);
  const Bytes negative = weekend({{-3, 1, kLastSlot}});
  EXPECT_THROW(view<WeekendInfo>(negative).racelaps(), Error);
  const Bytes inconsistent = weekend({{kPractice, 0x7FFF, k1800}, {kRace, 12, kLastSlot}}, 3);
  try {
    view<WeekendInfo>(inconsistent).getSessInfos();
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Inconsistent session info");
  }
}

TEST(WeekendInfoTest, AnEmptySlotDropsTheWholeList) {
  for (const Bytes& b : {weekend({}, 5), weekend({{kPractice, 0x7FFF, k1800}, {0, 0, 0}}, 7, false)}) {
    ::testing::internal::CaptureStderr();
    const auto s = view<WeekendInfo>(b).getSessInfos();  // the count is not checked then
    EXPECT_EQ(warnings(::testing::internal::GetCapturedStderr()), Messages{"No session data found"});
    EXPECT_TRUE(s.empty());
  }
}

TEST(WeekendInfoTest, DecodeSessionLengths) {
  EXPECT_EQ(WeekendInfo::decodecas(0), 0);
  EXPECT_EQ(WeekendInfo::decodecas(-1), 0);
  EXPECT_EQ(WeekendInfo::decodecas(INT32_MIN), 0);
  EXPECT_EQ(WeekendInfo::decodecas(static_cast<std::int32_t>(floatBits(-1800.0f))), 0);
  EXPECT_EQ(WeekendInfo::decodecas(0x4913A800), 604800);
  EXPECT_EQ(WeekendInfo::decodecas(0x44E10000), 1800);
  for (const float v : {2.0f, 3.75f, 59.9f, 1073741824.0f, 123456.7f}) {
    EXPECT_EQ(WeekendInfo::decodecas(static_cast<std::int32_t>(floatBits(v))), static_cast<std::int32_t>(v)) << v;
  }
  // Beyond the range of session lengths the low 32 bits of the shifted
  // mantissa are kept: 2^31 wraps, 2^32 and 1.0 (a shift of 41) give 0.
  EXPECT_EQ(WeekendInfo::decodecas(static_cast<std::int32_t>(floatBits(2147483648.0f))), INT32_MIN);
  EXPECT_EQ(WeekendInfo::decodecas(static_cast<std::int32_t>(floatBits(4294967296.0f))), 0);
  EXPECT_EQ(WeekendInfo::decodecas(static_cast<std::int32_t>(floatBits(1.0f))), 0);
  // Every exponent is defined behaviour (checked under the sanitizers).
  for (std::int32_t e = 0; e < 256; ++e) WeekendInfo::decodecas((e << 23) | 0x7FFFFF);
}

TEST(WeekendInfoTest, DamageCheck) {
  const Bytes b = weekend({});
  const WeekendInfo& w = view<WeekendInfo>(b);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(w.chkdam(0x20), 0x20);
  EXPECT_EQ(w.chkdam(0xE0), 0xE0);
  EXPECT_EQ(w.chkdam(0x21), 0x21);
  EXPECT_EQ(warnings(::testing::internal::GetCapturedStderr()), Messages{"Unknown damage mode bit set: 100001"});
}

TEST(WeekendInfoTest, SessionListOnTheConsole) {
  const Bytes b = weekend({{kTesting, 0x7FFF, 0}, {kTesting, 5, 0}, {kPractice, 0x7FFF, k1800},
                           {kPractice, 3, k1800}, {kRace, 12, kLastSlot}, {kRace, 99, 0}});
  ::testing::internal::CaptureStdout();
  view<WeekendInfo>(b).dynSession();
  cout.flush();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Session: TESTING\nUnknown TESTING session data 5\nSession: PRACTICE length: 1800s\n"
            "Unknown PRACTICE session data 3\nSession: RACE laps: 12\n");
  const Bytes empty = weekend({});
  ::testing::internal::CaptureStderr();
  view<WeekendInfo>(empty).dynSession();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "No session data found.\n");
  EXPECT_THROW(view<WeekendInfo>(weekend({{8, 1, kLastSlot}})).dynSession(), Error);
}

TEST(WeekendInfoTest, Dump) {
  testsupport::WeekendRec rec;
  rec.mode = 9;
  rec.damage = 0x41;
  rec.ainum = 17;
  rec.unk1 = {1, 2, 3, 4};
  rec.slots = {{kRace, 12, kLastSlot}};
  Bytes bytes = rec.bytes();
  const WeekendInfo& w = view<WeekendInfo>(bytes);
  ::testing::internal::CaptureStderr();
  const std::string dump = w.toString();
  EXPECT_EQ(warnings(::testing::internal::GetCapturedStderr()), Messages{"Unknown damage mode bit set: 1000001"});
  const std::string zeros11 = "0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0";
  std::string zeros32 = "0";
  for (int i = 1; i < 32; ++i) zeros32 += ", 0";
  EXPECT_EQ(dump,
            "Weekend Info:\n"
            "track      : monza\n"
            "carset     : gpl67\n"
            "unk1       : [1, 2, 3, 4]\n"
            "mode       : 9 (?)\n"
            "unk2       : 0\n"
            "unk3       : [0, 0, 0]\n"
            "ainum      : 17\n"
            "unk4       : [" + zeros11 + "]\n"
            "damage     : 65 (1000001)\n"
            "unk5       : 0\n"
            "unk6 00(32): [" + zeros32 + "]\n"
            "sessions   : 1\n"
            "dyn    (32): [7, 0, 12, 0, 0, 168, 19, 73, 0, 0, 255, 127, 0, 0, 0, 0, 0, 0, 255, 127, 0, 0, 0, 0, 0, 0, "
            "255, 127, 0, 0, 0, 0]\n"
            "padding    : [32, 32, 32]\n"
            "racelaps D : 12\n");
  bytes[36] = 3;     // mode
  bytes[57] = 0x20;  // damage without unknown bits
  EXPECT_NE(view<WeekendInfo>(bytes).toString().find("mode       : 3 (Pro Short)\n"), std::string::npos);
}

// ---------------------------------------------------------------- driver info

TEST(DriverInfoTest, HometownAndDescriptionAsTextOrNumbers) {
  testsupport::DriverRec rec;
  rec.withHometown("15");
  std::string zeros = "0";
  for (int i = 1; i < 30; ++i) zeros += ", 0";
  const std::string numbers = "49, 53, " + zeros;
  {
    const Bytes b = rec.bytes();
    EXPECT_EQ(view<DriverInfo>(b).procHometown(), numbers);
    EXPECT_EQ(view<DriverInfo>(b).procDescr(), "0, 0, " + zeros);
  }
  rec.textflag = 1;
  std::copy_n("Notts", 5, rec.descr.begin());
  {
    const Bytes b = rec.bytes();
    EXPECT_EQ(view<DriverInfo>(b).procHometown(), "15");
    EXPECT_EQ(view<DriverInfo>(b).procDescr().substr(0, 12), "78, 111, 116");  // textflag does not count
  }
  rec.textflag = 0;
  rec.withHometown("NOT M\xfcnchen");
  std::copy_n("NOTTS", 5, rec.descr.begin());
  {
    const Bytes b = rec.bytes();
    EXPECT_EQ(view<DriverInfo>(b).procHometown(), "NOT M\xc3\xbcnchen");
    EXPECT_EQ(view<DriverInfo>(b).procDescr(), "NOTTS");
  }
  rec.withHometown("Not here");
  const Bytes b = rec.bytes();
  EXPECT_EQ(view<DriverInfo>(b).procHometown().substr(0, 11), "78, 111, 11");
}

TEST(DriverInfoTest, DumpLine) {
  testsupport::DriverRec rec;
  rec.firstName = "Alexander-the-Gr";  // 16 characters, no NUL
  rec.lastName = "Montgomery-Smith";
  rec.unk1 = 3;
  rec.country = 12;
  rec.withHometown("Dumfries");
  rec.textflag = 1;
  rec.driverid = 4;
  rec.make = 5;
  rec.carclass = 3;
  rec.color = {0x0A, 0x80, 0xFF};
  rec.unk2 = 1;
  rec.unk3 = 123;
  rec.carid = 7;
  rec.startnum = 10;
  rec.flag3 = 2;
  const Bytes b = rec.bytes();
  EXPECT_EQ(view<DriverInfo>(b).toString(), "Alexande|Montgomery|3!GBR|Dumfries" + std::string(37, ' ') +
                                               "| 4| 5| 3|0A80FF| 1!123! 7|10| 0!1|0!1\n");

  // Widths count characters, not bytes; a country outside the table shows "???".
  rec.firstName = std::string(10, '\xe9');
  rec.lastName = "\x80";
  rec.country = 29;
  const Bytes wide = rec.bytes();
  const std::string line = view<DriverInfo>(wide).toString();
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += "\xc3\xa9";
  EXPECT_EQ(line.substr(0, eight.size() + 16), eight + "|\xe2\x82\xac" + std::string(9, ' ') + "|3!");
  EXPECT_NE(line.find("3!???|"), std::string::npos);
  rec.country = -1;
  const Bytes negative = rec.bytes();
  EXPECT_NE(view<DriverInfo>(negative).toString().find("3!???|"), std::string::npos);
}

// ---------------------------------------------------------------- tables

TEST(ReferenceTables, CodesNamesAndCasts) {
  EXPECT_EQ(CountriesGPL.size(), 87u);
  EXPECT_EQ(countryCode(0), "ARG");
  EXPECT_EQ(countryCode(12), "GBR");
  EXPECT_EQ(countryCode(19), "HOL");
  EXPECT_EQ(countryCode(26), "USA");
  EXPECT_EQ(countryCode(28), "VEN");
  EXPECT_EQ(countryCode(29), "");
  EXPECT_EQ(countryCode(-1), "");
  EXPECT_EQ(ClassesGPL[0], "");
  EXPECT_EQ(ClassesGPL[3], GameModesGPL[5]);
  EXPECT_EQ(TeamsGPL[4], "Scuderia Ferrari SpA SEFAC");
  EXPECT_EQ(ChassisGPL[2], "Cooper T81b");
  EXPECT_EQ(EnginesGPL[5], "Ford DFV V8");
  EXPECT_EQ(toString(CarClass::GP), "GP");
  EXPECT_EQ(toString(static_cast<CarClass>(0)), "cast(CarClass)0");
  EXPECT_EQ(toString(CarMake::Honda), "Honda");
  EXPECT_EQ(toString(static_cast<CarMake>(7)), "cast(CarMake)7");
  EXPECT_EQ(toString(static_cast<CarMake>(-1)), "cast(CarMake)-1");
  EXPECT_EQ(toString(WeekendInfo::SessT::PRACTICE), "PRACTICE");
  EXPECT_EQ(toString(static_cast<WeekendInfo::SessT>(-2)), "cast(SessT)-2");
}

}  // namespace
}  // namespace marvolt
