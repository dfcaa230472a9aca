// The game-neutral picture of one replay that the reports read: who saved
// it, and the event with its entries, drivers and sessions. Lookups by car
// id and driver id never fail; they return placeholder values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "frontend/enums.hpp"
#include "model/ini.hpp"
#include "replay/rpylib.hpp"

namespace marvolt {

class Timing;
class Entries;
using SessT = WeekendInfo::SessT;

/// The directories a carset is searched in when no others are given, in order.
const std::vector<std::string>& defaultCarsetSearch();

/// What loading a replay needs to settle its carset.
struct LoadOptions {
  std::string carsetFile;          ///< the carset file to use; empty: none named
  bool searchCarset = false;       ///< search for the replay's carset when none is named
  std::vector<std::string> searchDirs = defaultCarsetSearch();   ///< where to search, in order
  /// The named file parsed once for every load with these options; none: each load parses it.
  std::shared_ptr<const IniSection> carsetTree = nullptr;
};

/// The carset a model was loaded with.
struct Carset {
  IniSection tree{"root"};   ///< the parsed file; without sections when no carset is used
  std::string file;          ///< the file it was read from; empty when none
};

/// The elements of an array view that satisfy a predicate, found lazily, in
/// order. (A plain forward range of its own: the standard library's filter
/// view does not build with every compiler the project uses.)
template <typename T, typename Pred>
class Filtered {
 public:
  /// Walks the matching elements.
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = const T&;
    iterator() = default;
    /// The first match at or after `at`.
    iterator(const T* at, const T* end, const Pred* pred) : at_(at), end_(end), pred_(pred) { skip(); }
    reference operator*() const { return *at_; }
    pointer operator->() const { return at_; }
    iterator& operator++() {
      ++at_;
      skip();
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const iterator& other) const { return at_ == other.at_; }

   private:
    void skip() {
      while (at_ != end_ && !(*pred_)(*at_)) ++at_;
    }
    const T* at_ = nullptr;
    const T* end_ = nullptr;
    const Pred* pred_ = nullptr;
  };

  /// The matches of `pred` among `items`.
  Filtered(std::span<const T> items, Pred pred) : items_(items), pred_(std::move(pred)) {}
  iterator begin() const { return iterator(items_.data(), items_.data() + items_.size(), &pred_); }
  iterator end() const { return iterator(items_.data() + items_.size(), items_.data() + items_.size(), &pred_); }

 private:
  std::span<const T> items_;
  Pred pred_;
};

/// A shared, immutable array viewed through a window that can shrink from
/// both ends; copying the range copies the view, not the elements.
template <typename T, typename Derived>
class SharedRange {
 public:
  SharedRange() : store_(std::make_shared<std::vector<T>>()) {}
  /// Takes over the elements.
  explicit SharedRange(std::vector<T> elements)
      : store_(std::make_shared<std::vector<T>>(std::move(elements))), last_(store_->size()) {}

  /// Whether the range holds no element.
  bool empty() const { return first_ == last_; }
  /// The number of elements.
  std::size_t length() const { return last_ - first_; }
  /// Copy of the first element; the range must not be empty.
  T front() const { return (*store_)[first_]; }
  /// Copy of the last element; the range must not be empty.
  T back() const { return (*store_)[last_ - 1]; }
  /// Drops the first element.
  void popFront() { ++first_; }
  /// Drops the last element.
  void popBack() { --last_; }
  /// A copy of the view.
  Derived save() const { return static_cast<const Derived&>(*this); }
  /// Copy of element `i`; `i` must be below length().
  T operator[](std::size_t i) const { return (*store_)[first_ + i]; }
  /// Whether the view spans every element of the shared array.
  bool whole() const { return first_ == 0 && last_ == store_->size(); }
  /// The whole range as an array view.
  std::span<const T> all() const { return std::span<const T>(*store_).subspan(first_, length()); }
  /// Elements `i` up to, not including, `j`.
  Derived slice(std::size_t i, std::size_t j) const {
    Derived r = save();
    r.first_ = first_ + i;
    r.last_ = first_ + j;
    return r;
  }
  auto begin() const { return all().begin(); }
  auto end() const { return all().end(); }

 private:
  std::shared_ptr<const std::vector<T>> store_;
  std::size_t first_ = 0;
  std::size_t last_ = 0;
};

