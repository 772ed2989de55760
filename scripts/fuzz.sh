#!/bin/bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Findings are written to build/fuzz/findings/<target>/; turn each into a
# small test of its parser before fixing it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/setup.sh --all
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in build/fuzz/bin/*_fuzz; do targets+=("$(basename "$f")"); done
fi
seeds=../shared/testdata
status=0
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t findings=build/fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  extra=()
  [ -d "$seeds" ] && extra+=("$seeds")
  [ -d "fuzz/seeds/$t" ] && extra+=("fuzz/seeds/$t")
  echo "== $t: $seconds s"
  if ! build/fuzz/bin/"$t" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
       -artifact_prefix="$findings/" "$corpus" "${extra[@]}" 2>"build/fuzz/$t.log"; then
    status=1
    tail -30 "build/fuzz/$t.log"
  else
    grep -E "^#[0-9]+.*DONE|stat::number_of_executed_units" "build/fuzz/$t.log" | tail -1 || true
  fi
done
exit $status
