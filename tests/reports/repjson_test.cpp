// The JSON report through the built binary: the same rows and values as the
// text report, the race history, escaping of any name byte, the schema, and
// no partial document for a damaged replay.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <fmt/format.h>
#include "reports/jsonlib.hpp"

#include "frontend/telvo.hpp"
#include "model/data.hpp"
#include "reports/repjson.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"
#include "timing/timing.hpp"

namespace {

using namespace testsupport;
using rapidjson::Value;

const std::string kSource = MARVOLT_SOURCE_DIR;
const std::string kSample = kSource + "/examples/sample.rpy";
const std::string kSampleCarset = kSource + "/examples/sample.cst";

// The document of a JSON report: one line, ending with its only line break.
rapidjson::Document parse(const std::string& text) {
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
  EXPECT_FALSE(doc.HasParseError()) << "offset " << doc.GetErrorOffset() << " of " << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1);
  return doc;
}

std::string str(const Value& v) { return std::string(v.GetString(), v.GetStringLength()); }

std::string time(const Value& ms) {
  std::string text;
  marvolt::appendMsecToTime(text, ms.IsNull() ? marvolt::NOTIME : ms.GetUint());
  return text;
}

std::string padded(const std::string& utf8, std::size_t width, bool left = true) {
  std::string out;
  marvolt::appendPadded(out, std::string_view(utf8), width, left);
  return out;
}

// The text report as its layout prints the values of the JSON document.
std::string textOf(const Value& doc) {
  std::string out = "Replay Info\nsaver     : " + str(doc["replay"]["saver"]) + "\n";
  out += "Event Info\ntrack     : " + str(doc["event"]["track"]) + "\ncarset    : " + str(doc["event"]["carset"]);
  out += "\n\nEntry List\n\nNum Team                          Chassis                Engine                  Year\n"
         "      Driver                 NAT    Remark\n";
  for (const Value& e : doc["entries"].GetArray()) {
    out += fmt::format("{:>3} ", e["start_number"].GetInt()) + padded(str(e["team"]), 30) +
           padded(str(e["chassis"]), 23) + padded(str(e["engine"]), 24) + fmt::format("{}\n", e["year"].GetInt());
    for (const Value& d : e["drivers"].GetArray()) {
      out += "      " + padded(str(d["name"]), 23) + padded(str(d["nationality"]), 5) + "  " + str(d["remark"]) + "\n";
    }
  }
  out += '\n';
  const auto bestLaps = [&out](const Value& rows, const char* title) {
    if (rows.Empty()) return;
    out += std::string(title) + "\n\nPos Num Driver                     Time        Gap   Lap      Clock    Remark\n";
    for (const Value& r : rows.GetArray()) {
      out += fmt::format("{:>2}. {:>3} ", r["position"].GetUint(), r["start_number"].GetInt()) +
             padded(str(r["driver"]), 23) + " " + padded(time(r["lap_time_ms"]), 9, false) + " " +
             padded(time(r["gap_ms"]), 9, false) + fmt::format(" {:>4} ", r["lap"].GetInt()) +
             padded(time(r["clock_ms"]), 12, false) + "  " + str(r["remark"]) + "\n";
    }
    out += '\n';
  };
  for (const Value& s : doc["sessions"].GetArray()) {
    if (str(s["type"]) == "PRACTICE") bestLaps(s["best_laps"], "Practice Results");
    if (str(s["type"]) != "RACE") continue;
    if (!s["results"].Empty()) {
      out += "Race Results\n\nPos Num Driver                  Laps     Clock        Gap       Diff   Remark\n";
      for (const Value& r : s["results"].GetArray()) {
        out += fmt::format("{:>2}. {:>3} ", r["position"].GetUint(), r["start_number"].GetInt()) +
               padded(str(r["driver"]), 23) + fmt::format(" {:>3} ", r["laps"].GetInt()) +
               padded(time(r["race_time_ms"]), 12, false) + " " + padded(time(r["gap_ms"]), 9, false) + " " +
               padded("-" + time(r["interval_ms"]), 10, false) + "  " + str(r["remark"]) + "\n";
      }
      out += '\n';
    }
    bestLaps(s["best_laps"], "Race Fastest Laps");
  }
  for (const Value& s : doc["sessions"].GetArray()) {
    out += fmt::format("Session {} ({}) Laptimes\n\n", s["number"].GetUint(), str(s["type"]));
    for (const Value& car : s["laps"].GetArray()) {
      out += fmt::format("Car number {} laptimes\n", car["start_number"].GetInt());
      for (const Value& lap : car["laps"].GetArray()) {
        std::string flags;
        for (const Value& f : lap["flags"].GetArray()) flags += (flags.empty() ? "" : " ") + str(f);
        out += fmt::format("{:>3}: {:>9}  {}\n", lap["lap"].GetUint(), time(lap["lap_time_ms"]), flags);
      }
      out += '\n';
    }
  }
  return out;
}

