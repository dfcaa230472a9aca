#include "workload.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace benchsupport {

namespace {

using testsupport::Bytes;
using testsupport::CarLapsRec;
using testsupport::DriverRec;
using testsupport::ReplayBuilder;
using testsupport::lapWord;

// Names are Windows-1252 bytes, as the game stores them; a few need the
// code page's upper half.
const char* const kFirstNames[] = {"Jim",  "Graham", "Jack",   "Denny", "Dan",  "John", "Chris", "Jackie",
                                   "Jo",   "Pedro",  "Jochen", "Mike",  "Ren\xE9", "Guy", "Bruce", "Piers"};
const char* const kLastNames[] = {"Amsel",   "Brandt", "Castell", "Dorn",   "Eriksen", "Falk",  "G\xF6tz",
                                  "Hartley", "Ivers",  "Janek",   "Kovacs", "Lund",    "M\xFCller", "Norr",
                                  "Ortega",  "Pryce",  "Quint",   "Rask",   "Sauer",   "Thal"};

// A small deterministic generator for the lap-to-lap variation.
struct Noise {
  std::uint32_t state;
  std::uint32_t next(std::uint32_t range) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % range;
  }
};

constexpr std::uint32_t kBaseLap = 88500;
constexpr std::uint32_t kPracticeStart = 60000;

struct Car {
  std::uint32_t carid;
  std::uint32_t pace;   // milliseconds per lap slower than the fastest car
};

std::vector<Car> field(int scale, Noise& noise) {
  std::vector<Car> cars;
  const int n = kBaseEntries * scale;
  for (int i = 0; i < n; ++i) cars.push_back({static_cast<std::uint32_t>(i), noise.next(4000)});
  return cars;
}

void addDrivers(ReplayBuilder& b, const std::vector<Car>& cars) {
  const auto n = static_cast<std::uint32_t>(cars.size());
  for (std::uint32_t i = 0; i < n; ++i) {
    // 7919 is prime and n a multiple of 40, so this is a permutation of 1..n:
    // the entry list has to be sorted.
    const std::uint32_t startnum = (i * 7919u) % n + 1;
    DriverRec& d = b.addDriver(startnum, cars[i].carid, kFirstNames[i % 16], kLastNames[(i / 16 + i) % 20],
                               static_cast<std::int32_t>(i % 7));
    d.driverid = 1000 + i;   // distinct from the car id
    d.country = static_cast<std::int32_t>(i % 29);
    d.color = {static_cast<std::uint8_t>(i * 37), 0x40, 0x80};
    if (i % 2 == 0) {
      d.withGem(1967, 4, 2);
    } else {
      d.withHometown("NOT SET");
      d.textflag = 1;
    }
  }
}

CarLapsRec practiceLaps(const Car& car, int crossings, std::uint32_t start, Noise& noise) {
  CarLapsRec rec;
  rec.carid = car.carid;
  std::uint32_t clock = start + noise.next(30000);
  rec.words.push_back(lapWord(clock));
  for (int lap = 1; lap < crossings; ++lap) {
    clock += kBaseLap + car.pace + noise.next(2500);
    std::uint8_t flags = 0;
    if (noise.next(23) == 0) flags = 0x40;   // a trip through the grass
    if (noise.next(41) == 0) flags = 0x10;   // a cut chicane
    rec.words.push_back(lapWord(clock, flags));
  }
  return rec;
}

std::vector<CarLapsRec> race(const std::vector<Car>& cars, Noise& noise) {
  // Every car's full race first; then the flag falls when the winner
  // completes the distance, and every other car stops at its next crossing.
  std::vector<std::vector<std::uint32_t>> clocks(cars.size());
  std::vector<std::vector<std::uint8_t>> flags(cars.size());
  std::uint32_t flagFall = std::numeric_limits<std::uint32_t>::max();
  for (std::size_t i = 0; i < cars.size(); ++i) {
    std::uint32_t clock = 5000 + static_cast<std::uint32_t>(i % kBaseEntries) * 350;
    const bool retires = i % 9 == 4;
    const int laps = retires ? 5 + static_cast<int>(i * 37 % 90) : kRaceLaps;
    clocks[i].push_back(clock);
    flags[i].push_back(0);
    for (int lap = 1; lap <= laps; ++lap) {
      clock += kBaseLap + 1200 + 2 * cars[i].pace + noise.next(1800);
      clocks[i].push_back(clock);
      flags[i].push_back(noise.next(37) == 0 ? 0x40 : 0);
    }
    if (!retires) flagFall = std::min(flagFall, clock);
  }
  std::vector<CarLapsRec> out;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    CarLapsRec rec;
    rec.carid = cars[i].carid;
    for (std::size_t j = 0; j < clocks[i].size(); ++j) {
      rec.words.push_back(lapWord(clocks[i][j], flags[i][j]));
      if (clocks[i][j] >= flagFall) break;
    }
    out.push_back(std::move(rec));
  }
  return out;
}

