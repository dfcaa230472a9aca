#include "reports/report.hpp"

#include <algorithm>

#include "frontend/console.hpp"
#include "reports/rephtml.hpp"
#include "reports/repjson.hpp"
#include "reports/repsemikv.hpp"
#include "reports/reptxt.hpp"
#include "timing/timing.hpp"

namespace marvolt {

std::string Report::toString() const {
  switch (format) {
    case Format::TXT: return reportTXT(data, sections);
    case Format::SEMIKV: return reportSemiKV(data, sections);
    case Format::JSON: return reportJSON(data, sections);
    case Format::HTML: return reportHTML(data, sections);
  }
  cerr.writeln("Output format not supported");
  return {};
}

std::vector<const Entry*> entriesByStartNumber(const Event& event) {
  // The listing sorts views of the entries; copying them would only cost.
  std::vector<const Entry*> entries;
  entries.reserve(event.entries.length());
  for (const Entry& e : event.entries) entries.push_back(&e);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry* a, const Entry* b) { return a->startNum < b->startNum; });
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

std::size_t reportRoom(const Data& data, std::size_t perLine, std::size_t perCrossing) {
  constexpr std::size_t kFixed = 16384;
  std::size_t room = kFixed;
  for (const Event& event : data.events) {
    room += 2 * perLine * event.entries.length();
    for (const Session& session : event.sessions) {
      if (!session.timing) continue;
      for (const TimingEntry& car : session.timing->timing) {
        room += 3 * perLine + perCrossing * car.laps.size();
      }
    }
  }
  return room;
}

std::u16string fullName(const Driver& driver) { return driver.firstName + u' ' + driver.lastName; }

}  // namespace marvolt