TEST(JsonReport, SameRowsAndValuesAsTheTextReport) {
  const RunResult text = run({"--cst", kSampleCarset, "--laps", kSample});
  const RunResult json = run({"--cst", kSampleCarset, "--format=json", "--laps", kSample});
  ASSERT_EQ(json.status, 0);
  EXPECT_EQ(json.err, "");
  const rapidjson::Document doc = parse(json.out);
  EXPECT_EQ(str(doc["schema"]), "marvolt-report/1");
  EXPECT_EQ(textOf(doc), text.out);

  // Without --laps no session has lap lists; --no-header drops replay and event only.
  const rapidjson::Document plain = parse(run({"--cst", kSampleCarset, "--format=json", kSample}).out);
  rapidjson::Document bare = parse(run({"--cst", kSampleCarset, "--no-header", "--format=json", kSample}).out);
  for (const Value& s : plain["sessions"].GetArray()) EXPECT_FALSE(s.HasMember("laps"));
  EXPECT_FALSE(bare.HasMember("replay") || bare.HasMember("event"));
  bare.AddMember("replay", Value(plain["replay"], bare.GetAllocator()), bare.GetAllocator());
  bare.AddMember("event", Value(plain["event"], bare.GetAllocator()), bare.GetAllocator());
  EXPECT_TRUE(bare == plain);
}

// A race of five cars in lap-list order 1, 4, 2, 3, 5: car 1 leads two laps
// and stops while leading; car 2 wins, car 4 ties it on crossings 0 and 2
// and stays ahead there by lap-list order; car 3 is lapped; car 5 never
// crosses the line.
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

