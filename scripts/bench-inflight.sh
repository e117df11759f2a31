#!/usr/bin/env bash
# Benchmark: the time from the end of the pilot's speech to the simulator
# event, through the voice module's own loop (engine, command plan, event
# log, SimConnect), for a dozen commands synthesised with the copilot voice
# and played to the engine at a microphone's pace. Prints one line per
# command and the median, mean and worst figures. Run after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${BUILD:-build}"
WORK=$(mktemp -d)
# The tool reads the settings whole, which finds fsx.cfg: the demo's prefix has one.
export WINEPREFIX="$PWD/$BUILD/demo/wineprefix"
trap 'rm -rf "$WORK"' EXIT
cp -r "$BUILD/program" "$WORK/program"
"$BUILD/tools/talvane-tool" --program-folder "$WORK/program" compile | tail -n 1
WAVS=()
i=0
for said in "autopilot on" "autopilot off" "select heading two seven zero" "set altitude one zero thousand" \
  "tune com one one two one decimal five" "squawk four six two one" "landing lights on" "landing lights off" \
  "gear down" "set heading zero nine zero" "altitude hold on" "taxi lights on"; do
  i=$((i + 1))
  wav=$(printf '%s/%02d-%s.wav' "$WORK" "$i" "${said// /-}")
  KELO_WAV="$wav" "$BUILD/tools/talvane-tool" --program-folder "$WORK/program" speak --voice 1 --rate 50 "$said" >/dev/null
  WAVS+=("$wav")
done
"$BUILD/tools/bench-inflight/bench-inflight" "$WORK/program" "${WAVS[@]}"