struct Fd {
  int fd;
  ~Fd() { ::close(fd); }
};

[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void writeAll(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset, const std::string& path) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n <= 0) fail("cannot write", path);
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
}

Bytes header(const char* label, std::uint32_t size) {
  return testsupport::rawChunk(label, size, {});
}

}  // namespace

ReplayBuilder fullWeekend(int scale) {
  if (scale < 1) throw std::runtime_error("the scale must be at least 1");
  ReplayBuilder b;
  b.info.track = "monza";
  b.info.firstName = "Ren\xE9";
  b.info.lastName = "M\xFCller";
  b.info.saverid = 7;
  b.info.savedFirst = 0;
  b.info.savedLast = 3;
  b.info.frames = 36 * 60 * 200;
  b.weekend.track = "monza";
  b.weekend.carset = "gpl67";
  b.weekend.ainum = static_cast<std::uint16_t>(std::min(kBaseEntries * scale - 1, 0xFFFF));
  b.addSlot(testsupport::kTesting, 0x7FFF, 3600.0f);
  b.addSlot(testsupport::kPractice, 0x7FFF, 14400.0f);
  b.addSlot(testsupport::kPractice, 0x7FFF, 14400.0f);
  b.addSlot(testsupport::kRace, kRaceLaps, 604800.0f);

  Noise noise{1967};
  const std::vector<Car> cars = field(scale, noise);
  addDrivers(b, cars);

  std::vector<CarLapsRec> testing;
  for (std::size_t i = 0; i < static_cast<std::size_t>(kBaseTestingCars * scale); ++i) {
    testing.push_back(practiceLaps(cars[i], kTestingCrossings, 0, noise));
  }
  b.sessions.push_back(std::move(testing));
  for (int practice = 0; practice < 2; ++practice) {
    std::vector<CarLapsRec> session;
    for (const Car& car : cars) session.push_back(practiceLaps(car, kPracticeCrossings, kPracticeStart, noise));
    b.sessions.push_back(std::move(session));
  }
  b.sessions.push_back(race(cars, noise));
  return b;
}

std::uint64_t crossings(const ReplayBuilder& replay) {
  std::uint64_t n = 0;
  for (const auto& session : replay.sessions) {
    for (const CarLapsRec& car : session) n += car.words.size();
  }
  return n;
}

std::uint64_t writeWorkload(const std::string& path, const ReplayBuilder& replay, std::uint64_t frameBytes,
                            bool sparse) {
  const Bytes content = replay.content();
  const std::uint64_t payload = (frameBytes + 3) / 4 * 4;
  const std::uint64_t chunks = (payload + kFrameChunkBytes - 1) / kFrameChunkBytes;
  const std::uint64_t outerSize = content.size() + payload + 12 * chunks;
  if (outerSize > std::numeric_limits<std::uint32_t>::max()) {
    throw std::runtime_error("the replay would not fit the 32-bit size of its outer chunk");
  }
  const std::uint64_t fileLength = 12 + outerSize;   // every part is a whole number of words

  const Fd out{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
  if (out.fd < 0) fail("cannot create", path);
  Bytes head = header("YLPR", static_cast<std::uint32_t>(outerSize));
  head[4] = static_cast<std::uint8_t>(replay.versionWord);
  head[5] = static_cast<std::uint8_t>(replay.versionWord >> 8);
  head[6] = static_cast<std::uint8_t>(replay.versionWord >> 16);
  head[7] = static_cast<std::uint8_t>(replay.versionWord >> 24);
  writeAll(out.fd, head.data(), head.size(), 0, path);
  writeAll(out.fd, content.data(), content.size(), 12, path);

  // Frame bytes look recorded: a pseudo-random stream, the same every time.
  std::vector<std::uint8_t> block(sparse ? 0 : 1u << 20);
  Noise noise{0x5EED};
  for (std::uint8_t& byte : block) byte = static_cast<std::uint8_t>(noise.next(256));

  std::uint64_t offset = 12 + content.size();
  std::uint64_t left = payload;
  while (left > 0) {
    const std::uint64_t size = std::min(left, kFrameChunkBytes);
    const Bytes h = header(kFrameLabel, static_cast<std::uint32_t>(size));
    writeAll(out.fd, h.data(), h.size(), offset, path);
    offset += h.size();
    for (std::uint64_t done = 0; !sparse && done < size;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - done));
      writeAll(out.fd, block.data(), n, offset + done, path);
      done += n;
    }
    offset += size;
    left -= size;
  }
  // The holes of a sparse file end where the file ends.
  if (::ftruncate(out.fd, static_cast<off_t>(fileLength)) != 0) fail("cannot size", path);
  return fileLength;
}

}  // namespace benchsupport
