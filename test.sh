#!/usr/bin/env bash
# Installs what is missing, builds the Debian package (Release), builds the
# test configuration (AddressSanitizer and UBSan) and runs the whole suite
# through ctest, the checks of the package included; then cross-builds the
# Qt-free core for Windows with MinGW-w64, runs its suite under Wine and makes
# the Windows download, build/windows-release/Kelvandor-<version>-win64.zip.
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
  ensure_packages "${NATIVE_PACKAGES[@]}" "${PACKAGING_PACKAGES[@]}"
  # The Debian package, from the Release build that run.sh uses; the suite
  # below checks it.
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DKELVANDOR_BUILD_BENCH=OFF
  cmake --build build/release -j"$jobs"
  (cd build/release && cpack)
  cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKELVANDOR_SANITIZE=ON -DBUILD_TESTING=ON \
    -DKELVANDOR_PACKAGE_DIR="$PWD/build/release"
  cmake --build build/test -j"$jobs"
  ctest --test-dir build/test --output-on-failure -j"$jobs"
fi

if [ "$windows" -eq 1 ]; then
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  # A static libarchive for the cross build, made once and kept in build/deps.
  scripts/mingw-libarchive.sh
  # Without sanitizers (MinGW has none) and without debug information: the
  # static programs then link quickly. The configure step sets up the Wine
  # prefix in the build folder.
  cmake -S . -B build/test-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON
  cmake --build build/test-windows -j"$jobs"
  # Each test is mostly Wine starting up, which waits more than it computes.
  ctest --test-dir build/test-windows --output-on-failure -j"$((jobs * 2))"
  # Wine's server lingers a few seconds after its last program; wait for it,
  # so that nothing of the run outlives the script.
  WINEPREFIX="$PWD/build/test-windows/wineprefix" /usr/lib/wine/wineserver -w 2>/dev/null || true

  # The download, from an optimised build of the programs alone.
  cmake -S . -B build/windows-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  cmake --build build/windows-release -j"$jobs"
  (cd build/windows-release && cpack)
fi
