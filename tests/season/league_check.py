"""Works out a league's season on its own, from the league file and the race
reports marvolt writes of its replays, and compares it with the standings
marvolt-season --league writes (which must also match the season schema):
the official classification of every round, then both championships with
their points, order, results and statistics. Runs the sample league and a
harsher one made from it (places lost, deductions, double points, a round
that scores nothing).
Usage: league_check.py MARVOLT MARVOLT_SEASON SOURCE_DIR"""
import json
import os
import subprocess
import sys
import tempfile
import tomllib

import jsonschema


def race_of(marvolt, replay, carset):
    args = [marvolt, "--format=json"] + (["--cst", carset] if carset else []) + [replay]
    report = json.loads(subprocess.run(args, check=True, capture_output=True).stdout)
    teams = {e["start_number"]: e["team"] for e in report["entries"]}
    race = next(s for s in report["sessions"] if s["type"] == "RACE")
    cars = [{"name": r["driver"], "team": teams.get(r["start_number"], ""), "laps": r["laps"],
             "time": r["race_time_ms"], "retired": r["remark"] == "DNF", "penalty": 0, "dq": False,
             "deducted": 0, "number": r["start_number"], "finish": r["position"]} for r in race["results"]]
    fastest = sorted(range(len(race["best_laps"])), key=lambda i: race["best_laps"][i]["lap_time_ms"])
    order = [race["best_laps"][i]["start_number"] for i in fastest]
    return cars, order


def official(cars, penalties, roster):
    def row_of(driver):
        named = roster.get(driver)
        rows = [c for c in cars if (roster.get(c["name"]) == named if named else c["name"] == driver)]
        assert len(rows) == 1, driver
        return rows[0]
    decisions = [(row_of(p["driver"]), p) for p in penalties]
    for car, p in decisions:
        car["penalty"] += round(p.get("seconds", 0) * 1000)
        car["deducted"] += p.get("points", 0)
        car["dq"] = car["dq"] or p.get("disqualified", False)
    order = sorted(cars, key=lambda c: (-c["laps"], c["time"] + c["penalty"]))
    for car, p in decisions:
        if "positions" in p:
            i = order.index(car)
            order.insert(min(i + p["positions"], len(order) - 1), order.pop(i))
    return [c for c in order if not c["dq"]] + [c for c in order if c["dq"]]


def season_of(league, folder, marvolt):
    roster, teams = {}, {}
    for d in league.get("driver", []):
        for name in [d["name"]] + d.get("aliases", []):
            roster[name] = d["name"]
            if "team" in d:
                teams[name] = d["team"]
    scale, bonus, best = league.get("points", [9, 6, 4, 3, 2, 1]), league.get("fastest_lap", 0), league.get("best")
    carset = os.path.join(folder, league["carset"]) if "carset" in league else None
    rounds, drivers, table_teams = [], {}, {}
    for r, spec in enumerate(league["round"]):
        cars, fastest = race_of(marvolt, os.path.join(folder, spec["replay"]), carset)
        factor = spec.get("factor", 1)
        rows = official(cars, [p for p in league.get("penalty", []) if p["round"] == r + 1], roster)
        holder = next((n for n in fastest if not next(c for c in rows if c["number"] == n)["dq"]), None)
        place = 0
        for car in rows:
            car["team"] = teams.get(car["name"], car["team"])
            car["name"] = roster.get(car["name"], car["name"])
            car["position"] = None if car["dq"] else (place := place + 1)
            car["points"] = 0 if car["dq"] or place > len(scale) else scale[place - 1] * factor
            car["bonus"] = bonus * factor if car["number"] == holder else 0
            for table, key in ((drivers, car["name"]), (table_teams, car["team"])):
                entry = table.setdefault(key, {"results": [None] * len(league["round"]), "deducted": [0] * len(league["round"])})
                if entry["results"][r] is None:
                    entry["results"][r] = [car["position"], car["points"]]
                if table is drivers:
                    entry["results"][r][1] += car["bonus"]
                    entry["deducted"][r] += car["deducted"]
        rounds.append(rows)
    return rounds, standings(drivers, best, True), standings(table_teams, best, False)


