#include "replay/rpylib.hpp"

#include <cassert>
#include <cstring>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

constexpr std::int16_t kUnlimitedLaps = 0x7FFF;
constexpr std::uint64_t kLabelSize = 8;
constexpr std::uint64_t kCarIdSize = 4;

/// Formats one line of a dump in the program's format language.
template <typename... A>
std::string line(std::string_view format, const A&... args) {
  const FmtArg list[] = {FmtArg(args)...};
  return formatLang(format, list);
}

/// Wide text of a fixed-width Windows-1252 field.
template <std::size_t N>
std::u16string text(const std::uint8_t (&field)[N]) {
  return fromCodePage(std::span<const std::uint8_t>(field, N));
}

/// Bytes as decimal numbers separated by ", ".
std::string numbers(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) out += ", ";
    out += std::to_string(bytes[i]);
  }
  return out;
}

/// Bytes as a bracketed list of decimal numbers: "[0, 12]".
std::string byteList(std::span<const std::uint8_t> bytes) {
  std::string out = "[";   // appended, not concatenated: g++ 12 -O3 warns falsely on "[" + text
  out += numbers(bytes);
  out += ']';
  return out;
}

/// Whether a field begins with the three letters "NOT", which mark it as text.
bool startsWithNot(const std::uint8_t (&field)[32]) { return std::memcmp(field, "NOT", 3) == 0; }

/// A 32-byte field as text, or as its bytes in decimal when it holds data.
std::string textOrNumbers(const std::uint8_t (&field)[32], bool isText) {
  if (isText) return toUtf8(text(field));
  return numbers(field);
}

const char* sessTName(WeekendInfo::SessT type) {
  switch (type) {
    case WeekendInfo::SessT::TESTING: return "TESTING";
    case WeekendInfo::SessT::PRACTICE: return "PRACTICE";
    case WeekendInfo::SessT::RACE: return "RACE";
  }
  return nullptr;
}

[[noreturn]] void unknownSessionType(std::int16_t type) {
  throw Error("Unknown session type: " + toString(static_cast<WeekendInfo::SessT>(type)));
}

}  // namespace

// ---------------------------------------------------------------- reference tables

const std::array<std::string_view, 6> GameModesGPL = {
    "Novice", "Intermediate Short", "Intermediate Long", "Pro Short", "Pro Long", "Grand Prix",
};

const std::array<std::string_view, 4> ClassesGPL = {"", "Basic Trainer", "Advanced Trainer", "Grand Prix"};

const std::array<std::string_view, 7> TeamsGPL = {
    "Brabham Racing Organisation", "Owen Racing Organisation", "Cooper Car Company", "Anglo American Racers",
    "Scuderia Ferrari SpA SEFAC",  "Team Lotus",              "Honda Racing",
};

const std::array<std::string_view, 7> ChassisGPL = {
    "Brabham BT24", "BRM P115", "Cooper T81b", "Gurney Eagle", "Ferrari 312", "Lotus 49", "Honda RA300",
};

const std::array<std::string_view, 7> EnginesGPL = {
    "Repco V8", "BRM H16", "Maserati V12", "Weslake V12", "Ferrari V12", "Ford DFV V8", "Honda V12",
};

const std::string_view CountriesGPL =
    "ARGAUSAUTBELBRACANCHICOLDENFINFRAGERGBRIREITAJPNMEXMONMORHOLNZLPORRSASPASWESUIUSAURUVEN";

std::string_view countryCode(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) * 3 + 3 > CountriesGPL.size()) return {};
  return CountriesGPL.substr(static_cast<std::size_t>(index) * 3, 3);
}

std::string toString(CarMake make) {
  static const char* const names[] = {"Brabham", "BRM", "Cooper", "Eagle", "Ferrari", "Lotus", "Honda"};
  const auto v = static_cast<std::int32_t>(make);
  return enumText("CarMake", v >= 0 && v < 7 ? names[v] : nullptr, v);
}

std::string toString(CarClass carClass) {
  static const char* const names[] = {"BT", "AT", "GP"};
  const auto v = static_cast<std::int32_t>(carClass);
  return enumText("CarClass", v >= 1 && v <= 3 ? names[v - 1] : nullptr, v);
}

