#!/usr/bin/env bash
# Installs what is missing, then:
#  - builds the Debian package (Release) and the test configuration
#    (AddressSanitizer and UBSan) and runs the whole suite through ctest, the
#    checks of the package included;
#  - cross-builds for Windows with MinGW-w64 (the core and the native window),
#    runs that suite under Wine, the window's tests on a virtual display, and
#    makes the Windows download, build/windows-release/Kelvandor-<version>-win64.zip;
#  - builds the Qt-free core with Clang and runs its suite;
#  - runs each fuzz target for 15 seconds (scripts/fuzz.sh).
# Every build treats warnings as errors and compiles through ccache. At the
# end it prints the time of each step, with a warning for a step over its
# share of half an hour, and the slowest tests of each suite.
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

# Each step's share, in seconds, of the 30 minutes a fresh clone's whole run
# may take on a two-core machine with an empty ccache (measured: about 400,
# 180, 315, 85, 60, 200 and 210, 24 minutes in all). The native build is the
# Release build and its package as well; the fuzz step builds its targets.
declare -A share=(
  ["native build"]=450 ["native tests"]=240
  ["Windows build"]=360 ["Windows tests"]=150 ["Windows download"]=120
  ["Clang build and tests"]=240 ["fuzz"]=240
)
steps=()
declare -A took=()
suites=()
# timed STEP COMMAND...: runs the command as the step STEP.
timed() {
  local step=$1 start=$SECONDS
  shift
  "$@"
  steps+=("$step")
  took[$step]=$((SECONDS - start))
}
# The slowest ten tests of the last ctest run in build folder $1.
slowest_tests() {
  local log=$1/Testing/Temporary/LastTest.log
  [ -f "$log" ] || return 0
  awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 }
       /^Test time = / { printf "%9.2f s  %s\n", $4, name }' "$log" | sort -rn | head -n 10
}
budget() {
  local step total=0
  echo
  echo "Time of each step:"
  for step in "${steps[@]}"; do
    printf '  %-22s %5d s\n' "$step" "${took[$step]}"
    total=$((total + ${took[$step]}))
  done
  printf '  %-22s %5d s\n' "all" "$total"
  for step in "${steps[@]}"; do
    if [ "${took[$step]}" -gt "${share[$step]}" ]; then
      echo "warning: $step took ${took[$step]} s, over its share of ${share[$step]} s"
    fi
  done
  local suite
  for suite in "${suites[@]}"; do
    echo "Slowest tests of $suite:"
    slowest_tests "$suite"
  done
}
# The script's own status stays, whatever the summary's last command returns.
trap 'status=$?; budget || true; exit "$status"' EXIT

if [ "$native" -eq 1 ]; then
  ensure_packages "${NATIVE_PACKAGES[@]}" "${PACKAGING_PACKAGES[@]}"
  compiler_launcher
  # The Debian package, from the Release build that run.sh uses; the suite
  # below checks it.
  native_build() {
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DKELVANDOR_BUILD_BENCH=OFF -DKELVANDOR_WERROR=ON "${COMPILER_LAUNCHER[@]}"
    cmake --build build/release -j"$jobs"
    (cd build/release && cpack)
    cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKELVANDOR_SANITIZE=ON -DBUILD_TESTING=ON \
      -DKELVANDOR_WERROR=ON -DKELVANDOR_PACKAGE_DIR="$PWD/build/release" "${COMPILER_LAUNCHER[@]}"
    cmake --build build/test -j"$jobs"
  }
  timed "native build" native_build
  suites+=(build/test)
  timed "native tests" ctest --test-dir build/test --output-on-failure -j"$jobs"
fi

if [ "$windows" -eq 1 ]; then
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  compiler_launcher
  windows_build() {
    # A static libarchive for the cross build, made once and kept in build/deps.
    scripts/mingw-libarchive.sh
    # Without sanitizers (MinGW has none) and without debug information: the
    # static programs then link quickly. The configure step sets up the Wine
    # prefix in the build folder.
    cmake -S . -B build/test-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DKELVANDOR_WERROR=ON "${COMPILER_LAUNCHER[@]}"
    cmake --build build/test-windows -j"$jobs"
  }
  timed "Windows build" windows_build
  # Each test is mostly Wine starting up, which waits more than it computes.
  # Wine now and then fails to start a program at all; such a test runs once
  # more before it counts as failed.
  suites+=(build/test-windows)
  timed "Windows tests" ctest --test-dir build/test-windows --output-on-failure -j"$((jobs * 2))" \
    --repeat until-pass:2
  # Wine's server lingers a few seconds after its last program; wait for it,
  # so that nothing of the run outlives the script.
  WINEPREFIX="$PWD/build/test-windows/wineprefix" /usr/lib/wine/wineserver -w 2>/dev/null || true

  # The download, from an optimised build of the programs alone.
  windows_download() {
    cmake -S . -B build/windows-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVANDOR_WERROR=ON "${COMPILER_LAUNCHER[@]}"
    cmake --build build/windows-release -j"$jobs"
    (cd build/windows-release && cpack)
  }
  timed "Windows download" windows_download
fi

if [ "$clang" -eq 1 ]; then
  ensure_packages "${NATIVE_PACKAGES[@]}" "${CLANG_PACKAGES[@]}"
  compiler_launcher
  # The Qt-free core and its suite, optimised, so that Clang's warnings and
  # its optimiser's view of the code are checked as well as GCC's. The fault
  # and crash loops repeat one rename at every step of it; what an optimiser
  # could make of undefined behaviour on those ways, UBSan finds in the
  # native suite, which runs them.
  clang_build_and_tests() {
    cmake -S . -B build/test-clang -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Release \
      -DBUILD_TESTING=ON -DKELVANDOR_WERROR=ON -DKELVANDOR_BUILD_APP=OFF \
      -DKELVANDOR_BUILD_BENCH=OFF "${COMPILER_LAUNCHER[@]}"
    cmake --build build/test-clang -j"$jobs"
    ctest --test-dir build/test-clang --output-on-failure -j"$jobs" \
      -E 'RenameProject(Fault|Crash)Test'
  }
  suites+=(build/test-clang)
  timed "Clang build and tests" clang_build_and_tests
fi

if [ "$fuzz" -eq 1 ]; then
  timed "fuzz" scripts/fuzz.sh 15
fi