TEST(JsonReport, RaceHistoryOfLappedRetiredAndTiedCars) {
  const rapidjson::Document doc = parse(runReplay(raceOfFive(), {"--format=json", "--laps"}).out);
  const Value& race = doc["sessions"][0u];
  // car id -> (position, gap to the leader) after each crossing
  std::map<unsigned, std::vector<std::pair<unsigned, unsigned>>> standings;
  for (const Value& car : race["laps"].GetArray()) {
    auto& list = standings[car["car_id"].GetUint()];
    for (const Value& lap : car["laps"].GetArray()) {
      list.emplace_back(lap["position"].GetUint(), lap["gap_to_leader_ms"].GetUint());
    }
  }
  using S = std::vector<std::pair<unsigned, unsigned>>;
  EXPECT_EQ(standings, (std::map<unsigned, S>{{1, {{1, 0}, {1, 0}, {1, 0}}},
                                               {2, {{3, 2}, {2, 5}, {3, 10}, {1, 0}, {1, 0}}},
                                               {3, {{4, 5}, {4, 40}, {4, 110}, {3, 170}}},
                                               {4, {{2, 2}, {3, 10}, {2, 10}, {2, 5}, {2, 1}}},
                                               {5, {}}}));
  // car id, laps, race time, gap, interval (-1: null), remark, laps led, best lap
  using Row = std::tuple<unsigned, int, unsigned, unsigned, long, std::string, unsigned, unsigned>;
  std::vector<Row> results;
  for (const Value& r : race["results"].GetArray()) {
    results.emplace_back(r["car_id"].GetUint(), r["laps"].GetInt(), r["race_time_ms"].GetUint(),
                         r["gap_ms"].GetUint(), r["interval_ms"].IsNull() ? -1L : r["interval_ms"].GetInt64(),
                         str(r["remark"]), r["laps_led"].GetUint(), r["best_lap_ms"].GetUint());
  }
  EXPECT_EQ(results, (std::vector<Row>{{2, 4, 370, 0, 0, "", 2, 90},
                                       {4, 4, 371, 1, 1, "", 0, 86},
                                       {3, 3, 450, 80, 165, "", 0, 125},
                                       {1, 2, 180, 0, -1, "DNF", 2, 90}}));
  // Only a race has standings; a car without a valid lap has no best lap.
  ReplayBuilder practice = raceOfFive();
  practice.weekend.slots = {{kPractice, 0x7FFF, testsupport::floatBits(1800.0f)},
                            {kRace, 1, testsupport::floatBits(604800.0f)}};
  practice.sessions.push_back({CarLapsRec{1, {lapWord(10), lapWord(100, 0x10)}}});
  const rapidjson::Document two = parse(runReplay(practice, {"--format=json", "--laps"}).out);
  EXPECT_FALSE(two["sessions"][0u].HasMember("results"));
  EXPECT_FALSE(two["sessions"][0u]["laps"][0u]["laps"][0u].HasMember("position"));
  EXPECT_TRUE(two["sessions"][1u]["results"][0u]["best_lap_ms"].IsNull());
  EXPECT_TRUE(two["sessions"][1u]["best_laps"].Empty());
}

// Names holding every control byte, quotes, backslashes, semicolons and
// Windows-1252 letters (0x81 is undefined there and stays U+0081); odd lap
// lists: a car without entry, a clock that runs backwards, two lists of one car.
ReplayBuilder hostileNames() {
  ReplayBuilder b;
  b.info.firstName = "Sa\"ver\\";
  b.info.lastName = "\x7F\xE9\x80";
  b.weekend.track = "mon\"za\\\x1F";
  b.addSlot(kPractice, 0x7FFF, 1800.0f);
  b.addSlot(kRace, 2, 604800.0f);
  b.addDriver(1, 1, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\"",
              "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F", 5);
  b.addDriver(2, 2, "\\\"; \\u0041", "Rodr\xEDguez \x81\xFF\x9F", 0);
  b.sessions.push_back({CarLapsRec::fromClocks(1, {100, 90100}), CarLapsRec::fromClocks(9, {50, 90000, 20})});
  b.sessions.push_back({CarLapsRec::fromClocks(2, {10, 90000}), CarLapsRec::fromClocks(2, {5, 80000, 170000}),
                        CarLapsRec::fromClocks(1, {0xFFFFFF})});
  return b;
}

const std::string kHostileCarset = "[Carset]\nCarDir = gpl67\nYear = 1967\n[Car5]\nTeam = A \"B\" \\C; D=E\n";

TEST(JsonReport, AnyNameByteGivesValidJsonThatRoundTrips) {
  const RunResult r = runReplay(hostileNames(), {"--format=json", "--laps"}, kHostileCarset);
  ASSERT_EQ(r.status, 0);
  for (std::size_t i = 0; i + 1 < r.out.size(); ++i) {
    EXPECT_GE(static_cast<unsigned char>(r.out[i]), 0x20) << "raw control byte at " << i;
  }
  EXPECT_NE(r.out.find(R"("\u0001\u0002\u0003\u0004\u0005\u0006\u0007\b\t\n\u000B\f\r\u000E\u000F\"")"),
            std::string::npos);
  const rapidjson::Document doc = parse(r.out);
  const ReplayBuilder b = hostileNames();
  const auto utf8 = [](const std::string& bytes) { return marvolt::fromCodePageUtf8(bytes); };
  EXPECT_EQ(str(doc["replay"]["saver"]), utf8(b.info.firstName + " " + b.info.lastName));
  EXPECT_EQ(str(doc["event"]["track"]), utf8(b.weekend.track));
  for (std::size_t i = 0; i < 2; ++i) {
    const Value& driver = doc["entries"][static_cast<rapidjson::SizeType>(i)]["drivers"][0u];
    EXPECT_EQ(str(driver["first_name"]), utf8(b.drivers[i].firstName));
    EXPECT_EQ(str(driver["last_name"]), utf8(b.drivers[i].lastName));
    EXPECT_EQ(str(driver["name"]), utf8(b.drivers[i].firstName + " " + b.drivers[i].lastName));
  }
  EXPECT_EQ(str(doc["entries"][0u]["team"]), "A \"B\" \\C; D=E");
  EXPECT_EQ(str(doc["entries"][1u]["drivers"][0u]["last_name"]), "Rodr\u00EDguez \u0081\u00FF\u0178");
  // The backwards clock: a lap time as the lap dump shows it, unsigned 32-bit.
  EXPECT_EQ(doc["sessions"][0u]["laps"][1u]["laps"][2u]["lap_time_ms"].GetUint(), 20u - 90000u);
}

