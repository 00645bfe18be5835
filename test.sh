#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UBSan) and runs the whole suite through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${NATIVE_PACKAGES[@]}"
jobs=$(nproc)
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKELVANDOR_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build build/test -j"$jobs"
ctest --test-dir build/test --output-on-failure -j"$jobs"
