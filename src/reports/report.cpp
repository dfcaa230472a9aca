#include "reports/report.hpp"

#include <algorithm>

#include "frontend/console.hpp"
#include "reports/repsemikv.hpp"
#include "reports/reptxt.hpp"

namespace marvolt {

std::string Report::toString() const {
  switch (format) {
    case Format::TXT: return reportTXT(data);
    case Format::SEMIKV: return reportSemiKV(data);
  }
  cerr.writeln("Output format not supported");
  return {};
}

std::vector<Entry> entriesByStartNumber(const Event& event) {
  std::vector<Entry> entries = event.entries.arrdup();
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.startNum < b.startNum; });
  return entries;
}

const Entry& entryOf(const Event& event, std::uint32_t carid) {
  static const Entry placeholder = Entry::placeholderEntry();
  const Entry* entry = event.entries.findCarid(carid);
  return entry != nullptr ? *entry : placeholder;
}

const Driver& driverOf(const Entry& entry, std::uint32_t driverid) {
  static const Driver placeholder = Driver::placeholder();
  for (const Driver& d : entry.drivers) {
    if (d.driverid == driverid) return d;
  }
  return placeholder;
}

std::u16string fullName(const Driver& driver) { return driver.firstName + u' ' + driver.lastName; }

}  // namespace marvolt
