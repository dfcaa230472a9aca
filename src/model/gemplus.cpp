#include "model/gemplus.hpp"

#include <cstring>

#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

constexpr std::int16_t kBaseYear = 1885;
constexpr std::int16_t kDefaultYear = 1967;
constexpr char kNone = '-';

// Offsets inside the fields: hometown (record offset 40) and descr (72).
constexpr std::size_t kMarker = 0, kYear = 1, kType = 2, kMinor = 3, kPatch = 4;
constexpr std::size_t kFlagChar = 5, kMakeChar = 6;

}  // namespace

bool GEM::hasGEM() const { return rec_->hometown[kMarker] == '1'; }

bool GEM::usesDescr() const { return std::memcmp(rec_->descr, "=W=W", 4) == 0; }

std::int16_t GEM::modYear() const {
  return hasGEM() ? static_cast<std::int16_t>(kBaseYear + rec_->hometown[kYear]) : kDefaultYear;
}

std::int8_t GEM::carType() const { return hasGEM() ? static_cast<std::int8_t>(rec_->hometown[kType]) : 0; }

std::uint8_t GEM::minor() const { return hasGEM() ? rec_->hometown[kMinor] : 0; }

std::uint8_t GEM::patchLevel() const { return hasGEM() ? rec_->hometown[kPatch] : 0; }

std::u16string GEM::verStr() const {
  if (!hasGEM()) return u"-";
  const FmtArg args[] = {minor(), patchLevel()};
  return toUtf16(formatLang("2.%d.%d", args));
}

char GEM::someFlag() const { return usesDescr() ? static_cast<char>(rec_->descr[kFlagChar]) : kNone; }

std::uint8_t GEM::someMake() const { return usesDescr() ? rec_->descr[kMakeChar] : kNone; }

std::uint32_t GEM::someMakeToChassisID() const {
  if (!usesDescr()) return static_cast<std::uint32_t>(rec_->make.value());
  std::uint8_t c = rec_->descr[kMakeChar];
  if (c == ' ') c = static_cast<std::uint8_t>(c + 0x40);
  // Characters below '$' (other than the space) give a negative id, which
  // wraps around as an unsigned number.
  return static_cast<std::uint32_t>((c >> 2) - 9);
}

}  // namespace marvolt
