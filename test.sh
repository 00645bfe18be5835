#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UBSan) and runs the whole suite through ctest; then cross-builds the Qt-free
# core for Windows with MinGW-w64 and runs its suite under Wine.
#   ./test.sh            both suites
#   ./test.sh --native   the native suite only
#   ./test.sh --windows  the Windows suite only
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

native=1
windows=1
for arg in "$@"; do
  case "$arg" in
    --native) windows=0 ;;
    --windows) native=0 ;;
    *) echo "usage: $0 [--native | --windows]" >&2; exit 2 ;;
  esac
done
jobs=$(nproc)

if [ "$native" -eq 1 ]; then
  ensure_packages "${NATIVE_PACKAGES[@]}"
  cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKELVANDOR_SANITIZE=ON -DBUILD_TESTING=ON \
    -DKELVANDOR_WERROR=ON
  cmake --build build/test -j"$jobs"
  ctest --test-dir build/test --output-on-failure -j"$jobs"
fi

if [ "$windows" -eq 1 ]; then
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  # Without sanitizers (MinGW has none) and without debug information: the
  # static programs then link quickly. The configure step sets up the Wine
  # prefix in the build folder.
  cmake -S . -B build/test-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DKELVANDOR_WERROR=ON
  cmake --build build/test-windows -j"$jobs"
  # Each test is mostly Wine starting up, which waits more than it computes.
  ctest --test-dir build/test-windows --output-on-failure -j"$((jobs * 2))"
  # Wine's server lingers a few seconds after its last program; wait for it,
  # so that nothing of the run outlives the script.
  WINEPREFIX="$PWD/build/test-windows/wineprefix" /usr/lib/wine/wineserver -w 2>/dev/null || true
fi