std::string toString(WeekendInfo::SessT type) {
  return enumText("SessT", sessTName(type), static_cast<std::int16_t>(type));
}

// ---------------------------------------------------------------- RpyInfo

std::int32_t RpyInfo::mseclen() const {
  // 32-bit unsigned on purpose: exact up to 4,294,967 frames, wraps beyond.
  const std::uint32_t msec = frames.value() * 1000u / 36u;
  return static_cast<std::int32_t>(msec);
}

std::string RpyInfo::toString() const {
  std::string out = "Replay Info:\n";
  out += line("track      : %s\n", text(track));
  out += line("frames     : %s (%ds)\n", frames.value(), mseclen() / 1000);
  out += line("fsecsize   : %s\n", fsecsize.value());
  out += line("lfsize     : %s\n", lfsize.value());
  out += line("unk1       : %s\n", byteList(unk1));
  out += line("saverid    : %s\n", saverid.value());
  out += line("first_name : %s\n", text(first_name));
  out += line("last_name  : %s\n", text(last_name));
  out += line("unk2       : %s\n", byteList(unk2));
  out += line("saved sess : %d-%d\n", saved_first.value(), saved_last.value());
  return out;
}

// ---------------------------------------------------------------- WeekendInfo

std::vector<WeekendInfo::SessInfo> WeekendInfo::getSessInfos() const {
  std::vector<SessInfo> list;
  for (const SessSlot& slot : dyn) {
    const std::int16_t type = slot.type;
    const SessInfo info{static_cast<SessT>(type), slot.laps, decodecas(static_cast<std::int32_t>(slot.length.value()))};
    if (type == 0) {
      MARVOLT_WARN("No session data found");
      return {};
    }
    if (sessTName(info.type) == nullptr) unknownSessionType(type);
    list.push_back(info);
    if (slot.length == kLastSlotLength) break;
  }
  if (sessions != list.size()) throw Error("Inconsistent session info");
  return list;
}

