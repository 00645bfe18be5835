#!/bin/sh
# wine-display.sh PREFIX WINE PROGRAM [ARGS...]
# Runs a Windows program under Wine in the prefix PREFIX on a private virtual
# X display (xvfb-run takes a free display number, so runs side by side and a
# machine without any display work alike). The prefix's Wine server is ended
# while the display still exists, so nothing of the run outlives it. Exits
# with the program's status.
set -eu
prefix=$1
wine=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all
wineserver="$(dirname "$wine")/wineserver"
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  sh -c '"$0" "$@"; status=$?; "'"$wineserver"'" -k 2>/dev/null; exit $status' "$wine" "$@"
