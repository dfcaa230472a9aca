#!/usr/bin/env bash
# Whole-process benchmark of marvolt against the floor of emitting its
# report at all. Builds the bench preset, writes the workloads into
# build/bench/workloads, and prints one side-by-side table:
#   - marvolt on the full weekend (W1, 256 MiB of frame data) with --laps,
#     text, key=value and JSON, against `cat` of the same report; ratio of medians
#   - the same for the HTML page, and the page's size
#   - marvolt on W1 with 1 MiB against 3 GiB (sparse) of frame data; ratio
#   - the in-process time per crossing at 1x, 10x and 100x the crossings
#   - marvolt-season on a season of 20 rounds of W1 (1 MiB of frame data each)
#   - marvolt-season --site on that season: into a fresh folder, and over the
#     site written before (every file replaced)
#   - the peak resident memory of every run
# Environment: RUNS (timed runs per command, default 300), WARMUP (default 30),
# SITE_RUNS (timed runs of each site command, default 20), KEEP=1 to keep the
# workloads afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-300}
WARMUP=${WARMUP:-30}
SITE_RUNS=${SITE_RUNS:-20}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
[ -x /usr/bin/time ] || need+=(time)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "compare.sh needs: ${need[*]} (apt-get install ${need[*]})" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${need[@]}" </dev/null >/dev/null
fi

echo "== building the bench preset" >&2
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null

BIN=build/bench/marvolt
SEASON=build/bench/marvolt-season
GEN=build/bench/bench/make_workload
STAGES=build/bench/bench/marvolt_stages
W=build/bench/workloads
mkdir -p "$W"
cleanup() { [ "${KEEP:-0}" = 1 ] || rm -rf "$W"; }
trap cleanup EXIT

echo "== writing the workloads into $W" >&2
"$GEN" "$W/w1.rpy" --frames 256M >/dev/null
"$GEN" "$W/w1-1m.rpy" --frames 1M >/dev/null
"$GEN" "$W/w1-3g.rpy" --frames 3G --sparse >/dev/null
"$BIN" --laps --format=json "$W/w1.rpy" >"$W/w1.json"
"$BIN" --laps "$W/w1.rpy" >"$W/w1.txt"
"$BIN" --laps --format=semikv "$W/w1.rpy" >"$W/w1.kv"
"$BIN" --laps --format=html "$W/w1.rpy" >"$W/w1.html"
mkdir -p "$W/season"
for r in $(seq 1 20); do cp "$W/w1-1m.rpy" "$W/season/round$r.rpy"; done
rounds=$(printf ' %s' "$W"/season/round*.rpy)
"$SEASON" $rounds >/dev/null || { echo "marvolt-season failed on the season" >&2; exit 1; }
site="$W/site"
"$SEASON" --site "$site" $rounds 2>/dev/null || { echo "marvolt-season --site failed on the season" >&2; exit 1; }
# Every variant must give the same report: a run that failed early would
# look fast.
for f in w1-1m w1-3g; do
  "$BIN" --laps "$W/$f.rpy" | cmp -s - "$W/w1.txt" || { echo "report of $f.rpy differs" >&2; exit 1; }
done

# Median in milliseconds of each command of one hyperfine run, in order.
medians() {
  local csv="$W/hyperfine.csv"
  hyperfine -N --style none --warmup "$WARMUP" --runs "$RUNS" --export-csv "$csv" "$@" >/dev/null
  awk -F, 'NR > 1 { printf "%.3f\n", $4 * 1000 }' "$csv"
}

# Peak resident memory in KiB: the largest of five runs.
peak() {
  local max=0 kib
  for _ in 1 2 3 4 5; do
    kib=$( { /usr/bin/time -f %M "$@" >/dev/null; } 2>&1 | tail -1)
    [ "$kib" -gt "$max" ] && max=$kib
  done
  echo "$max"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v v="$1" -v lim="$2" 'BEGIN { print (v <= lim ? "met" : "NOT MET") }'; }