/// One driver of an entry.
struct Driver {
  std::uint32_t driverid = 0;
  std::u16string firstName;
  std::u16string lastName;
  std::u16string nat;
  std::u16string remark;
  std::uint8_t textHometown = 0;   ///< the record's text flag, byte as stored
  std::uint8_t extraFlag = 0;      ///< the record's third flag, byte as stored

  /// The placeholder returned when no driver matches: remark "invalid".
  static Driver placeholder();
  /// First name, last name, nationality and remark joined by single spaces.
  std::u16string toString() const;
};

/// The drivers of one entry.
class Drivers : public SharedRange<Driver, Drivers> {
 public:
  using SharedRange::SharedRange;
  /// The drivers whose id equals `id`, in order.
  auto byDriverid(std::uint32_t id) const {
    return Filtered(all(), [id](const Driver& d) { return d.driverid == id; });
  }
  /// The first driver with id `id`, or the placeholder driver.
  Driver frontDriverid(std::uint32_t id) const;
};

/// One car with its driver.
struct Entry {
  std::uint32_t make = 0;
  std::uint32_t carid = 0;
  std::u16string carClass;
  std::u16string team = u"SomeTeam";
  std::u16string chassis = u"SomeCar";
  std::u16string engine = u"SomeEngine";
  Drivers drivers;
  std::int16_t startNum = 0;
  std::int16_t year = 0;
  bool placeholder = false;

  /// The placeholder returned when no entry matches.
  static Entry placeholderEntry();
  /// One line: start number, team, chassis-engine, drivers.
  std::u16string toString() const;
  /// One entry per driver record of the replay, in file order, named from `carset`.
  static Entries loadArr(const RpyGPL& reader, const IniSection& carset);
};

/// The entries of an event.
class Entries : public SharedRange<Entry, Entries> {
 public:
  /// No entries.
  Entries() = default;
  /// Takes over the entries and indexes them by car id.
  explicit Entries(std::vector<Entry> elements);
  /// A new array holding copies of all entries, in order.
  std::vector<Entry> arrdup() const { return {begin(), end()}; }
  /// The entries of make `make`, in order.
  auto byMake(std::uint32_t make) const {
    return Filtered(all(), [make](const Entry& e) { return e.make == make; });
  }
  /// The entries of car id `carid`, in order.
  auto byCarid(std::uint32_t carid) const {
    return Filtered(all(), [carid](const Entry& e) { return e.carid == carid; });
  }
  /// The first entry of make `make`, or the placeholder entry.
  Entry frontMake(std::uint32_t make) const;
  /// The first entry of car id `carid`, or the placeholder entry.
  Entry frontCarid(std::uint32_t carid) const;
  /// The first entry of car id `carid`, or null; no copy is made.
  const Entry* findCarid(std::uint32_t carid) const;

 private:
  // Position of the first entry of each car id in the shared array; the
  // lookups of every lap table and report row go through it.
  std::shared_ptr<const std::unordered_map<std::uint32_t, std::size_t>> firstByCarid_;
};

/// Who saved the replay.
struct ReplayData {
  std::u16string track;
  std::u16string saverFirstName;
  std::u16string saverLastName;
  std::uint32_t saverId = 0;

  /// Text form: track and saver.
  std::u16string toString() const;
};

/// One session of the event with its timing.
struct Session {
  SessT type = SessT::TESTING;
  std::int32_t maxLaps = 0;
  std::int32_t maxSecs = 0;
  std::shared_ptr<Timing> timing;

  /// Text form: type, limits and the timing's text.
  std::u16string toString() const;
  /// One session per lap table of the replay, with its timing.
  static std::vector<Session> loadArr(const RpyGPL& reader, const Entries& entries);
};

/// The race weekend: track, carset, entries and sessions.
struct Event {
  std::u16string track;
  std::u16string carset;
  Entries entries;
  std::vector<Session> sessions;

  /// Text form: track, carset, entries, sessions.
  std::u16string toString() const;
  /// The event of the replay; settles the carset into `carset` first.
  static std::vector<Event> loadArr(const RpyGPL& reader, const LoadOptions& options, Carset& carset);
};

