# bash completion for kelvandor-cli                          -*- shell-script -*-

_kelvandor_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command=${COMP_WORDS[1]}
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W 'rename clean --help --version' -- "$cur")
    return
  fi
  if [[ $command == rename ]]; then
    case $prev in
      --to)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
        ;;
      --dir | --name) return ;;
    esac
  fi
  local word options_ended=0
  for word in "${COMP_WORDS[@]:2:COMP_CWORD-2}"; do
    [[ $word == -- ]] && options_ended=1
  done
  if [[ $cur == -* && $options_ended == 0 ]]; then
    local options='--help -- --dry-run --json'
    [[ $command == rename ]] && options+=' --to --dir --name --copy --rename-folder --cleanup
      --no-cleanup --backup --yes'
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  if [[ $command == rename || $command == clean ]]; then
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}
complete -F _kelvandor_cli kelvandor-cli
