#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 300). Seeds come from the shipped program folder when it has been built.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-300}
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVANE_FUZZ=ON >/dev/null
cmake --build build-fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
seed() {  # seed corpus files for a target
  case "$1" in
    fuzz_command_list) ls build/program/Data/CommandList.dat ;;
    fuzz_checklist) ls build/program/Checklists/*.dat ;;
    fuzz_assignments) ls build/program/Data/Checklist_Assignments.dat ;;
    fuzz_ini) ls build/program/TV_Information.cfg demo/fsx.cfg ;;
    fuzz_inflight_event_map) ls data/sim_events.txt ;;
    fuzz_antonym_pairs) ls data/antonyms.txt ;;
  esac 2>/dev/null || true
}
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus"
  while IFS= read -r f; do [ -n "$f" ] && cp "$f" "$corpus/" ; done < <(seed "$t")
  if [ -d "fuzz/seeds/$t" ]; then cp fuzz/seeds/"$t"/* "$corpus/" 2>/dev/null || true; fi
  echo "== $t: ${SECONDS_EACH}s"
  log="build-fuzz/$t.log"
  status=0
  "build-fuzz/fuzz/$t" -max_total_time="$SECONDS_EACH" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzz target $t failed (see $log)"
    exit 1
  fi
done
