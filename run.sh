#!/usr/bin/env bash
# Installs what is missing, builds the release program and opens its window.
# ./run.sh [PATH]   PATH is loaded as the command line would load it; without
#                   it the window opens on the demo archive of examples/.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVANDOR_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
if [ $# -eq 0 ] && [ -f build/release/examples/demo.zip ]; then
  # The demo: the sample archive, copied by default into build/demo-output/
  # (a configuration beside the built program, written once, says so).
  ini=build/release/app/Kelvandor.ini
  if [ ! -f "$ini" ]; then
    mkdir -p build/demo-output
    printf '\\\\PublicIni=\r\nNewPath=%s/build/demo-output/\r\nRenameFolder=0\r\nCopyProject=1\r\nCleanUp=1\r\n' "$(pwd)" > "$ini"
  fi
  set -- "$(pwd)/build/release/examples/demo.zip"
fi
exec build/release/app/kelvandor "$@"
