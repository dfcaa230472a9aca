# bash completion for marvolt-season                         -*- shell-script -*-
#
# Completes the options, the format words after --format=, carset files
# (.cst) after --cst, league files (.toml) after --league, any file after
# -o, directories after --site, and replays (.rpy) elsewhere, with the helpers of marvolt's completion,
# installed beside this one.

if ! declare -F _marvolt_complete >/dev/null; then
  for _marvolt_helpers in "${BASH_SOURCE[0]%/*}/marvolt" "${BASH_SOURCE[0]%/*}/marvolt.bash"; do
    [[ -r $_marvolt_helpers ]] && . "$_marvolt_helpers" && break
  done
  unset _marvolt_helpers
fi

_marvolt_season() {
  _marvolt_complete "--league --points= --fastest-lap= --best= --cst --cst-auto -o --force --format=txt
    --format=json --format=html --site --help --version" "txt json html"
}

complete -F _marvolt_season marvolt-season
