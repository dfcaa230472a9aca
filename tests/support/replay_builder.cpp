#include "support/replay_builder.hpp"

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

// Appends a little-endian 16-bit value.
void putLe16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// Appends a little-endian 32-bit value.
void putLe32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Appends `text` as a fixed-width field, NUL-padded (cut when longer).
void putText(Bytes& out, std::string_view text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

void putBytes(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

}  // namespace

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes concat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts) putBytes(out, p);
  return out;
}

Bytes rawChunk(std::string_view label, std::uint32_t sizeField, const Bytes& payload, std::uint32_t version) {
  Bytes out;
  putText(out, label, 4);
  putLe32(out, version);
  putLe32(out, sizeField);
  putBytes(out, payload);
  return out;
}

Bytes chunk(std::string_view label, const Bytes& payload, std::uint32_t version) {
  Bytes out = rawChunk(label, static_cast<std::uint32_t>(payload.size()), payload, version);
  while (out.size() % 4 != 0) out.push_back(0);
  return out;
}

Bytes container(std::string_view label, const std::vector<Bytes>& children, std::uint32_t version) {
  return chunk(label, concat(children), version);
}

Bytes outerFile(std::uint32_t versionWord, const Bytes& content) { return chunk("YLPR", content, versionWord); }

std::uint32_t floatBits(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, 4);
  return bits;
}

std::uint32_t lapWord(std::uint32_t clock, std::uint8_t flags) {
  return (clock & 0xFFFFFF) | (static_cast<std::uint32_t>(flags) << 24);
}

Bytes RpyInfoRec::bytes() const {
  Bytes out;
  putText(out, track, 16);
  putLe32(out, frames);
  putLe32(out, fsecsize);
  putLe16(out, lfsize);
  out.insert(out.end(), unk1.begin(), unk1.end());
  putLe32(out, saverid);
  putText(out, firstName, 16);
  putText(out, lastName, 16);
  out.insert(out.end(), unk2.begin(), unk2.end());
  putLe32(out, savedFirst);
  putLe32(out, savedLast.value_or(savedFirst - 1));
  return out;
}

Bytes WeekendRec::bytes() const {
  Bytes out;
  putText(out, track, 16);
  putText(out, carset, 16);
  out.insert(out.end(), unk1.begin(), unk1.end());
  putLe32(out, static_cast<std::uint32_t>(mode));
  out.push_back(0);            // unk2
  out.insert(out.end(), 3, 0); // unk3
  putLe16(out, ainum);
  out.insert(out.end(), 11, 0);  // unk4
  out.push_back(damage);
  out.push_back(0);              // unk5
  out.insert(out.end(), 54, 0);  // unk6
  std::vector<SessSlotRec> used = slots;
  bool terminated = false;
  for (const SessSlotRec& slot : used) terminated = terminated || slot.lengthWord == kLastSlot;
  if (terminate && !terminated && !used.empty()) used.back().lengthWord = kLastSlot;
  std::size_t count = used.size();
  for (std::size_t i = 0; i < used.size(); ++i) {
    if (used[i].lengthWord == kLastSlot) {
      count = i + 1;
      break;
    }
  }
  putLe32(out, sessionsField >= 0 ? static_cast<std::uint32_t>(sessionsField) : static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < 8; ++i) {
    const SessSlotRec slot = i < used.size() ? used[i] : SessSlotRec{};
    putLe16(out, static_cast<std::uint16_t>(slot.type));
    putLe16(out, static_cast<std::uint16_t>(slot.laps));
    putLe32(out, slot.lengthWord);
  }
  out.insert(out.end(), 3, ' ');
  return out;
}

DriverRec& DriverRec::withHometown(std::string_view text) {
  hometown.fill(0);
  for (std::size_t i = 0; i < text.size() && i < hometown.size(); ++i) hometown[i] = static_cast<std::uint8_t>(text[i]);
  return *this;
}

