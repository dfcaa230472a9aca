// The GPL replay: the replay file with its game and frame rate, the records
// overlaid on its chunks (replay info, weekend info, driver records, lap
// words), the reader that walks them, and the game's built-in tables.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "container/chunkfile.hpp"
#include "container/endian.hpp"
#include "frontend/enums.hpp"

namespace marvolt {

// ---------------------------------------------------------------- labels

inline constexpr ChunkHdr hdrRpyFile = ChunkHdr::make("YLPR", 0);
inline constexpr ChunkLbl lblRpyFile = hdrRpyFile.lbl;
inline constexpr ChunkHdr hdrRpyInfo = ChunkHdr::make("DHPR", 76);
inline constexpr ChunkLbl lblRpyInfo = hdrRpyInfo.lbl;
inline constexpr ChunkHdr hdrWeekendInfo = ChunkHdr::make("FNKW", 184);
inline constexpr ChunkLbl lblWeekendInfo = hdrWeekendInfo.lbl;
inline constexpr ChunkHdr hdrDriverInfoTab = ChunkHdr::make("SLRD", 0);
inline constexpr ChunkLbl lblDriverInfoTab = hdrDriverInfoTab.lbl;
inline constexpr ChunkHdr hdrDriverInfo = ChunkHdr::make("TNRD", 140);
inline constexpr ChunkLbl lblDriverInfo = hdrDriverInfo.lbl;
inline constexpr ChunkHdr hdrSessionLapTab = ChunkHdr::make("BTPL", 0);
inline constexpr ChunkLbl lblSessionLapTab = hdrSessionLapTab.lbl;
inline constexpr ChunkHdr hdrCarLaps = ChunkHdr::make("ORPL", 0);
inline constexpr ChunkLbl lblCarLaps = hdrCarLaps.lbl;

// ---------------------------------------------------------------- reference tables

/// Car makes of the game.
enum class CarMake : std::int32_t { Brabham = 0, BRM = 1, Cooper = 2, Eagle = 3, Ferrari = 4, Lotus = 5, Honda = 6 };
/// Car classes of the game.
enum class CarClass : std::int32_t { BT = 1, AT = 2, GP = 3 };
/// Game modes; named only through GameModesGPL.
enum class GameMode : std::int32_t {};
/// Damage setting flags; the known flags are bits 5 to 7.
enum class DamageMode : std::uint8_t { first = 32 };

/// Member name of a CarMake value, or "cast(CarMake)<n>".
std::string toString(CarMake make);
/// Member name of a CarClass value, or "cast(CarClass)<n>".
std::string toString(CarClass carClass);

extern const std::array<std::string_view, 6> GameModesGPL;
extern const std::array<std::string_view, 4> ClassesGPL;
extern const std::array<std::string_view, 7> TeamsGPL;
extern const std::array<std::string_view, 7> ChassisGPL;
extern const std::array<std::string_view, 7> EnginesGPL;
/// 29 three-letter nationality codes in one block; entry i is characters 3i to 3i + 2.
extern const std::string_view CountriesGPL;

/// The nationality code at `index`, or empty text outside 0 to 28.
std::string_view countryCode(std::int32_t index);

// ---------------------------------------------------------------- records

/// The replay info record ("DHPR").
struct RpyInfo {
  std::uint8_t track[16];
  ulittle32_t frames;
  ulittle32_t fsecsize;
  ulittle16_t lfsize;
  std::uint8_t unk1[2];
  ulittle32_t saverid;
  std::uint8_t first_name[16];
  std::uint8_t last_name[16];
  std::uint8_t unk2[4];
  ulittle32_t saved_first;
  ulittle32_t saved_last;

  /// The replay length in milliseconds (frames at 36 per second).
  std::int32_t mseclen() const;
  /// Diagnostic dump of every field.
  std::string toString() const;
};
static_assert(sizeof(RpyInfo) == 76 && alignof(RpyInfo) == 1);

/// One session slot of the weekend record.
struct SessSlot {
  little16_t type;
  little16_t laps;
  ulittle32_t length;
};
static_assert(sizeof(SessSlot) == 8 && alignof(SessSlot) == 1);

/// The weekend info record ("FNKW").
struct WeekendInfo {
  /// Session types.
  enum class SessT : std::int16_t { TESTING = 2, PRACTICE = 6, RACE = 7 };
  /// One decoded session slot.
  struct SessInfo {
    SessT type = SessT::TESTING;
    std::int16_t laps = 0;
    std::int32_t length = 0;
  };
  /// The length word of the slot that ends the session list (604800.0).
  static constexpr std::uint32_t kLastSlotLength = 0x4913A800;

  std::uint8_t track[16];
  std::uint8_t carset[16];
  std::uint8_t unk1[4];
  little32_t mode;
  std::uint8_t unk2;
  std::uint8_t unk3[3];
  ulittle16_t ainum;
  std::uint8_t unk4[11];
  std::uint8_t damage;
  std::uint8_t unk5;
  std::uint8_t unk6[54];
  ulittle32_t sessions;
  SessSlot dyn[8];
  std::uint8_t padding[3];

