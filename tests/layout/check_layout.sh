#!/bin/bash
# The folders are layers: platform/ <- core/ <- families/ <- workflow/ <- app/.
# Checks that every include points down (or stays in its folder), that a
# family's folder includes no other family's (but the generator
# configuration's, which the IDE families share), and that no code outside
# families/ names a family or one of its files.
# Usage: check_layout.sh SOURCE_DIR
set -u
cd "$1" || exit 2
status=0

fail() {
  echo "$1"
  status=1
}

sources() { find "$@" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) | sort; }

# The folders a layer may include from, beside its own.
declare -A below=(
  [platform]=""
  [core]="platform"
  [families]="core platform"
  [workflow]="families core platform"
  [app]="workflow families core platform"
)
for layer in platform core families workflow app; do
  allowed=" $layer ${below[$layer]} "
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    [[ $allowed == *" $target "* ]] || fail "$file includes from $target/, above its layer: $line"
  done < <(grep -Hn '^#include "[a-z_]*/' $(sources "$layer"))
done

# A family's folder: its own, the table's files and the shared configuration.
for dir in families/*/; do
  family=$(basename "$dir")
  while IFS= read -r line; do
    other=$(sed -E 's/.*#include "families\/([a-z_]+)\/.*/\1/' <<<"$line")
    [[ $other == "$family" || $other == cubemx ]] ||
      fail "${line%%:*} includes the family $other: $line"
  done < <(grep -Hn '^#include "families/[a-z_]*/' $(sources "$dir"))
done

# Outside families/: no family's name and no extension or name of its files.
# A family added adds its names here.
names='IAR|Keil|uVision|Eclipse|EWARM|MDK-ARM|CubeMX|STM32\w*|WSP/PRJ|MPLAB|Harmony|CMakePresets|stm32cubemx'
extensions='prj|wsp|eww|ewp|ewd|ewt|dep|uvprojx?|uvoptx?|uvmpw|uvguix?|cproject|ioc|mhx|srec|mc3|mhc'
# ".project" and ".launch" only where no member access can be meant.
members='project|launch'
pattern="\\.($extensions)\\b|(?<![A-Za-z0-9_)\\]])\\.($members)\\b|\\b($names)\\b|nbproject"
found=$(grep -HnP "$pattern" $(sources platform core workflow app))
if [[ -n $found ]]; then
  fail "Code outside families/ names a family or its files:"
  echo "$found"
fi
exit $status
