#!/usr/bin/env bash
# Set-up, then two builds and their tests: a normal build with the GUI, and an
# AddressSanitizer + UndefinedBehaviorSanitizer build of the core, the tools
# and their tests. The output ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
status=0

echo "== normal build"
scripts/build.sh build
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300) || status=1

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
scripts/build.sh build-asan -DMORVANE_SANITIZE=ON -DMORVANE_GUI=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j"$jobs" --timeout 600) || status=1
exit $status
