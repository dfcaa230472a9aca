#include "season/seasonjson.hpp"

#include "frontend/telvo.hpp"
#include "reports/jsonlib.hpp"

namespace marvolt {

namespace {

using Writer = rapidjson::Writer<SinkOut>;

void putString(Writer& w, std::string_view utf8) {
  w.String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
}

void putWide(Writer& w, std::u16string_view wide) { putString(w, toUtf8(wide)); }

void putRounds(Writer& w, const std::vector<RoundSummary>& rounds) {
  w.StartArray();
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    const RoundSummary& round = rounds[r];
    w.StartObject();
    w.Key("round");
    w.Uint64(r + 1);
    w.Key("file");
    // A path is bytes; the document is UTF-8 whatever they are.
    putWide(w, toUtf16(round.file));
    w.Key("track");
    putWide(w, round.track);
    w.Key("winner");
    if (round.winner) {
      putWide(w, *round.winner);
    } else {
      w.Null();
    }
    w.EndObject();
  }
  w.EndArray();
}

void putResult(Writer& w, std::size_t round, const std::optional<RoundResult>& result) {
  if (!result) {
    w.Null();
    return;
  }
  w.StartObject();
  w.Key("round");
  w.Uint64(round);
  w.Key("position");
  w.Uint(result->position);
  w.Key("points");
  w.Uint64(result->points);
  w.Key("counted");
  w.Bool(result->counted);
  w.Key("remark");
  w.String(result->retired ? "DNF" : "");
  w.EndObject();
}

void putTable(Writer& w, const char* nameKey, const std::vector<StandingsRow>& rows) {
  w.StartArray();
  for (const StandingsRow& row : rows) {
    w.StartObject();
    w.Key("position");
    w.Uint(row.position);
    w.Key(nameKey);
    putWide(w, row.name);
    w.Key("points");
    w.Uint64(row.points);
    w.Key("wins");
    w.Uint(row.wins);
    w.Key("results");
    w.StartArray();
    for (std::size_t r = 0; r < row.results.size(); ++r) putResult(w, r + 1, row.results[r]);
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
}

}  // namespace

void seasonJSON(OutputSink& sink, const Standings& standings) {
  SinkOut stream(sink);
  Writer w(stream);
  w.StartObject();
  w.Key("schema");
  w.String("marvolt-season/1");
  w.Key("rounds");
  putRounds(w, standings.rounds);
  sink.checkpoint();
  w.Key("drivers");
  putTable(w, "driver", standings.drivers);
  sink.checkpoint();
  w.Key("teams");
  putTable(w, "team", standings.teams);
  w.EndObject();
  sink.text() += '\n';
}

}  // namespace marvolt