TEST(JsonReport, ModelWithoutEventIsStillADocument) {
  const auto model = std::make_unique<marvolt::DataGPL>();
  model->replay.saverFirstName.push_back(u'A');
  EXPECT_EQ(marvolt::reportJSON(*model),
            "{\"schema\":\"marvolt-report/1\",\"replay\":{\"saver\":\"A \"},\"entries\":[],\"sessions\":[]}\n");
  EXPECT_EQ(marvolt::reportJSON(*model, marvolt::Sections().set(marvolt::Flag::REPLAYINFO, false)),
            "{\"schema\":\"marvolt-report/1\",\"entries\":[],\"sessions\":[]}\n");
}

TEST(JsonReport, DamagedReplayLeavesTheOutputFileAsItWas) {
  TempDir dir;
  Bytes damaged = raceOfFive().build();
  damaged.resize(damaged.size() - 7);
  writeFile(dir.file("bad.rpy"), damaged);
  writeText(dir.file("out.json"), "old report\n");
  const RunResult text = runIn(dir, {"--force", "-o", "out.json", "bad.rpy"});
  const RunResult json = runIn(dir, {"--force", "-o", "out.json", "--format=json", "bad.rpy"});
  EXPECT_EQ(json.status, 1);
  EXPECT_EQ(json.status, text.status);
  EXPECT_NE(json.err, "");
  EXPECT_EQ(json.err, text.err);
  EXPECT_EQ(json.out, "");
  EXPECT_EQ(readFile(dir.file("out.json")), "old report\n");
}

// Every document validates against docs/report.schema.json (checked by
// python3-jsonschema, which the Debian python has).
TEST(JsonReport, OutputsFollowTheSchema) {
  TempDir dir;
  std::string files;
  const auto keep = [&](const std::string& name, const RunResult& r) {
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
    writeText(dir.file(name), r.out);
    files += " " + dir.file(name);
  };
  for (const auto& [name, options] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"plain.json", {}}, {"laps.json", {"--laps"}}, {"bare.json", {"--no-header"}},
           {"bare-laps.json", {"--no-header", "--laps"}}}) {
    std::vector<std::string> args = {"--cst", kSampleCarset, "--format=json"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(kSample);
    keep(name, run(args));
  }
  keep("five.json", runReplay(raceOfFive(), {"--format=json", "--laps"}));
  keep("hostile.json", runReplay(hostileNames(), {"--format=json", "--laps"}, kHostileCarset));
  keep("empty.json", runReplay(ReplayBuilder(), {"--format=json", "--laps"}));
  writeText(dir.file("no-event.json"), marvolt::reportJSON(marvolt::DataGPL()));
  files += " " + dir.file("no-event.json");
  const std::string command = "/usr/bin/python3 " + kSource + "/tests/reports/validate_report.py " + kSource +
                              "/docs/report.schema.json" + files + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
  EXPECT_EQ(::pclose(pipe), 0) << output;
  EXPECT_EQ(output, "");
}

}  // namespace