def standings(table, best, driver):
    rows = []
    for name, entry in table.items():
        scores = sorted([(res[1], r) for r, res in enumerate(entry["results"]) if res], key=lambda s: -s[0])
        counted = {r for _, r in scores[:best] if best} if best else {r for _, r in scores}
        total = sum(s for s, r in scores if r in counted) - (sum(entry["deducted"]) if driver else 0)
        places = [res[0] for res in entry["results"] if res and res[0]]
        countback = [-places.count(p) for p in range(1, max(places, default=0) + 1)]
        rows.append((-total, countback, name.lower(), name, entry, counted))
    rows.sort(key=lambda row: row[:4])
    return [(row[3], -row[0], [None if not res else [res[0], res[1], r in row[5]]
                               for r, res in enumerate(row[4]["results"])]) for row in rows]


def written(document):
    def table(rows, key):
        return [(row[key], row["points"], [None if not res else [res["position"], res["points"], res["counted"]]
                                           for res in row["results"]]) for row in rows]
    rounds = [[(row["driver"], row["team"], row["position"], row["points"], row["penalty_ms"])
               for row in r["classification"]] for r in document["rounds"]]
    return rounds, table(document["drivers"], "driver"), table(document["teams"], "team")


def check(path, marvolt, season, validator):
    folder = os.path.dirname(path)
    with open(path, "rb") as f:
        league = tomllib.load(f)
    out = subprocess.run([season, "--format=json", "--league", path], check=True, capture_output=True).stdout
    document = json.loads(out)
    errors = [f"{path}: {e.json_path}: {e.message}" for e in validator.iter_errors(document)]
    rounds, drivers, teams = season_of(league, folder, marvolt)
    expected = ([[(c["name"], c["team"], c["position"], c["points"], c["penalty"]) for c in rows] for rows in rounds],
                drivers, teams)
    for what, mine, theirs in zip(("rounds", "drivers", "teams"), expected, written(document)):
        if mine != theirs:
            errors.append(f"{path}: {what} differ:\n  computed {mine}\n  written  {theirs}")
    return errors


HARSH = """
[[penalty]]
round = 1
driver = "Denny Hulme"
positions = 4
reason = "Ignored blue flags"

[[penalty]]
round = 3
driver = "Graham Hill"
points = 12
reason = "Dangerous driving in the pits"

[[penalty]]
round = 3
driver = "Jim Clark"
seconds = 45.5
reason = "Jumped start"

[[penalty]]
round = 1
driver = "Jim Clark"
disqualified = true
reason = "Outside assistance"
"""


def main(marvolt, season, source):
    source = os.path.abspath(source)
    with open(f"{source}/docs/season.schema.json", encoding="utf-8") as f:
        validator = jsonschema.Draft202012Validator(json.load(f))
    sample = f"{source}/examples/season/league.toml"
    with open(sample, encoding="utf-8") as f:
        text = f.read()
    errors = check(sample, marvolt, season, validator)
    with tempfile.TemporaryDirectory() as folder:
        harsh = os.path.join(folder, "harsh.toml")
        seasons = os.path.join(source, "examples", "season")
        with open(harsh, "w", encoding="utf-8") as f:
            f.write(text.replace('replay = "round', f'replay = "{seasons}/round')
                    .replace('"../sample.cst"', f'"{source}/examples/sample.cst"')
                    .replace('date = 1967-05-07', 'date = 1967-05-07\nfactor = 2')
                    .replace('date = 1967-06-04', 'date = 1967-06-04\nfactor = 0')
                    .replace("best = 3", "best = 2") + HARSH)
        errors += check(harsh, marvolt, season, validator)
    for error in errors:
        print(error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