/// Base of the model's classes.
class DataObj {
 public:
  explicit DataObj(Game g) : game(g) {}
  virtual ~DataObj() = default;
  /// The object itself.
  virtual const DataObj& parent() const { return *this; }

  Game game;
};

/// Loading of a model from an opened replay file.
class DataI {
 public:
  virtual ~DataI() = default;
  /// Fills the model from the opened replay.
  virtual void load(RpyFile& file, const LoadOptions& options) = 0;
};

class DataGPL;

/// The model of one replay, for any game.
class Data : public DataObj, public DataI {
 public:
  explicit Data(Game g) : DataObj(g) {}
  /// Fills the model from the opened replay.
  void load(RpyFile& file, const LoadOptions& options = {}) override = 0;
  /// The object itself, through parent().
  virtual const DataObj& pokus() const { return parent(); }
  /// The object as a GPL model; the game must be GPL.
  virtual DataGPL& asGPL();
  /// The game's name.
  virtual std::u16string gameName() const { return u"Unknown game"; }
  /// Text form: replay data and events.
  virtual std::u16string toString() const;

  /// An empty model for `game`; null for games without a model.
  static std::unique_ptr<Data> create(Game game);
  /// The model of the opened replay `file`, loaded.
  static std::unique_ptr<Data> create(RpyFile& file, const LoadOptions& options = {});

  std::uint32_t rpyVersion = 0;
  ReplayData replay;
  std::vector<Event> events;
  Carset carset;   ///< the carset the names were taken from
};

/// The model of a GPL replay.
class DataGPL : public Data {
 public:
  DataGPL() : Data(Game::GPL) {}
  /// Reads the replay and fills the model.
  void load(RpyFile& file, const LoadOptions& options = {}) override;
  /// "Grand Prix Legends".
  std::u16string gameName() const override { return u"Grand Prix Legends"; }
  /// The replay's frame rate.
  virtual std::int16_t fps() const { return fpsValue; }
  /// The replay reader.
  virtual const RpyGPL& rpy() const { return *rpyReader; }

  std::unique_ptr<RpyGPL> rpyReader;
  std::int16_t fpsValue = 36;
};

// ---------------------------------------------------------------- carsets

/// The directories the marvolt driver searches for a carset file, in order.
extern std::vector<std::string> CSTSearch;

/// Whether `tree` holds a carset (any section).
bool carsetLoaded(const IniSection& tree);
/// Parses carset text (Windows-1252 bytes) into `tree`; throws on a syntax
/// error, leaving `tree` as it was.
void parseCarset(IniSection& tree, std::string_view bytes);
/// Parses the carset file `filename` into `tree`; returns the error message
/// (prefixed with the file name), or empty text on success.
std::string parseIni(IniSection& tree, const std::string& filename);
/// Parses the carset file `options` name once, for every load with them; a
/// failure ends the run with status 2.
void parseNamedCarset(LoadOptions& options);
/// Searches `dirs` for the carset named `carsetName`; announces and returns
/// the one found, or nothing.
std::optional<Carset> findGPLCstFile(const std::u16string& carsetName, const std::vector<std::string>& dirs);
/// The carset a load asks for: the named file (a failure to parse it ends
/// the run with status 2), else the one found by the search, else none.
Carset settleCarset(const LoadOptions& options, const std::u16string& carsetName);
/// Team name of a make.
std::u16string teamByMake(const IniSection& carset, std::int32_t make);
/// Chassis name of a make.
std::u16string chassisByMake(const IniSection& carset, std::int32_t make);
/// Engine name of a make.
std::u16string engineByMake(const IniSection& carset, std::int32_t make);
/// The carset's model year, or 1967.
std::int16_t modYear(const IniSection& carset);
/// Whether `tree` has a section `section` with key `key`.
bool isInCarset(const std::string& section, const std::string& key, const IniSection& tree);
/// The carset value of "Team", "Name" or "Engine" for a make; empty when absent.
std::u16string getFromCarset(const IniSection& carset, const std::string& key, std::int32_t make);
/// Key `key` of section `section` as a 16-bit number; throws when missing or no number.
std::int16_t getNumberFromCarset(const std::string& section, const std::string& key, const IniSection& tree);
/// Key `key` of section `section` as wide text; throws when missing.
std::u16string getTextFromCarset(const std::string& section, const std::string& key, const IniSection& tree);

}  // namespace marvolt
