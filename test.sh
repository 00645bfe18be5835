#!/usr/bin/env bash
# Installs what is missing, then:
#  - builds the Debian package (Release) and the test configuration
#    (AddressSanitizer and UBSan) and runs the whole suite through ctest, the
#    checks of the package included;
#  - cross-builds for Windows with MinGW-w64 (the core and the native window),
#    runs that suite under Wine, the window's tests on a virtual display, and
#    makes the Windows download, build/windows-release/Kelvandor-<version>-win64.zip;
#  - builds the Qt-free core with Clang and runs its suite;
#  - runs each fuzz target for 30 seconds (scripts/fuzz.sh).
# Every build treats warnings as errors.
#   ./test.sh             every step
#   ./test.sh --native    the native suite only
#   ./test.sh --windows   the Windows suite and download only
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
  ensure_packages "${NATIVE_PACKAGES[@]}" "${PACKAGING_PACKAGES[@]}"
  # The Debian package, from the Release build that run.sh uses; the suite
  # below checks it.
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DKELVANDOR_BUILD_BENCH=OFF -DKELVANDOR_WERROR=ON
  cmake --build build/release -j"$jobs"
  (cd build/release && cpack)
  cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKELVANDOR_SANITIZE=ON -DBUILD_TESTING=ON \
    -DKELVANDOR_WERROR=ON -DKELVANDOR_PACKAGE_DIR="$PWD/build/release"
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
    -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DKELVANDOR_WERROR=ON
  cmake --build build/test-windows -j"$jobs"
  # Each test is mostly Wine starting up, which waits more than it computes.
  # Wine now and then fails to start a program at all; such a test runs once
  # more before it counts as failed.
  ctest --test-dir build/test-windows --output-on-failure -j"$((jobs * 2))" \
    --repeat until-pass:2
  # Wine's server lingers a few seconds after its last program; wait for it,
  # so that nothing of the run outlives the script.
  WINEPREFIX="$PWD/build/test-windows/wineprefix" /usr/lib/wine/wineserver -w 2>/dev/null || true

  # The download, from an optimised build of the programs alone.
  cmake -S . -B build/windows-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVANDOR_WERROR=ON
  cmake --build build/windows-release -j"$jobs"
  (cd build/windows-release && cpack)
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