std::int32_t WeekendInfo::decodecas(std::int32_t word) {
  if (word <= 0) return 0;
  const auto x = static_cast<std::uint32_t>(word);
  const std::uint32_t e = (x >> 23) & 0x3F;
  const std::uint64_t m = (x & 0xFFFFFFu) | 0x800000u;
  // Exponents above 22 shift left. Only 2^30 and below fit; for larger or
  // out-of-range exponents (which no session length has) the shift is done
  // in 64 bits and the low 32 bits are kept, so the result is defined for
  // every word: a shift of 32 or more gives 0.
  const std::uint64_t value = e > 22 ? m << (e - 22) : m >> (22 - e);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int16_t WeekendInfo::racelaps() const {
  for (const SessSlot& slot : dyn) {
    const std::int16_t type = slot.type;
    switch (static_cast<SessT>(type)) {
      case SessT::RACE: return slot.laps;
      case SessT::TESTING:
      case SessT::PRACTICE: break;
      default:
        if (type != 0) unknownSessionType(type);
        break;
    }
    if (slot.length == kLastSlotLength) return 0;
  }
  return 0;
}

void WeekendInfo::dynSession() const {
  for (const SessSlot& slot : dyn) {
    const std::int16_t type = slot.type;
    const std::int16_t laps = slot.laps;
    if (type == 0) {
      cerr.writeln("No session data found.");
      return;
    }
    switch (static_cast<SessT>(type)) {
      case SessT::TESTING:
        if (laps == kUnlimitedLaps) {
          cout.writeln("Session: TESTING");
        } else {
          cout.writefln("Unknown TESTING session data %s", laps);
        }
        break;
      case SessT::PRACTICE:
        if (laps == kUnlimitedLaps) {
          cout.writefln("Session: PRACTICE length: %ss", decodecas(static_cast<std::int32_t>(slot.length.value())));
        } else {
          cout.writefln("Unknown PRACTICE session data %s", laps);
        }
        break;
      case SessT::RACE: cout.writefln("Session: RACE laps: %d", laps); break;
      default: unknownSessionType(type);
    }
    if (slot.length == kLastSlotLength) return;
  }
}

std::uint8_t WeekendInfo::chkdam(std::uint8_t damageByte) const {
  if ((damageByte & 0x1F) != 0) MARVOLT_WARN("Unknown damage mode bit set: %b", damageByte);
  return damageByte;
}

std::string WeekendInfo::toString() const {
  const std::int32_t modeValue = mode;
  const std::string_view modeName =
      modeValue >= 0 && static_cast<std::size_t>(modeValue) < GameModesGPL.size() ? GameModesGPL[modeValue] : "?";
  const auto* dynBytes = reinterpret_cast<const std::uint8_t*>(dyn);

  std::string out = "Weekend Info:\n";
  out += line("track      : %s\n", text(track));
  out += line("carset     : %s\n", text(carset));
  out += line("unk1       : %s\n", byteList(unk1));
  out += line("mode       : %d (%s)\n", modeValue, modeName);
  out += line("unk2       : %s\n", unk2);
  out += line("unk3       : %s\n", byteList(unk3));
  out += line("ainum      : %s\n", ainum.value());
  out += line("unk4       : %s\n", byteList(unk4));
  const std::uint8_t checked = chkdam(damage);
  out += line("damage     : %d (%b)\n", checked, damage);
  out += line("unk5       : %s\n", unk5);
  out += line("unk6 00(32): %s\n", byteList(std::span<const std::uint8_t>(unk6, 32)));
  out += line("sessions   : %s\n", sessions.value());
  out += line("dyn    (32): %s\n", byteList(std::span<const std::uint8_t>(dynBytes, 32)));
  out += line("padding    : %s\n", byteList(padding));
  out += line("racelaps D : %s\n", racelaps());
  return out;
}

// ---------------------------------------------------------------- DriverInfo

std::string DriverInfo::procHometown() const {
  return textOrNumbers(hometown, textflag != 0 || startsWithNot(hometown));
}

std::string DriverInfo::procDescr() const { return textOrNumbers(descr, startsWithNot(descr)); }

std::string DriverInfo::toString() const {
  const std::string_view code = countryCode(country);
  std::string out;
  out += line("%-8.8s|", text(first_name));
  out += line("%-10.10s|", text(last_name));
  out += line("%d!", unk1.value());
  out += line("%3.3s|", code.empty() ? std::string_view("???") : code);
  out += line("%-45.45s|", procHometown());
  out += line("%2d|", driverid.value());
  out += line("%2d|", make.value());
  out += line("%2d|", carclass.value());
  out += line("%02X%02X%02X|", color[0], color[1], color[2]);
  out += line("%2d!", unk2);
  out += line("%2d!", unk3.value());
  out += line("%2d|", carid.value());
  out += line("%2d|", startnum.value());
  out += line("%2d!", unk4.value());
  out += line("%d|", textflag != 0 ? 1 : 0);
  out += line("%d!", flag2 != 0 ? 1 : 0);
  out += line("%d\n", flag3 != 0 ? 1 : 0);
  return out;
}

void fromSLRD(std::vector<const DriverInfo*>& drivers, const std::vector<Chunk>& chunks) {
  assert(drivers.empty());
  for (const Chunk& c : chunks) {
    if (c.dsize() < sizeof(DriverInfo)) {
      throw Error(fmt::format("Error reading file {}: chunk '{}' at offset {} is too short for a driver record ({} < {})",
                              c.file().filename(), c.label(), c.offset(), c.dsize(), sizeof(DriverInfo)));
    }
    // A longer chunk is accepted; the record is its first 140 bytes.
    drivers.push_back(reinterpret_cast<const DriverInfo*>(c.slice(0, sizeof(DriverInfo)).data()));
  }
}

// ---------------------------------------------------------------- lap tables

std::string CarLaps::toString() const {
  std::string out = line("Laps for car id %d\n", carid);
  for (std::size_t i = 0; i < laps.size(); ++i) out += line("lap %3d: %d [%d]\n", i, laps[i].getTime(), laps[i].flags());
  return out;
}

void fromBTPL(std::vector<CarLaps>& cars, const std::vector<Chunk>& chunks) {
  assert(cars.empty());
  for (const Chunk& c : chunks) {
    const std::uint64_t size = c.dsize();
    if (size < kCarIdSize) {
      throw Error(fmt::format("Error reading file {}: chunk '{}' at offset {} is too short for a car id ({} < {})",
                              c.file().filename(), c.label(), c.offset(), size, kCarIdSize));
    }
    const auto data = c.data();
    CarLaps car;
    car.carid = reinterpret_cast<const ulittle32_t*>(data.data())->value();
    const auto words = data.subspan(kCarIdSize);
    car.laps = {reinterpret_cast<const LapTime*>(words.data()), words.size() / sizeof(LapTime)};
    cars.push_back(car);
  }
}

// ---------------------------------------------------------------- RpyFile

std::uint32_t replayVersion(const ChunkLbl& lbl) {
  if (lbl.label() == lblRpyFile.label() && lbl.ver.bytes[0] == 2) return 2;
  return lbl.ver;
}

RpyFile::RpyFile(const std::string& path) : ChunkFile(path), root_(getChunk(0)) { verFn = replayVersion; }

RpyFile::RpyFile(std::span<const std::uint8_t> bytes, std::string name)
    : ChunkFile(bytes, std::move(name)), root_(getChunk(0)) {
  verFn = replayVersion;
}

Chunk RpyFile::open(const std::string& path) {
  // The container re-maps the file and then validates it through open().
  return ChunkFile::open(path);
}

Chunk RpyFile::open() {
  // Point at the current mapping first: a failed check must not leave a
  // view into a mapping that open(path) has already replaced.
  root_ = getChunk(0);
  root_ = ChunkFile::open();
  if (flbl()->label() != lblRpyFile.label()) throw Error(line("Bad file label (%s)", flbl()->label()));
  const Game g = game();
  if (g != Game::GPL) throw Error(line("Unsupported rpy version (%d - %s)", ver(), marvolt::toString(g)));
  return root_;
}

Game RpyFile::game() const {
  const std::uint32_t v = root_.ver();
  if (v <= 2) return Game::GPL;
  if (v == 3) return Game::N4;
  if (v == 5) return Game::N2K3;
  if (v >= 9 && v <= 15) return Game::IRAC;
  return Game::UNK;
}

std::uint8_t RpyFile::fps() const {
  if (root_.ver() > 2) return 0;
  const auto rate = static_cast<std::uint8_t>(ver() >> 8);
  return rate != 0 ? rate : 36;
}

// ---------------------------------------------------------------- RpyGPL

RpyGPL::RpyGPL(RpyFile& file) : rpy(&file) { read(file); }

void RpyGPL::read(RpyFile& file) {
  drivers.clear();
  sessions.clear();
  const Chunk& root = file.root();
  std::uint64_t p = 0;
  p += innerChunk(root, lblRpyInfo, info, p);
  p += innerChunk(root, lblWeekendInfo, wkinfo, p);

  std::vector<Chunk> list;
  p += chunkArray(root, lblDriverInfoTab, lblDriverInfo, list, p);
  fromSLRD(drivers, list);

  std::uint32_t n = info->saved_first;
  const std::uint64_t end = root.dsize();
  while (p < end) {
    // Whatever follows the lap tables is not read beyond its label. A label
    // cut off by the end of the data cannot even be looked at: the checked
    // step reports it, like a lap table cut off there, as an overrun.
    if (end - p < kLabelSize) innerChunk(root, lblSessionLapTab, p);
    const Chunk next = innerChunk(root, p);
    if (next.label() != lblSessionLapTab.label()) break;
    list.clear();
    RpySession session;
    session.num = n++;
    p += chunkArray(root, lblSessionLapTab, lblCarLaps, list, p);
    fromBTPL(session.cars, list);
    sessions.push_back(std::move(session));
  }

  if (info->saved_last + 1u != n) MARVOLT_WARN("Inconsistent session data.");
}

std::uint8_t RpyGPL::fps() const { return rpy->fps(); }

}  // namespace marvolt
