#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR and checks the installed tree: the
# exact file list, the programs' versions, that every option of a program's
# usage has its manual entry and its completion, and that the completions
# load from where they are installed.
#   layout_test.sh BUILD_DIR SOURCE_DIR VERSION HAS_SEASON
set -u
build=$1 source=$2 version=$3 season=$4
export LC_ALL=C
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

DESTDIR=$root cmake --install "$build" --prefix /usr/local >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
prefix=$root/usr/local

programs=(marvolt)
[ "$season" = 1 ] && programs+=(marvolt-season)
expected=$(
  for p in "${programs[@]}"; do
    printf '%s\n' "bin/$p" "share/man/man1/$p.1" "share/bash-completion/completions/$p"
  done
  echo share/doc/marvolt/README.md
  for s in "$source"/docs/*.schema.json; do [ -e "$s" ] && echo "share/doc/marvolt/${s##*/}"; done
)
actual=$(cd "$root" && find . ! -type d | sed 's|^\./usr/local/|PREFIX/|')
diff <(sort <<<"$expected" | sed 's|^|PREFIX/|') <(sort <<<"$actual") || fail "installed files differ (< expected, > installed)"

for p in "${programs[@]}"; do
  [ "$("$prefix/bin/$p" --version | head -n 1)" = "$p v$version" ] || fail "$p --version is not '$p v$version'"
  # The page is its source naming the documentation folder of the prefix,
  # and every installed path it names is there.
  page=$prefix/share/man/man1/$p.1
  sed 's|@CMAKE_INSTALL_FULL_DOCDIR@|/usr/local/share/doc/marvolt|g' "$source/man/$p.1" | cmp -s - "$page" \
    || fail "$p.1 is not its source with the folder of the installed documentation"
  for path in $(grep -o '/usr/local/[^ ]*' "$page"); do
    [ -e "$root$path" ] || fail "$p.1 names $path, which is not installed"
  done
  # Every option of the usage (the Windows-only --no-std-conv aside), with
  # the placeholder of an OPTION=VALUE left out.
  options=$("$prefix/bin/$p" --help | awk '/^  -/ { sub(/=[A-Z].*/, "=", $1); print $1 }' | grep -vx -- --no-std-conv)
  [ -n "$options" ] || fail "$p --help lists no option"
  for option in $options; do
    grep -qF -- "${option//-/\\-}" "$page" || fail "$p.1 does not describe $option"
    grep -qF -- "$option" "$prefix/share/bash-completion/completions/$p" || fail "$p's completion lacks $option"
  done
  bash -c '. "$1" && complete -p "$2" >/dev/null' _ "$prefix/share/bash-completion/completions/$p" "$p" \
    || fail "the installed completion of $p does not load"
done
exit $failed
