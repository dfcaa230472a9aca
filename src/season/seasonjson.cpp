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

void putOptionalWide(Writer& w, const std::optional<std::u16string>& text) {
  if (text) {
    putWide(w, *text);
  } else {
    w.Null();
  }
}

const char* penaltyName(PenaltyKind kind) {
  switch (kind) {
    case PenaltyKind::Time: return "time";
    case PenaltyKind::Places: return "positions";
    case PenaltyKind::Disqualified: return "disqualified";
    case PenaltyKind::Points: break;
  }
  return "points";
}

void putDecisions(Writer& w, const std::vector<RoundDecision>& decisions) {
  w.StartArray();
  for (const RoundDecision& decision : decisions) {
    w.StartObject();
    w.Key("driver");
    putWide(w, decision.driver);
    w.Key("penalty");
    w.String(penaltyName(decision.kind));
    w.Key("value");
    if (decision.kind == PenaltyKind::Disqualified) {
      w.Null();
    } else {
      w.Uint(decision.value);
    }
    w.Key("reason");
    putWide(w, decision.reason);
    w.EndObject();
  }
  w.EndArray();
}

// A place, or null for a disqualified car.
void putPosition(Writer& w, std::uint32_t position) {
  if (position == 0) {
    w.Null();
  } else {
    w.Uint(position);
  }
}

void putClassification(Writer& w, const std::vector<OfficialResult>& rows) {
  w.StartArray();
  for (const OfficialResult& row : rows) {
    w.StartObject();
    w.Key("position");
    putPosition(w, row.position);
    w.Key("driver");
    putWide(w, row.driver);
    w.Key("team");
    putWide(w, row.team);
    w.Key("laps");
    w.Int(row.laps);
    w.Key("race_time_ms");
    w.Int64(row.raceTimeMs);
    w.Key("penalty_ms");
    w.Int64(row.penaltyMs);
    w.Key("finish_position");
    w.Uint(row.finishPosition);
    w.Key("retired");
    w.Bool(row.retired);
    w.Key("disqualified");
    w.Bool(row.disqualified);
    w.Key("points");
    w.Uint64(row.points);
    w.EndObject();
  }
  w.EndArray();
}

// What a league file says of a round: its event, factor, decisions and
// official classification.
void putLeagueRound(Writer& w, const RoundSummary& round) {
  w.Key("name");
  putOptionalWide(w, round.name);
  w.Key("date");
  if (round.date) {
    putString(w, *round.date);
  } else {
    w.Null();
  }
  w.Key("factor");
  w.Uint(round.factor);
  w.Key("decisions");
  putDecisions(w, round.decisions);
  w.Key("classification");
  putClassification(w, round.classification);
}

void putRounds(Writer& w, const std::vector<RoundSummary>& rounds, bool league) {
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
    putOptionalWide(w, round.winner);
    w.Key("pole");
    putOptionalWide(w, round.pole);
    w.Key("fastest_lap");
    putOptionalWide(w, round.fastestLap);
    if (league) putLeagueRound(w, round);
    w.EndObject();
  }
  w.EndArray();
}

void putResult(Writer& w, std::size_t round, const std::optional<RoundResult>& result, bool league) {
  if (!result) {
    w.Null();
    return;
  }
  w.StartObject();
  w.Key("round");
  w.Uint64(round);
  w.Key("position");
  putPosition(w, result->position);
  w.Key("points");
  w.Uint64(result->points);
  w.Key("counted");
  w.Bool(result->counted);
  w.Key("remark");
  w.String(result->retired ? "DNF" : "");
  if (league) {
    w.Key("disqualified");
    w.Bool(result->disqualified);
  }
  w.EndObject();
}

// A row's statistics.
void putStatistics(Writer& w, const StandingsRow& row) {
  w.Key("starts");
  w.Uint(row.starts);
  w.Key("podiums");
  w.Uint(row.podiums);
  w.Key("poles");
  w.Uint(row.poles);
  w.Key("fastest_laps");
  w.Uint(row.fastestLaps);
  w.Key("laps_led");
  w.Uint64(row.lapsLed);
  w.Key("retirements");
  w.Uint(row.retirements);
  w.Key("best_finish");
  putPosition(w, row.bestFinish);
  w.Key("points_deducted");
  w.Uint64(row.pointsDeducted);
}

void putTable(Writer& w, const char* nameKey, const std::vector<StandingsRow>& rows, bool league) {
  w.StartArray();
  for (const StandingsRow& row : rows) {
    w.StartObject();
    w.Key("position");
    w.Uint(row.position);
    w.Key(nameKey);
    putWide(w, row.name);
    w.Key("points");
    w.Int64(row.points);
    w.Key("wins");
    w.Uint(row.wins);
    putStatistics(w, row);
    w.Key("results");
    w.StartArray();
    for (std::size_t r = 0; r < row.results.size(); ++r) putResult(w, r + 1, row.results[r], league);
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
  const bool league = standings.league.has_value();
  if (league) {
    w.Key("league");
    w.StartObject();
    w.Key("name");
    putOptionalWide(w, standings.league->name);
    w.Key("season");
    putOptionalWide(w, standings.league->season);
    w.EndObject();
  }
  w.Key("rounds");
  putRounds(w, standings.rounds, league);
  sink.checkpoint();
  w.Key("drivers");
  putTable(w, "driver", standings.drivers, league);
  sink.checkpoint();
  w.Key("teams");
  putTable(w, "team", standings.teams, league);
  w.EndObject();
  sink.text() += '\n';
}

}  // namespace marvolt
