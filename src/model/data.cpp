#include "model/data.hpp"

#include <fmt/format.h>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

std::u16string wide(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string number(long long value) { return wide(fmt::format("{}", value)); }

}  // namespace

// ---------------------------------------------------------------- drivers and entries

Driver Driver::placeholder() {
  Driver d;
  d.remark = u"invalid";
  return d;
}

std::u16string Driver::toString() const { return firstName + u' ' + lastName + u' ' + nat + u' ' + remark; }

Driver Drivers::frontDriverid(std::uint32_t id) const {
  for (const Driver& d : all()) {
    if (d.driverid == id) return d;
  }
  return Driver::placeholder();
}

Entry Entry::placeholderEntry() {
  Entry e;
  e.placeholder = true;
  return e;
}

std::u16string Entry::toString() const {
  std::u16string line = wide(fmt::format("{:>3} ", startNum));
  appendPaddedCut(line, team, 28, 28, true);
  line += u' ';
  appendPaddedCut(line, chassis + u'-' + engine, 32, 32, true);
  line += u' ';
  bool first = true;
  for (const Driver& d : drivers) {
    if (!first) line += u", ";
    line += d.toString();
    first = false;
  }
  line += u'\n';
  return line;
}

const Entry* Entries::findCarid(std::uint32_t carid) const {
  for (const Entry& e : all()) {
    if (e.carid == carid) return &e;
  }
  return nullptr;
}

Entry Entries::frontCarid(std::uint32_t carid) const {
  const Entry* e = findCarid(carid);
  return e != nullptr ? *e : Entry::placeholderEntry();
}

Entry Entries::frontMake(std::uint32_t make) const {
  for (const Entry& e : all()) {
    if (e.make == make) return e;
  }
  return Entry::placeholderEntry();
}

// ---------------------------------------------------------------- text forms

std::u16string ReplayData::toString() const {
  return u"Replay Data:\n" u"track      : " + track + u"\n" u"saver      : " + saverFirstName + u' ' +
         saverLastName + u'\n';
}

std::u16string Session::toString() const {
  std::u16string text = wide(marvolt::toString(type)) + u" session Data:\n";
  text += u"max. laps  : " + number(maxLaps) + u'\n';
  text += u"max. secs  : " + number(maxSecs) + u'\n';
  if (timing) text += timing->toString();
  return text;
}

std::u16string Event::toString() const {
  std::u16string text = u"Event Data :\n" u"track      : " + track + u"\n" u"carset     : " + carset + u"\n" u"Entry List :\n";
  for (const Entry& e : entries) text += e.toString();
  for (const Session& s : sessions) text += s.toString();
  return text;
}

std::u16string Data::toString() const {
  std::u16string text = replay.toString();
  for (const Event& e : events) text += e.toString();
  return text;
}

// ---------------------------------------------------------------- the class tree

DataGPL& Data::asGPL() {
  MARVOLT_ASSERT(game == Game::GPL, "GPL model asked of a model of another game");
  return static_cast<DataGPL&>(*this);
}

std::unique_ptr<Data> Data::create(Game game) {
  switch (game) {
    case Game::GPL: return std::make_unique<DataGPL>();
    case Game::N2K2:
    case Game::IRAC: throw Error("Not implemented");
    default: return nullptr;
  }
}

std::unique_ptr<Data> Data::create(RpyFile& file) {
  std::unique_ptr<Data> data = create(file.game());
  if (data) data->load(file);
  return data;
}

}  // namespace marvolt