echo "== timing the whole processes ($RUNS runs each)" >&2
mapfile -t txt < <(medians "$BIN --laps $W/w1.rpy" "cat $W/w1.txt")
mapfile -t kv < <(medians "$BIN --laps --format=semikv $W/w1.rpy" "cat $W/w1.kv")
mapfile -t json < <(medians "$BIN --laps --format=json $W/w1.rpy" "cat $W/w1.json")
mapfile -t page < <(medians "$BIN --laps --format=html $W/w1.rpy" "cat $W/w1.html")
mapfile -t frames < <(medians "$BIN --laps $W/w1-1m.rpy" "$BIN --laps $W/w1-3g.rpy")
mapfile -t season < <(medians "$SEASON$rounds")
# Each run of a site writes some 90 files and flushes each to the disk.
mapfile -t sitefresh < <(RUNS=$SITE_RUNS WARMUP=2 medians --prepare "rm -rf $site" "$SEASON --site $site$rounds")
mapfile -t siteagain < <(RUNS=$SITE_RUNS WARMUP=2 medians "$SEASON --site $site$rounds")

echo "== measuring peak memory" >&2
rss_txt=$(peak "$BIN" --laps "$W/w1.rpy")
rss_cat=$(peak cat "$W/w1.txt")
rss_kv=$(peak "$BIN" --laps --format=semikv "$W/w1.rpy")
rss_catkv=$(peak cat "$W/w1.kv")
rss_json=$(peak "$BIN" --laps --format=json "$W/w1.rpy")
rss_catjson=$(peak cat "$W/w1.json")
rss_html=$(peak "$BIN" --laps --format=html "$W/w1.rpy")
rss_cathtml=$(peak cat "$W/w1.html")
rss_1m=$(peak "$BIN" --laps "$W/w1-1m.rpy")
rss_3g=$(peak "$BIN" --laps "$W/w1-3g.rpy")
rss_season=$(peak "$SEASON" $rounds)
rss_site=$(peak "$SEASON" --site "$site" $rounds)

echo "== timing the stages in process" >&2
stages="$W/stages.csv"
"$STAGES" --benchmark_filter='^BM_Pipeline/' --benchmark_min_time=0.5 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv >"$stages" 2>/dev/null
# name,...,crossings,per_crossing: the medians of the repetitions, in ns.
per_crossing() {
  awk -F, -v want="\"BM_Pipeline/scale:$1/kv:$2_median\"" '
    NR == 1 { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i } next }
    $1 == want { printf "%.1f", $col["per_crossing"] * 1e9 }' "$stages"
}
declare -A pc
for s in 1 10 100; do
  for k in 0 1; do pc[$s,$k]=$(per_crossing "$s" "$k"); done
done
flat_txt=$(ratio "${pc[100,0]}" "${pc[1,0]}")
flat_kv=$(ratio "${pc[100,1]}" "${pc[1,1]}")

r_txt=$(ratio "${txt[0]}" "${txt[1]}")
r_kv=$(ratio "${kv[0]}" "${kv[1]}")
r_json=$(ratio "${json[0]}" "${json[1]}")
r_html=$(ratio "${page[0]}" "${page[1]}")
html_bytes=$(wc -c <"$W/w1.html")
r_frames=$(ratio "${frames[1]}" "${frames[0]}")
mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }
rss_max=$(printf '%s\n' "$rss_txt" "$rss_kv" "$rss_json" "$rss_1m" "$rss_3g" | sort -n | tail -1)
rss_spread=$(ratio "$rss_3g" "$rss_1m")

cat <<EOF

marvolt benchmarks, $(date -u +%Y-%m-%d), $(nproc) x $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
W1 = full weekend, 40 entries, $(awk -F'crossings=' '{ print $2 }' <("$GEN" "$W/count.rpy" --frames 0)) crossings; report $(wc -c <"$W/w1.txt") bytes (text), $(wc -c <"$W/w1.kv") bytes (key=value), $(wc -c <"$W/w1.json") bytes (JSON)

