# bash completion for marvolt                                -*- shell-script -*-
#
# Completes the options, the format words after --format=, carset files
# (.cst) after --cst, any file after -o, and replays (.rpy) elsewhere.

# Sets COMPREPLY to the directories under "$1" and its files ending in one of
# the extensions that follow, in lower or upper case.
_marvolt_files() {
  local cur=$1 ext IFS=$'\n'
  shift
  COMPREPLY=($(compgen -d -- "$cur"))
  for ext in "$@"; do
    COMPREPLY+=($(compgen -f -X "!*.${ext,,}" -- "$cur") $(compgen -f -X "!*.${ext^^}" -- "$cur"))
  done
}

# Completes an OPTION=VALUE word, split by the shell at the "=" or not: the
# words of $2 for the option $1, nothing for any other option. Returns 1
# when the current word is no option's value.
_marvolt_value() {
  local option=$1 words=$2 cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  if [[ $cur == -*=* ]]; then
    [[ ${cur%%=*} == "$option" ]] && COMPREPLY=($(compgen -P "$option=" -W "$words" -- "${cur#*=}"))
  elif [[ $cur == = ]]; then
    [[ $prev == "$option" ]] && COMPREPLY=($(compgen -W "$words" -- ""))
  elif [[ $prev == = ]]; then
    [[ ${COMP_WORDS[COMP_CWORD - 2]} == "$option" ]] && COMPREPLY=($(compgen -W "$words" -- "$cur"))
  else
    return 1
  fi
  return 0
}

# The completion of a marvolt program with the options $1 and the format
# words $2: an option that ends in "=" is completed without a space after it.
_marvolt_complete() {
  local options=$1 formats=$2 cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  _marvolt_value --format "$formats" && return
  if [[ $cur == -* && $prev != --cst && $prev != -o && $prev != --site && $prev != --league ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
    return
  fi
  compopt -o filenames 2>/dev/null
  case $prev in
    --cst) _marvolt_files "$cur" cst ;;
    --league) _marvolt_files "$cur" toml ;;
    -o) local IFS=$'\n'; COMPREPLY=($(compgen -f -- "$cur")) ;;
    --site) local IFS=$'\n'; COMPREPLY=($(compgen -d -- "$cur")) ;;
    *) _marvolt_files "$cur" rpy ;;
  esac
}

_marvolt() {
  _marvolt_complete "--cst --cst-auto -o -osame --force --format=txt --format=semikv --format=json
    --format=html --no-header --laps --help --version" "txt semikv json html"
}

complete -F _marvolt marvolt
