#!/usr/bin/env bash
# Completion of both programs' command lines, in a folder of replays,
# carsets and other files: completion_test.sh COMPLETION_DIR
set -u
completions=$(cd "$1" && pwd)
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir sub && touch a.rpy B.RPY c.cst notes.txt "my race.rpy" l.toml
# The season's completion brings marvolt's along.
. "$completions/marvolt-season.bash"

failed=0
# check EXPECTED FUNCTION WORD...: completes the last WORD, as the shell splits
# the line at "=", and compares the sorted candidates joined by "|".
check() {
  local expected=$1 function=$2
  shift 2
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  "$function"
  local got
  got=$( ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd '|')
  if [[ $got != "$expected" ]]; then
    echo "FAIL: $* -> '$got', expected '$expected'"
    failed=$((failed + 1))
  fi
}

check "--force|--format=html|--format=json|--format=semikv|--format=txt" _marvolt marvolt --f
check "--cst|--cst-auto" _marvolt marvolt --laps --cs
check "html|json|semikv|txt" _marvolt marvolt --format =
check "json" _marvolt marvolt --format = j
check "--format=semikv" _marvolt marvolt --format=s
check "B.RPY|a.rpy|my race.rpy|sub" _marvolt marvolt --laps ""
check "c.cst|sub" _marvolt marvolt --cst ""
check "B.RPY|a.rpy|c.cst|l.toml|my race.rpy|notes.txt|sub" _marvolt marvolt -o ""
check "notes.txt" _marvolt marvolt -o n
check "html|json|txt" _marvolt_season marvolt-season --format =
check "--best=" _marvolt_season marvolt-season --b
check "" _marvolt_season marvolt-season --points = ""
check "" _marvolt_season marvolt-season --points=9,6
check "B.RPY|a.rpy|my race.rpy|sub" _marvolt_season marvolt-season a.rpy ""
check "--site" _marvolt_season marvolt-season --si
check "sub" _marvolt_season marvolt-season --site ""
check "--league" _marvolt_season marvolt-season --le
check "l.toml|sub" _marvolt_season marvolt-season --league ""
exit $((failed > 0))
