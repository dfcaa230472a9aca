// Builds replay files byte by byte for the tests: chunks with any label,
// version, size and payload, the fixed records of a GPL replay, whole
// replays, and deliberately malformed variants.
#pragma once

#include <array>
#include <optional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

/// The bytes of a text, without terminator.
Bytes bytesOf(std::string_view text);
/// The concatenation of byte blocks.
Bytes concat(const std::vector<Bytes>& parts);

/// A chunk: header (label, version, size = payload size), payload, zero padding to 4.
Bytes chunk(std::string_view label, const Bytes& payload, std::uint32_t version = 0);
/// A chunk whose size field is `sizeField`; the payload is written as given, unpadded.
Bytes rawChunk(std::string_view label, std::uint32_t sizeField, const Bytes& payload, std::uint32_t version = 0);
/// A container chunk holding the given children.
Bytes container(std::string_view label, const std::vector<Bytes>& children, std::uint32_t version = 0);
/// A whole container file: "YLPR", the version word, the size, the content, padding.
Bytes outerFile(std::uint32_t versionWord, const Bytes& content);

/// The bit pattern of a single-precision value.
std::uint32_t floatBits(float value);
/// The length word that ends the session list (604800.0 seconds).
constexpr std::uint32_t kLastSlot = 0x4913A800;
/// Session types as stored in a slot.
constexpr std::int16_t kTesting = 2, kPractice = 6, kRace = 7;
/// A lap word: 24-bit clock and the flags byte.
std::uint32_t lapWord(std::uint32_t clock, std::uint8_t flags = 0);

/// The replay info record ("DHPR", 76 bytes).
struct RpyInfoRec {
  std::string track = "monza";
  std::uint32_t frames = 36000;
  std::uint32_t fsecsize = 0;
  std::uint16_t lfsize = 0;
  std::array<std::uint8_t, 2> unk1 = {0, 0};
  std::uint32_t saverid = 1;
  std::string firstName = "Saver";
  std::string lastName = "Person";
  std::array<std::uint8_t, 4> unk2 = {0, 0, 0, 0};
  std::uint32_t savedFirst = 0;
  std::optional<std::uint32_t> savedLast;   ///< none: consistent with the lap tables written
  /// The 76 record bytes.
  Bytes bytes() const;
};

/// One session slot of the weekend record.
struct SessSlotRec {
  std::int16_t type = 0;
  std::int16_t laps = 0x7FFF;
  std::uint32_t lengthWord = 0;
};

/// The weekend info record ("FNKW", 184 bytes).
struct WeekendRec {
  std::string track = "monza";
  std::string carset = "gpl67";
  std::array<std::uint8_t, 4> unk1 = {0, 0, 0, 0};
  std::int32_t mode = 5;
  std::uint8_t damage = 0x20;
  std::uint16_t ainum = 0;
  std::vector<SessSlotRec> slots;   ///< up to 8; the rest are zero (a replay builder adds a race when none)
  int sessionsField = -1;           ///< the `sessions` count; -1: the number of slots up to the last
  bool terminate = true;            ///< give the last slot the end-of-list length word
  /// The 184 record bytes.
  Bytes bytes() const;
};

/// One driver record ("TNRD", 140 bytes).
struct DriverRec {
  std::string firstName = "First";
  std::string lastName = "Last";
  std::uint32_t unk1 = 0;
  std::int32_t country = 12;
  std::array<std::uint8_t, 32> hometown{};
  std::array<std::uint8_t, 32> descr{};
  std::uint32_t driverid = 0;
  std::int32_t make = 0;
  std::int32_t carclass = 3;
  std::array<std::uint8_t, 3> color = {0, 0, 0};
  std::uint8_t unk2 = 0;
  std::uint32_t unk3 = 0;
  std::uint32_t carid = 0;
  std::uint32_t startnum = 0;
  std::uint32_t unk4 = 0;
  std::uint8_t textflag = 0;
  std::uint8_t flag2 = 0;
  std::uint8_t flag3 = 0;
  /// Stores a hometown text.
  DriverRec& withHometown(std::string_view text);
  /// Stores GEM+ data in the hometown field: marker, year - 1885, type, minor, patch.
  DriverRec& withGem(int year, std::uint8_t minor, std::uint8_t patch, std::int8_t carType = 0);
  /// The 140 record bytes.
  Bytes bytes() const;
};

/// The crossings of one car in one session.
struct CarLapsRec {
  std::uint32_t carid = 0;
  std::vector<std::uint32_t> words;
  /// Laps from crossing clocks without flags.
  static CarLapsRec fromClocks(std::uint32_t carid, const std::vector<std::uint32_t>& clocks);
  /// The "ORPL" chunk.
  Bytes chunkBytes() const;
};

/// A whole GPL replay.
struct ReplayBuilder {
  std::uint32_t versionWord = 0x2402;
  RpyInfoRec info;
  WeekendRec weekend;
  std::vector<DriverRec> drivers;
  std::vector<std::vector<CarLapsRec>> sessions;
  Bytes trailer;   ///< bytes after the lap tables (the rest of a replay)

  /// Adds a driver with start number, car id, driver id and make; returns it.
  DriverRec& addDriver(std::uint32_t startnum, std::uint32_t carid, std::string first, std::string last,
                       std::int32_t make = 0);
  /// Adds a weekend session slot; the last slot ends the list (WeekendRec::terminate).
  void addSlot(std::int16_t type, std::int16_t laps, float seconds);
  /// The outer chunk's content: records, driver table, lap tables, trailer.
  Bytes content() const;
  /// The whole file.
  Bytes build() const;
};

/// A race of five cars (car ids 1 to 5 with start numbers 11 to 15) in
/// lap-list order 1, 4, 2, 3, 5: car 1 leads two laps and stops while
/// leading; car 2 wins, car 4 ties it on crossings 0 and 2 and stays ahead
/// there by lap-list order; car 3 is lapped; car 5 never crosses the line.
ReplayBuilder raceOfFive();

/// Writes bytes to a file (throws on failure).
void writeFile(const std::string& path, const Bytes& bytes);
/// Writes text to a file.
void writeText(const std::string& path, std::string_view text);
/// Reads a whole file.
std::string readFile(const std::string& path);

}  // namespace testsupport
