#!/bin/bash
# Sets up the machine, builds the native and the Windows build and runs every
# test of both; the last line is "N passed, N failed" over both builds.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all || exit 1
results=build/test-results
rm -rf "$results" build/linux-test/test-results build/windows/test-results
mkdir -p "$results" build/windows/test-results
status=0
for preset in linux-test windows; do
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >"$results/$preset-configure.log" 2>&1; then
    cat "$results/$preset-configure.log"; status=1; continue
  fi
  if ! cmake --build --preset "$preset"; then status=1; continue; fi
  echo "== $preset: tests"
  ctest --preset "$preset" --output-junit "$PWD/$results/$preset-ctest.xml" || status=1
done
python3 scripts/count_results.py "$results" build/windows/test-results || status=1
exit $status