  /// The sessions of the weekend in slot order; warns and gives none at an empty slot.
  std::vector<SessInfo> getSessInfos() const;
  /// The integer part of the single-precision value whose bit pattern is `word`.
  static std::int32_t decodecas(std::int32_t word);
  /// Laps of the first race slot, 0 when none.
  std::int16_t racelaps() const;
  /// Writes the session list to the console.
  void dynSession() const;
  /// Warns about unknown damage bits; returns the byte unchanged.
  std::uint8_t chkdam(std::uint8_t damageByte) const;
  /// Diagnostic dump of every field.
  std::string toString() const;
};
static_assert(sizeof(WeekendInfo) == 184 && alignof(WeekendInfo) == 1);

/// Member name of a session type, or "cast(SessT)<n>".
std::string toString(WeekendInfo::SessT type);

/// One driver record ("TNRD").
struct DriverInfo {
  std::uint8_t first_name[16];
  std::uint8_t last_name[16];
  ulittle32_t unk1;
  little32_t country;
  std::uint8_t hometown[32];
  std::uint8_t descr[32];
  ulittle32_t driverid;
  little32_t make;
  little32_t carclass;
  std::uint8_t color[3];
  std::uint8_t unk2;
  ulittle32_t unk3;
  ulittle32_t carid;
  ulittle32_t startnum;
  ulittle32_t unk4;
  std::uint8_t textflag;
  std::uint8_t flag2;
  std::uint8_t flag3;
  std::uint8_t pad;

  /// The hometown as text, or its 32 bytes as numbers when it holds data.
  std::string procHometown() const;
  /// The description as text, or its 32 bytes as numbers when it holds data.
  std::string procDescr() const;
  /// One diagnostic dump line.
  std::string toString() const;
};
static_assert(sizeof(DriverInfo) == 140 && alignof(DriverInfo) == 1);

/// One line crossing: 24-bit clock and the flags byte.
struct LapTime {
  ulittle32_t word;

  /// The clock in milliseconds: the low 24 bits.
  std::uint32_t getTime() const { return word & 0xFFFFFFu; }
  /// The flags byte: the high 8 bits.
  std::uint8_t flags() const { return static_cast<std::uint8_t>(word >> 24); }
};
static_assert(sizeof(LapTime) == 4 && alignof(LapTime) == 1);

/// The crossings of one car in one session.
struct CarLaps {
  std::uint32_t carid = 0;
  std::span<const LapTime> laps;

  /// Diagnostic dump of the crossings.
  std::string toString() const;
};

/// The lap table of one saved session.
struct RpySession {
  std::uint32_t num = 0;
  std::vector<CarLaps> cars;
};

/// Views every "TNRD" chunk's data as a DriverInfo; `drivers` must be empty.
void fromSLRD(std::vector<const DriverInfo*>& drivers, const std::vector<Chunk>& chunks);

/// Views every "ORPL" chunk as a CarLaps; `cars` must be empty.
void fromBTPL(std::vector<CarLaps>& cars, const std::vector<Chunk>& chunks);

// ---------------------------------------------------------------- file and reader

/// The replay version of a chunk label: 2 for an outer label whose low byte
/// is 2, else the whole word.
std::uint32_t replayVersion(const ChunkLbl& lbl);

/// A replay file: a chunk container that knows its game and frame rate.
class RpyFile : public ChunkFile {
 public:
  /// Checks and maps the path; nothing is validated yet.
  explicit RpyFile(const std::string& path);
  /// Reads the caller's bytes in place under the file name `name`; the bytes
  /// must outlive the object. Nothing is validated yet.
  RpyFile(std::span<const std::uint8_t> bytes, std::string name);
  /// Maps another file and validates it.
  Chunk open(const std::string& path) override;
  /// Validates the file as a container and as a GPL replay; returns the outer chunk.
  Chunk open() override;
  /// Frames per second of a GPL replay; 0 for other games.
  virtual std::uint8_t fps() const;
  /// The game that saved the file.
  virtual Game game() const;
  /// The outer chunk.
  const Chunk& root() const { return root_; }

 private:
  Chunk root_;
};

/// Reads a GPL replay's records in their fixed order and keeps views of them.
class RpyGPL {
 public:
  /// Reads `file`, which must stay open while the reader is used.
  explicit RpyGPL(RpyFile& file);
  virtual ~RpyGPL() = default;
  /// Fills info, wkinfo, drivers and sessions from `file`.
  virtual void read(RpyFile& file);
  /// The replay's frame rate.
  virtual std::uint8_t fps() const;

  RpyFile* rpy = nullptr;
  const RpyInfo* info = nullptr;
  const WeekendInfo* wkinfo = nullptr;
  std::vector<const DriverInfo*> drivers;
  std::vector<RpySession> sessions;
};

}  // namespace marvolt
