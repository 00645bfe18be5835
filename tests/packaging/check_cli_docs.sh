#!/usr/bin/env bash
# The documents of kelvandor-cli against the program:
#   check_cli_docs.sh CLI VERSION README MAN_DIR COMPLETION
# - every long option of `kelvandor-cli --help` is in the manual page, in the
#   README's command-line section and in the bash completion, and they name
#   no other;
# - the manual page and the README list the same exit statuses;
# - both manual pages name VERSION, as `--version` does;
# - the completion offers the commands, the options of each command and
#   folders after --to.
set -euo pipefail
cli=$1 version=$2 readme=$3 man_dir=$4 completion=$5
failed=0
fail() { echo "$*" >&2; failed=1; }

long_options() { grep -o -- '--[a-z][a-z-]*' | LC_ALL=C sort -u; }
readme_section() { awk -v h="$1" '/^## / { on = ($0 == h); next } on' "$readme"; }
# The manual page as text, with its escaped hyphens plain.
man_text() { sed -e 's/\\-/-/g' "$man_dir/$1"; }

help_options=$("$cli" --help | long_options)
[ -n "$help_options" ] || fail "--help names no options"
for doc in man readme completion; do
  case $doc in
    man) options=$(man_text kelvandor-cli.1 | long_options) ;;
    readme) options=$(readme_section '## Command line' | long_options) ;;
    completion) options=$(long_options <"$completion") ;;
  esac
  if [ "$options" != "$help_options" ]; then
    fail "the options of the $doc differ from --help:"
    diff <(echo "$help_options") <(echo "$options") >&2 || true
  fi
done

man_statuses=$(man_text kelvandor-cli.1 | awk '/^\.SH/ { on = ($0 ~ /EXIT STATUS/); next }
  on && /^\.B [0-9]+$/ { print $2 }' | sort -n)
readme_statuses=$(readme_section '## Command line' | sed -n 's/^| \([0-9][0-9]*\) |.*/\1/p' | sort -n)
if [ "$man_statuses" != "$readme_statuses" ]; then
  fail "exit statuses differ: manual page $(echo $man_statuses), README $(echo $readme_statuses)"
fi

[ "$("$cli" --version)" = "kelvandor-cli $version" ] || fail "--version does not name $version"
for page in kelvandor.1 kelvandor-cli.1; do
  head -n1 "$man_dir/$page" | grep -q "\"Kelvandor $version\"" || fail "$page does not name $version"
done

# shellcheck source=/dev/null
source "$completion"
complete_line() {  # WORDS...: the last word is the one being completed
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  _kelvandor_cli
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/folder"
touch "$scratch/file"
rename_options=$("$cli" --help | sed -n '/kelvandor-cli rename/,/kelvandor-cli clean/p' | long_options)
expect() {  # EXPECTED WORDS...: EXPECTED in any order
  local expected got
  expected=$(echo $1 | tr ' ' '\n' | LC_ALL=C sort | xargs)
  shift
  got=$(complete_line "$@")
  [ "$got" = "$expected" ] || fail "completing '$*': expected '$expected', got '$got'"
}
expect "rename clean --help --version" kelvandor-cli ""
expect "--help -- $(echo $rename_options)" kelvandor-cli rename src --
expect "--help -- --dry-run --json" kelvandor-cli clean src --
expect "$scratch/folder" kelvandor-cli rename src --to "$scratch/"
expect "" kelvandor-cli rename src --name ""
expect "$scratch/file $scratch/folder" kelvandor-cli clean "$scratch/"
exit $failed
