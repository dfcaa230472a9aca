// The JSON report: the members of a model's rows, escaping of any name byte
// through a run of marvolt, and the schema.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "reports/jsonlib.hpp"

#include "frontend/telvo.hpp"
#include "model/data.hpp"
#include "reports/report.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

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

TEST(JsonReport, RendersTheRowsOfAModel) {
  using namespace marvolt;
  ReportModel model;
  model.sections = Sections().set(Flag::LAPTIMES, true).set(Flag::ENTRYLIST, false);
  model.hasEvent = true;
  model.saverFirstName = u"A";
  model.saverLastName = u"B";
  model.track = u"t";
  model.carset = u"c";
  model.sessions.resize(2);
  model.sessions[0].number = 1;
  model.sessions[0].type = SessT::PRACTICE;
  model.sessions[0].classified = true;
  ReportSession& race = model.sessions[1];
  race.number = 2;
  race.type = SessT::RACE;
  race.classified = true;
  const CarRef car{7, 3, kNotListed, kNotListed, u"X Y"};
  race.results.push_back({1, car, 9, 1000, 0, NOTIME, u"DNF", 2, NOTIME, 1, 0});
  race.lapCrossings = {{5, 5, LapFlag::OFFTRACK | LapFlag::UNKNOWN}};
  race.courses.push_back({7, race.lapCrossings, {{1, 0, 5}}});
  race.lapLists.push_back({car, 0, 0});
  const std::string sessions =
      R"("sessions":[{"number":1,"type":"PRACTICE","best_laps":[],"laps":[]},{"number":2,"type":"RACE",)"
      R"("best_laps":[],"results":[{"position":1,"start_number":3,"car_id":7,"driver":"X Y","laps":9,)"
      R"("race_time_ms":1000,"gap_ms":0,"interval_ms":null,"remark":"DNF","laps_led":2,"best_lap_ms":null,)"
      R"("laps_behind":1}],"laps":[{"car_id":7,"start_number":3,"driver":"X Y","laps":[{"lap":0,"lap_time_ms":5,)"
      R"("clock_ms":5,"flags":["Off Track","Unknown"],"position":1,"gap_to_leader_ms":0}]}]}]})"
      "\n";
  EXPECT_EQ(renderReport(model, Report::Format::JSON),
            R"({"schema":"marvolt-report/1","replay":{"saver":"A B"},"event":{"track":"t","carset":"c"},)" + sessions);
  model.sections.set(Flag::REPLAYINFO, false).set(Flag::EVENTINFO, false);
  EXPECT_EQ(renderReport(model, Report::Format::JSON), R"({"schema":"marvolt-report/1",)" + sessions);
  // A model without an event is still a whole document.
  model.hasEvent = false;
  model.sections.set(Flag::REPLAYINFO, true);
  EXPECT_EQ(renderReport(model, Report::Format::JSON),
            R"({"schema":"marvolt-report/1","replay":{"saver":"A B"},"entries":[],"sessions":[]})" "\n");
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
  // The clock that runs backwards has passed the lap word's 24 bits.
  const Value& wrapped = doc["sessions"][0u]["laps"][1u]["laps"][2u];
  EXPECT_EQ(wrapped["lap_time_ms"].GetUint(), (20u + 0x1000000u) - 90000u);
  EXPECT_EQ(wrapped["clock_ms"].GetUint(), 20u + 0x1000000u);
}

// The text formats show each control character of a name as U+FFFD rather
// than obey it (a row stays one line); key=value keeps its own rule for
// U+0012 (";"). The JSON above keeps the exact text.
TEST(JsonReport, TextFormatsShowControlCharacters) {
  const auto times = [](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += "\uFFFD";
    return s;
  };
  const std::string name = times(15) + "\" " + times(16);
  const std::string kvName = times(15) + "\" " + times(2) + ";" + times(13);
  for (const auto& [format, shown] : std::vector<std::pair<std::string, std::string>>{
           {"--format=txt", "\n      " + name},
           {"--format=semikv", "driver1_name=" + kvName + ";"}}) {
    const RunResult r = runReplay(hostileNames(), {format, "--laps"}, kHostileCarset);
    ASSERT_EQ(r.status, 0) << format;
    EXPECT_NE(r.out.find(shown), std::string::npos) << format;
    EXPECT_NE(r.out.find("Rodr\u00EDguez \uFFFD\u00FF\u0178"), std::string::npos) << format;
    for (std::size_t i = 0; i < r.out.size(); ++i) {
      const auto byte = static_cast<unsigned char>(r.out[i]);
      EXPECT_TRUE(byte >= 0x20 ? byte != 0x7F && !(byte == 0xC2 && r.out[i + 1] < '\xA0') : byte == '\n')
          << format << " at " << i;
    }
  }
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
  writeText(dir.file("no-event.json"), marvolt::Report(marvolt::DataGPL(), marvolt::Report::Format::JSON).toString());
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
