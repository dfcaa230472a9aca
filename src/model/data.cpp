#include "model/data.hpp"

#include <algorithm>
#include <optional>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "frontend/telvo.hpp"
#include "model/gemplus.hpp"
#include "platform/platform.hpp"
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

Entries::Entries(std::vector<Entry> elements) : SharedRange(std::move(elements)) {
  auto index = std::make_shared<std::unordered_map<std::uint32_t, std::size_t>>();
  index->reserve(length());
  for (std::size_t i = 0; i < length(); ++i) index->emplace(all()[i].carid, i);   // the first one stays
  firstByCarid_ = std::move(index);
}

const Entry* Entries::findCarid(std::uint32_t carid) const {
  if (firstByCarid_ && whole()) {
    const auto it = firstByCarid_->find(carid);
    return it != firstByCarid_->end() ? &all()[it->second] : nullptr;
  }
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

std::unique_ptr<Data> Data::create(RpyFile& file, const LoadOptions& options) {
  std::unique_ptr<Data> data = create(file.game());
  if (data) data->load(file, options);
  return data;
}

}  // namespace marvolt

// ================================================================ carsets

namespace marvolt {

namespace {

struct MakeField {
  const char* key;
  const std::array<std::string_view, 7>* builtIn;
  const char* fallback;
};

constexpr std::int16_t kDefaultYear = 1967;

std::u16string byMake(const IniSection& carset, const MakeField& field, std::int32_t make) {
  if (carsetLoaded(carset)) {
    std::u16string fromCarset = getFromCarset(carset, field.key, make);
    if (!fromCarset.empty()) return fromCarset;
  }
  if (make >= 0 && make < 7) {
    const std::string_view name = (*field.builtIn)[static_cast<std::size_t>(make)];
    return std::u16string(name.begin(), name.end());
  }
  return wide(fmt::format("{}{}", field.fallback, static_cast<std::uint32_t>(make) & 0xFF));
}

const IniSection* carsetSection(const IniSection& tree, const std::string& section, const std::string& key) {
  if (tree.sections().empty() || !tree.hasSection(section)) return nullptr;
  const IniSection& s = tree.getSection(section);
  return s.hasKey(key) ? &s : nullptr;
}

[[noreturn]] void missingCarsetKey(const std::string& section, const std::string& key) {
  throw Error(fmt::format("CST error: can't find key '{}' in section '{}' reading file (carset)", key, section));
}

// Strict decimal conversion to a 16-bit number: optional sign, digits only.
std::optional<std::int16_t> parseInt16(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 32768) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 32767 || value < -32768) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

// The length of the root of `path`: none for a relative path, "/" on POSIX;
// on Windows "C:/", "\\server\share\" or a single separator.
std::size_t rootLength(std::string_view path) {
  if (!platform::isAbsolutePath(path)) return 0;
  if (path.size() > 2 && path[1] == ':' && !platform::isSeparator(path[0])) return 3;
  const bool unc = platform::isSeparator('\\') && path.size() > 1 && platform::isSeparator(path[1]);
  if (!unc) return 1;
  std::size_t end = 2;
  for (int component = 0; component < 2 && end < path.size(); ++component) {
    while (end < path.size() && !platform::isSeparator(path[end])) ++end;
    if (end < path.size()) ++end;
  }
  return end;
}

// The lexical normal form of a directory path: its root as given, no "."
// parts, ".." folded, no repeated or trailing separators.
std::string normalizePath(const std::string& path) {
  const std::size_t root = rootLength(path);
  std::vector<std::string> parts;
  std::size_t start = root;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !platform::isSeparator(path[end])) ++end;
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (root == 0) {
        parts.push_back(part);
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out = path.substr(0, root);
  for (const std::string& part : parts) out = out.empty() ? part : platform::joinPath(out, part);
  return out.empty() ? "." : out;
}

// The names in the directory `dir`; a failure names the directory.
std::vector<std::string> namesIn(const std::string& dir) {
  try {
    return platform::listDirectory(dir);
  } catch (const platform::SystemError& e) {
    throw Error(dir + ": " + e.reason());
  }
}

// The ".cst" regular files directly inside `dir`, as absolute paths, sorted byte-wise.
std::vector<std::string> carsetFilesIn(const std::string& dir) {
  std::vector<std::string> found;
  for (const std::string& name : namesIn(dir)) {
    const std::string path = platform::joinPath(dir, name);
    // Entries that vanish or cannot be examined while listed are skipped.
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".cst") != 0 || !isRegularFile(path)) continue;
    found.push_back(absolutePath(path));
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

const std::vector<std::string>& defaultCarsetSearch() {
  static const std::vector<std::string> dirs = {"cst", ".", "/GPL/Mods/GEM+", "C:/Sierra/gpl/Mods/GEM+",
                                                "C:/Program Files (x86)/GPL/Mods/GEM+"};
  return dirs;
}

std::vector<std::string> CSTSearch = defaultCarsetSearch();

bool carsetLoaded(const IniSection& tree) { return !tree.sections().empty(); }

void parseCarset(IniSection& tree, std::string_view bytes) {
  IniSection fresh("root");
  fresh.parseString(fromCodePageUtf8(bytes), false);
  tree = std::move(fresh);
}

std::string parseIni(IniSection& tree, const std::string& filename) {
  if (filename.empty()) return {};
  try {
    parseCarset(tree, platform::readFile(filename));
    return {};
  } catch (const platform::SystemError& e) {
    return filename + ": " + e.reason();
  } catch (const Error& e) {
    return filename + ": " + e.what();
  }
}

std::optional<Carset> findGPLCstFile(const std::u16string& carsetName, const std::vector<std::string>& dirs) {
  std::vector<std::string> candidates;
  for (const std::string& dir : dirs) {
    const std::string normal = normalizePath(dir);
    if (!isDirectory(normal)) continue;
    const std::vector<std::string> files = carsetFilesIn(normal);
    candidates.insert(candidates.end(), files.begin(), files.end());
  }
  const std::u16string wanted = toLowerWide(carsetName);
  std::vector<std::pair<std::string, IniSection>> matches;
  for (const std::string& path : candidates) {
    IniSection tree("root");
    if (!parseIni(tree, path).empty() || carsetSection(tree, "Carset", "CarDir") == nullptr) continue;
    const std::u16string carDir = toUtf16(tree.getSection("Carset").getKey("CarDir"));
    if (toLowerWide(carDir) == wanted) matches.emplace_back(path, std::move(tree));
  }
  if (matches.empty()) return std::nullopt;
  if (matches.size() > 1) {
    std::erase_if(matches, [](const auto& m) { return !isInCarset("Carset", "Engines", m.second); });
    if (matches.empty()) return std::nullopt;
  }
  cerr.writefln("Using carset file %s", matches.front().first);
  return Carset{std::move(matches.front().second), matches.front().first};
}

namespace {

// Parses the carset file `filename` into `tree`; a failure ends the run with status 2.
void parseCarsetFile(IniSection& tree, const std::string& filename) {
  if (const std::string error = parseIni(tree, filename); !error.empty()) err(ExitStatus::Carset, "%s", error);
}

}  // namespace

void parseNamedCarset(LoadOptions& options) {
  auto tree = std::make_shared<IniSection>("root");
  parseCarsetFile(*tree, options.carsetFile);
  options.carsetTree = std::move(tree);
}

Carset settleCarset(const LoadOptions& options, const std::u16string& carsetName) {
  Carset carset;
  if (options.carsetTree != nullptr) {
    carset.tree = *options.carsetTree;
  } else {
    parseCarsetFile(carset.tree, options.carsetFile);
  }
  if (!options.carsetFile.empty()) carset.file = options.carsetFile;
  if (options.searchCarset && !carsetLoaded(carset.tree)) {
    if (std::optional<Carset> found = findGPLCstFile(carsetName, options.searchDirs)) carset = std::move(*found);
  }
  return carset;
}

std::u16string teamByMake(const IniSection& carset, std::int32_t make) {
  return byMake(carset, {"Team", &TeamsGPL, "unkTeam"}, make);
}

std::u16string chassisByMake(const IniSection& carset, std::int32_t make) {
  return byMake(carset, {"Name", &ChassisGPL, "unkMake"}, make);
}

std::u16string engineByMake(const IniSection& carset, std::int32_t make) {
  return byMake(carset, {"Engine", &EnginesGPL, "unkEngine"}, make);
}

std::int16_t modYear(const IniSection& carset) {
  if (!carsetLoaded(carset)) return kDefaultYear;
  try {
    return getNumberFromCarset("Carset", "Year", carset);
  } catch (const Error&) {
    return kDefaultYear;
  }
}

bool isInCarset(const std::string& section, const std::string& key, const IniSection& tree) {
  return carsetSection(tree, section, key) != nullptr;
}

std::u16string getFromCarset(const IniSection& carset, const std::string& key, std::int32_t make) {
  const IniSection* car = carsetSection(carset, fmt::format("Car{}", make), key);
  return car != nullptr ? toUtf16(car->getKey(key)) : std::u16string();
}

std::int16_t getNumberFromCarset(const std::string& section, const std::string& key, const IniSection& tree) {
  const IniSection* s = carsetSection(tree, section, key);
  if (s == nullptr) missingCarsetKey(section, key);
  const std::optional<std::int16_t> value = parseInt16(s->getKey(key));
  if (!value) throw Error(fmt::format("CST error: key '{}' in section '{}' is no 16-bit number", key, section));
  return *value;
}

std::u16string getTextFromCarset(const std::string& section, const std::string& key, const IniSection& tree) {
  const IniSection* s = carsetSection(tree, section, key);
  if (s == nullptr) missingCarsetKey(section, key);
  return toUtf16(s->getKey(key));
}

// ================================================================ loading

namespace {

std::int16_t narrowStartNumber(std::uint32_t startnum) {
  if (startnum > 32767) throw Error("Conversion positive overflow");
  return static_cast<std::int16_t>(startnum);
}

Driver loadDriver(const DriverInfo& d) {
  Driver driver;
  driver.driverid = d.driverid;
  driver.firstName = fromCodePage(std::span<const std::uint8_t>(d.first_name));
  driver.lastName = fromCodePage(std::span<const std::uint8_t>(d.last_name));
  driver.textHometown = d.textflag;
  driver.extraFlag = d.flag3;
  const std::string_view nat = countryCode(d.country);
  driver.nat = std::u16string(nat.begin(), nat.end());
  const GEM gem(d);
  if (gem.hasGEM()) driver.remark = u"GEM+ " + gem.verStr();
  return driver;
}

Entry loadEntry(const DriverInfo& d, const IniSection& carset) {
  Entry entry;
  entry.startNum = narrowStartNumber(d.startnum);
  entry.make = static_cast<std::uint32_t>(d.make.value());
  entry.carid = d.carid;
  entry.carClass = wide(toString(static_cast<CarClass>(d.carclass.value())));
  entry.team = teamByMake(carset, d.make);
  entry.chassis = chassisByMake(carset, d.make);
  entry.engine = engineByMake(carset, d.make);
  const std::int16_t carsetYear = modYear(carset);
  entry.year = d.textflag == 0 ? GEM(d).modYear() : carsetYear;
  if (d.textflag != 1 && entry.year != carsetYear) {
    cerr.writefln("Warning: entry #%s year %s doesn't match carset year %s", entry.startNum, entry.year, carsetYear);
  }
  entry.drivers = Drivers(std::vector<Driver>{loadDriver(d)});
  return entry;
}

}  // namespace

Entries Entry::loadArr(const RpyGPL& reader, const IniSection& carset) {
  std::vector<Entry> entries;
  entries.reserve(reader.drivers.size());
  for (const DriverInfo* d : reader.drivers) entries.push_back(loadEntry(*d, carset));
  return Entries(std::move(entries));
}

std::vector<Session> Session::loadArr(const RpyGPL& reader, const Entries& entries) {
  std::vector<Session> sessions;
  const std::vector<WeekendInfo::SessInfo> infos = reader.wkinfo->getSessInfos();
  if (infos.empty()) return sessions;
  for (const RpySession& s : reader.sessions) {
    if (s.num >= infos.size()) {
      // Keep the rest of the report: a lap table without a weekend session is left out.
      MARVOLT_WARN("Session %s has no entry in the weekend's session list; its lap table is skipped", s.num);
      continue;
    }
    const WeekendInfo::SessInfo& info = infos[s.num];
    Session session;
    session.type = info.type;
    session.maxLaps = info.laps;
    session.maxSecs = info.length;
    session.timing = std::make_shared<TimingGPL>(session, s, entries);
    sessions.push_back(std::move(session));
  }
  return sessions;
}

std::vector<Event> Event::loadArr(const RpyGPL& reader, const LoadOptions& options, Carset& carset) {
  Event event;
  event.track = fromCodePage(std::span<const std::uint8_t>(reader.wkinfo->track));
  event.carset = fromCodePage(std::span<const std::uint8_t>(reader.wkinfo->carset));
  // The carset comes first: the entries' names and years are read from it.
  carset = settleCarset(options, event.carset);
  event.entries = Entry::loadArr(reader, carset.tree);
  event.sessions = Session::loadArr(reader, event.entries);
  return {std::move(event)};
}

void DataGPL::load(RpyFile& file, const LoadOptions& options) {
  rpyReader = std::make_unique<RpyGPL>(file);
  fpsValue = rpyReader->fps();
  rpyVersion = file.root().ver();
  const RpyInfo& info = *rpyReader->info;
  replay.track = fromCodePage(std::span<const std::uint8_t>(info.track));
  replay.saverFirstName = fromCodePage(std::span<const std::uint8_t>(info.first_name));
  replay.saverLastName = fromCodePage(std::span<const std::uint8_t>(info.last_name));
  replay.saverId = info.saverid;
  events = Event::loadArr(*rpyReader, options, carset);
}

}  // namespace marvolt
