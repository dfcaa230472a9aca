#!/usr/bin/env bash
# Every report streamed to a pipe against `cat` printing its own bytes, and
# the site of a season, with the build of another commit beside this one in
# the same run (before and after a change):
#   - W1 (256 MiB of frame data) with --laps, each format: marvolt against
#     `cat` of the same report, both read through a pipe, in pairs (A B A B
#     ...); the median and the spread of each and of the ratio per pair
#   - the peak resident memory of each format
#   - marvolt-season --site on 20 rounds of W1 (1 MiB of frame data each: the
#     frames are never read) into a fresh folder, paired with the other build
#   - the same figures for the other build, when BEFORE names its build
#     folder (with marvolt and marvolt-season, e.g. the bench preset of a
#     `git worktree add /tmp/before <commit>`)
# Environment: PAIRS (default 30), SITE_PAIRS (default 10), BEFORE, KEEP=1 to
# keep the workloads (build/bench/stream).
set -euo pipefail
cd "$(dirname "$0")/.."

PAIRS=${PAIRS:-30}
SITE_PAIRS=${SITE_PAIRS:-10}
BEFORE=${BEFORE:-}
[ -x /usr/bin/time ] || { echo "stream.sh needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

echo "== building the bench preset" >&2
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null

BIN=build/bench
W=build/bench/stream
mkdir -p "$W"
cleanup() { [ "${KEEP:-0}" = 1 ] || rm -rf "$W"; }
trap cleanup EXIT
PAIRED="python3 bench/paired.py"

echo "== writing the workloads into $W" >&2
"$BIN/bench/make_workload" "$W/w1.rpy" --frames 256M >/dev/null
"$BIN/bench/make_workload" "$W/w1-1m.rpy" --frames 1M >/dev/null
mkdir -p "$W/season"
for r in $(seq 1 20); do cp "$W/w1-1m.rpy" "$W/season/round$r.rpy"; done
rounds=$(printf ' %s' "$W"/season/round*.rpy)

# Peak resident memory in KiB: the largest of five runs.
peak() {
  local max=0 kib
  for _ in 1 2 3 4 5; do
    kib=$( { /usr/bin/time -f %M "$@" >/dev/null; } 2>&1 | tail -1)
    [ "$kib" -gt "$max" ] && max=$kib
  done
  echo "$max"
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }

# One build's formats against cat: a line per format.
formats() {
  local bin=$1 label=$2
  for f in txt semikv json html; do
    "$bin/marvolt" --laps --format=$f "$W/w1.rpy" >"$W/w1.$f"
    cmp -s "$W/w1.$f" "$W/w1.txt.ref.$f" || { echo "$label: the $f report differs" >&2; exit 1; }
    read -r a amin amax b bmin bmax r rmin rmax cpu < <($PAIRED -n "$PAIRS" -- "$bin/marvolt" --laps --format=$f \
      "$W/w1.rpy" --vs cat "$W/w1.$f")
    printf '  %-6s %-7s %8s ms (%s-%s)  cat %7s ms (%s-%s)  ratio %5s (%s-%s)  cpu ratio %5s  peak %s\n' "$label" "$f" \
      "$a" "$amin" "$amax" "$b" "$bmin" "$bmax" "$r" "$rmin" "$rmax" "$cpu" \
      "$(mib "$(peak "$bin/marvolt" --laps --format=$f "$W/w1.rpy")")"
  done
}

for f in txt semikv json html; do "$BIN/marvolt" --laps --format=$f "$W/w1.rpy" >"$W/w1.txt.ref.$f"; done
echo "== pairs of each format and cat ($PAIRS pairs each)" >&2
cat <<HEAD

Streamed to a pipe, $(date -u +%Y-%m-%d), $(nproc) x $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo), load average $(cut -d' ' -f1-3 /proc/loadavg)
W1 with --laps ($(wc -c <"$W/w1.txt.ref.txt") / $(wc -c <"$W/w1.txt.ref.semikv") / $(wc -c <"$W/w1.txt.ref.json") / $(wc -c <"$W/w1.txt.ref.html") bytes): median of $PAIRS pairs (min-max), target: ratio <= 1.50, peak < 4 MiB
HEAD
formats "$BIN" after
[ -n "$BEFORE" ] && formats "$BEFORE" before

echo "== the site ($SITE_PAIRS pairs)" >&2
site="$W/site"
echo
echo "Site: marvolt-season --site of 20 rounds of W1 into a fresh folder, median of $SITE_PAIRS pairs (min-max)"
if [ -n "$BEFORE" ]; then
  read -r a amin amax b bmin bmax r rmin rmax cpu < <($PAIRED -n "$SITE_PAIRS" --warmup 1 --prepare "rm -rf $site" \
    -- "$BIN/marvolt-season" --site "$site" $rounds --vs "$BEFORE/marvolt-season" --site "$site" $rounds)
  printf '  after %8s ms (%s-%s)  before %8s ms (%s-%s)  after/before %s (%s-%s), cpu %s\n' "$a" "$amin" "$amax" "$b" \
    "$bmin" "$bmax" "$r" "$rmin" "$rmax" "$cpu"
  echo "  peak: after $(mib "$(peak "$BIN/marvolt-season" --site "$site" $rounds)"), before $(mib "$(peak "$BEFORE/marvolt-season" --site "$site" $rounds)")"
else
  read -r a amin amax b bmin bmax r rmin rmax cpu < <($PAIRED -n "$SITE_PAIRS" --warmup 1 --prepare "rm -rf $site" \
    -- "$BIN/marvolt-season" --site "$site" $rounds --vs "$BIN/marvolt-season" --site "$site" $rounds)
  printf '  %8s ms (%s-%s)   peak %s\n' "$a" "$amin" "$amax" "$(mib "$(peak "$BIN/marvolt-season" --site "$site" $rounds)")"
fi
