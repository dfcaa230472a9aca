// Little-endian integer fields for records overlaid on mapped file bytes.
// Each type has alignment 1 and the exact size of its integer, so a record
// built from them is packed and can be viewed at any file offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace marvolt {

/// An integer of type T stored as sizeof(T) little-endian bytes.
template <typename T>
struct LittleEndian {
  std::uint8_t bytes[sizeof(T)];

  /// The stored value.
  constexpr T value() const {
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) v = static_cast<U>((v << 8) | bytes[i]);
    return static_cast<T>(v);
  }
  /// The stored value, so a field reads like a plain integer.
  constexpr operator T() const { return value(); }
};

using ulittle16_t = LittleEndian<std::uint16_t>;
using ulittle32_t = LittleEndian<std::uint32_t>;
using little16_t = LittleEndian<std::int16_t>;
using little32_t = LittleEndian<std::int32_t>;

static_assert(sizeof(ulittle16_t) == 2 && alignof(ulittle16_t) == 1);
static_assert(sizeof(ulittle32_t) == 4 && alignof(ulittle32_t) == 1);
static_assert(sizeof(little16_t) == 2 && alignof(little16_t) == 1);
static_assert(sizeof(little32_t) == 4 && alignof(little32_t) == 1);

}  // namespace marvolt
