#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with Clang, AddressSanitizer and
# UBSan (build/fuzz) and runs each for SECONDS seconds (default 30), starting
# from the seeds written from examples/ and the inputs earlier runs found
# (build/fuzz/corpus/). Fails when a target crashes, leaks, hangs, breaks one of
# its checks or leaves a file behind; the input that did it is kept in
# build/fuzz/artifacts/ and can be replayed with `build/fuzz/tests/fuzz/NAME FILE`.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

seconds=${1:-30}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi
ensure_packages "${NATIVE_PACKAGES[@]}" "${CLANG_PACKAGES[@]}"

build=build/fuzz
compiler_launcher
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANDOR_FUZZ=ON -DKELVANDOR_WERROR=ON \
  -DBUILD_TESTING=OFF -DKELVANDOR_BUILD_APP=OFF -DKELVANDOR_BUILD_BENCH=OFF \
  "${COMPILER_LAUNCHER[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kelvandor_fuzz

root=$PWD/$build
# The targets make their private folders below TMPDIR and run in an empty
# folder of their own: whatever is left in either afterwards was left by them.
# Both lie in memory where it can be had, since every input creates and
# deletes files, which on a disk takes longer than the code under test.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch=$(mktemp -d /dev/shm/kelvandor-fuzz.XXXXXX)
else
  scratch=$(mktemp -d "$root/scratch.XXXXXX")
fi
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch/tmp
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi
mkdir -p "$root/corpus" "$root/artifacts" "$root/logs"

failed=()
while read -r name; do
  [ -n "$name" ] || continue
  rm -rf "$TMPDIR" "$scratch/run"
  mkdir -p "$TMPDIR" "$scratch/run" "$root/corpus/$name"
  log=$root/logs/$name.log
  status=0
  (cd "$scratch/run" && "$root/tests/fuzz/$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/artifacts/$name-" \
    "$root/corpus/$name" "$root/tests/fuzz/seeds/$name") </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -eq 0 ] && [ -n "$(find "$TMPDIR" "$scratch/run" -mindepth 1)" ]; then
    echo "$name left files behind:" >>"$log"
    find "$TMPDIR" "$scratch/run" -mindepth 1 >>"$log"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ "$status" -eq 0 ]; then
    echo "fuzz $name: ok, ${runs:-?} inputs in ${seconds} s"
  else
    echo "fuzz $name: FAILED (log: $log)"
    tail -n 40 "$log"
    failed+=("$name")
  fi
done <"$build/tests/fuzz/fuzzers.txt"

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
