#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UBSan) and runs the whole suite through ctest; then cross-builds the Qt-free
# core for Windows with MinGW-w64 and runs its suite under Wine; builds the
# core with Clang and runs its suite; and runs each fuzz target for 30 seconds
# (scripts/fuzz.sh). Every build treats warnings as errors.
#   ./test.sh             every step
#   ./test.sh --native    the native suite only
#   ./test.sh --windows   the Windows suite only
#   ./test.sh --clang     the Clang build of the core only
#   ./test.sh --fuzz      the fuzz run only
#   ./test.sh --no-fuzz   every step but the fuzz run
# The step options combine: `--native --clang` runs those two.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

native=0
windows=0
clang=0
fuzz=0
no_fuzz=0
for arg in "$@"; do
  case "$arg" in
    --native) native=1 ;;
    --windows) windows=1 ;;
    --clang) clang=1 ;;
    --fuzz) fuzz=1 ;;
    --no-fuzz) no_fuzz=1 ;;
    *) echo "usage: $0 [--native] [--windows] [--clang] [--fuzz] [--no-fuzz]" >&2; exit 2 ;;
  esac
done
if [ $((native + windows + clang + fuzz)) -eq 0 ]; then
  native=1 windows=1 clang=1 fuzz=1
fi
if [ "$no_fuzz" -eq 1 ]; then fuzz=0; fi
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

if [ "$clang" -eq 1 ]; then
  ensure_packages "${NATIVE_PACKAGES[@]}" "${CLANG_PACKAGES[@]}"
  # The Qt-free core and its suite, optimised, so that Clang's warnings and
  # its optimiser's view of the code are checked as well as GCC's.
  cmake -S . -B build/test-clang -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=ON -DKELVANDOR_WERROR=ON -DKELVANDOR_BUILD_APP=OFF -DKELVANDOR_BUILD_BENCH=OFF
  cmake --build build/test-clang -j"$jobs"
  ctest --test-dir build/test-clang --output-on-failure -j"$jobs"
fi

if [ "$fuzz" -eq 1 ]; then
  scripts/fuzz.sh 30
fi