Whole process, W1 with --laps (median of $RUNS runs, output to /dev/null)
  format      marvolt       cat floor     ratio   target <= 2.00   peak RSS marvolt / cat
  text     $(printf '%9s ms %9s ms  %6s   %-16s %s / %s' "${txt[0]}" "${txt[1]}" "$r_txt" "$(verdict "$r_txt" 2)" "$(mib "$rss_txt")" "$(mib "$rss_cat")")
  key=value$(printf '%9s ms %9s ms  %6s   %-16s %s / %s' "${kv[0]}" "${kv[1]}" "$r_kv" "$(verdict "$r_kv" 2)" "$(mib "$rss_kv")" "$(mib "$rss_catkv")")
  JSON     $(printf '%9s ms %9s ms  %6s   %-16s %s / %s' "${json[0]}" "${json[1]}" "$r_json" "$(verdict "$r_json" 3) (<= 3.00)" "$(mib "$rss_json")" "$(mib "$rss_catjson")")

HTML page, W1 with --laps: $html_bytes bytes (target < 3 MB: $(awk -v b="$html_bytes" 'BEGIN { print (b < 3000000 ? "met" : "NOT MET") }'))
  format      marvolt       cat floor     ratio   target <= 3.00   peak RSS marvolt / cat
  html     $(printf '%9s ms %9s ms  %6s   %-16s %s / %s' "${page[0]}" "${page[1]}" "$r_html" "$(verdict "$r_html" 3)" "$(mib "$rss_html")" "$(mib "$rss_cathtml")")

Frame data never touched, W1 text with --laps
  1 MiB      $(printf '%9s ms   peak RSS %s' "${frames[0]}" "$(mib "$rss_1m")")
  256 MiB    $(printf '%9s ms   peak RSS %s' "${txt[0]}" "$(mib "$rss_txt")")
  3 GiB      $(printf '%9s ms   peak RSS %s' "${frames[1]}" "$(mib "$rss_3g")")
  ratio 3 GiB / 1 MiB: time $r_frames (target <= 1.05: $(verdict "$r_frames" 1.05)), peak RSS $rss_spread
  peak RSS of W1 at most $(mib "$rss_max") (target < 8 MiB: $(awk -v k="$rss_max" 'BEGIN { print (k < 8192 ? "met" : "NOT MET") }'))

In process, whole pipeline per crossing (median of 5; read, load, timing, report with --laps)
  scale   crossings     text       key=value
$(for s in 1 10 100; do
    printf '  %4sx   %9s   %7s ns   %7s ns\n' "$s" \
      "$(awk -F, -v want="\"BM_Pipeline/scale:$s/kv:0_median\"" 'NR == 1 { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i } next } $1 == want { printf "%d", $col["crossings"] }' "$stages")" \
      "${pc[$s,0]}" "${pc[$s,1]}"
  done)
  100x / 1x: text $flat_txt, key=value $flat_kv (target flat, <= 1.25: text $(verdict "$flat_txt" 1.25), key=value $(verdict "$flat_kv" 1.25))

Season, marvolt-season on 20 rounds of W1 (text, median of $RUNS runs, output to /dev/null)
  20 rounds  $(printf '%9s ms   peak RSS %s' "${season[0]}" "$(mib "$rss_season")")   (target < 1000 ms: $(verdict "${season[0]}" 1000))

Site, marvolt-season --site on the same season: $(find "$site" -type f | wc -l) files, $(du -sb "$site" | cut -f1) bytes (median of $SITE_RUNS runs)
  into a fresh folder  $(printf '%9s ms   peak RSS %s' "${sitefresh[0]}" "$(mib "$rss_site")")   (target < 1000 ms: $(verdict "${sitefresh[0]}" 1000))
  over the site before $(printf '%9s ms' "${siteagain[0]}")                      (target < 1000 ms: $(verdict "${siteagain[0]}" 1000))
EOF