DriverRec& DriverRec::withGem(int year, std::uint8_t minor, std::uint8_t patch, std::int8_t carType) {
  hometown.fill(0);
  hometown[0] = '1';
  hometown[1] = static_cast<std::uint8_t>(year - 1885);
  hometown[2] = static_cast<std::uint8_t>(carType);
  hometown[3] = minor;
  hometown[4] = patch;
  return *this;
}

Bytes DriverRec::bytes() const {
  Bytes out;
  putText(out, firstName, 16);
  putText(out, lastName, 16);
  putLe32(out, unk1);
  putLe32(out, static_cast<std::uint32_t>(country));
  out.insert(out.end(), hometown.begin(), hometown.end());
  out.insert(out.end(), descr.begin(), descr.end());
  putLe32(out, driverid);
  putLe32(out, static_cast<std::uint32_t>(make));
  putLe32(out, static_cast<std::uint32_t>(carclass));
  out.insert(out.end(), color.begin(), color.end());
  out.push_back(unk2);
  putLe32(out, unk3);
  putLe32(out, carid);
  putLe32(out, startnum);
  putLe32(out, unk4);
  out.push_back(textflag);
  out.push_back(flag2);
  out.push_back(flag3);
  out.push_back(' ');
  return out;
}

CarLapsRec CarLapsRec::fromClocks(std::uint32_t carid, const std::vector<std::uint32_t>& clocks) {
  CarLapsRec rec;
  rec.carid = carid;
  for (const std::uint32_t c : clocks) rec.words.push_back(lapWord(c));
  return rec;
}

Bytes CarLapsRec::chunkBytes() const {
  Bytes payload;
  putLe32(payload, carid);
  for (const std::uint32_t w : words) putLe32(payload, w);
  return chunk("ORPL", payload);
}

DriverRec& ReplayBuilder::addDriver(std::uint32_t startnum, std::uint32_t carid, std::string first,
                                    std::string last, std::int32_t make) {
  DriverRec d;
  d.startnum = startnum;
  d.carid = carid;
  d.driverid = carid;
  d.firstName = std::move(first);
  d.lastName = std::move(last);
  d.make = make;
  drivers.push_back(d);
  return drivers.back();
}

void ReplayBuilder::addSlot(std::int16_t type, std::int16_t laps, float seconds) {
  weekend.slots.push_back({type, laps, floatBits(seconds)});
}

Bytes ReplayBuilder::content() const {
  std::vector<Bytes> driverChunks;
  for (const DriverRec& d : drivers) driverChunks.push_back(chunk("TNRD", d.bytes()));
  RpyInfoRec infoRec = info;
  if (!infoRec.savedLast) infoRec.savedLast = infoRec.savedFirst + static_cast<std::uint32_t>(sessions.size()) - 1;
  WeekendRec weekendRec = weekend;
  if (weekendRec.slots.empty()) weekendRec.slots.push_back({kRace, 10, kLastSlot});
  Bytes out = concat({chunk("DHPR", infoRec.bytes()), chunk("FNKW", weekendRec.bytes()), container("SLRD", driverChunks)});
  for (const auto& session : sessions) {
    std::vector<Bytes> cars;
    for (const CarLapsRec& car : session) cars.push_back(car.chunkBytes());
    putBytes(out, container("BTPL", cars));
  }
  putBytes(out, trailer);
  return out;
}

Bytes ReplayBuilder::build() const { return outerFile(versionWord, content()); }

ReplayBuilder raceOfFive() {
  ReplayBuilder b;
  b.addSlot(kRace, 4, 604800.0f);
  for (std::uint32_t id = 1; id <= 5; ++id) b.addDriver(10 + id, id, "Driver", std::to_string(id)).driverid = id;
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 100, 190}),
                        CarLapsRec::fromClocks(4, {12, 110, 200, 295, 381}),
                        CarLapsRec::fromClocks(2, {12, 105, 200, 290, 380}),
                        CarLapsRec::fromClocks(3, {15, 140, 300, 460}), CarLapsRec{5, {}}});
  return b;
}

void writeText(const std::string& path, std::string_view text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error("cannot write " + path);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void writeFile(const std::string& path, const Bytes& bytes) {
  writeText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace testsupport
