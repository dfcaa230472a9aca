// GEM+ data inside a driver record: the GEM+ add-on keeps a car's model
// year, its own version and a few more values in the bytes of the
// record's hometown and description fields.
#pragma once

#include <cstdint>
#include <string>

#include "replay/rpylib.hpp"

namespace marvolt {

/// A read-only view of the GEM+ data of one driver record; the record must
/// outlive the view.
class GEM {
 public:
  /// Views `record`.
  explicit GEM(const DriverInfo& record) : rec_(&record) {}
  /// Views the record `record` points to (never null).
  explicit GEM(const DriverInfo* record) : rec_(record) {}

  /// Whether the hometown field carries GEM+ data (it starts with "1").
  bool hasGEM() const;
  /// Whether the description field carries GEM+ data (it starts with "=W=W").
  bool usesDescr() const;
  /// The car's model year: 1885 plus the stored byte, else 1967.
  std::int16_t modYear() const;
  /// The car type, 0 without GEM+ data.
  std::int8_t carType() const;
  /// The minor version of the GEM+ release that wrote the data, else 0.
  std::uint8_t minor() const;
  /// The patch level of that release, else 0.
  std::uint8_t patchLevel() const;
  /// "2.<minor>.<patch>", or "-" without GEM+ data.
  std::u16string verStr() const;
  /// The flag character of the description data, else '-'.
  char someFlag() const;
  /// The make character of the description data, else '-'.
  std::uint8_t someMake() const;
  /// The chassis id encoded by the make character, else the record's make.
  std::uint32_t someMakeToChassisID() const;

 private:
  const DriverInfo* rec_;
};

}  // namespace marvolt
