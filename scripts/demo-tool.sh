#!/usr/bin/env bash
# Builds the project and runs the command-line talvane-tool on the demo: a simulator folder in a
# Wine prefix with the program installed at Brevantix/Talvane below it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
rm -f build/demo/.laid-out  # start from the shipped files every time
cmake --build build

export WINEPREFIX="$PWD/build/demo/wineprefix"
PROGRAM="$WINEPREFIX/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X/Brevantix/Talvane"
tool() {
  echo
  echo "\$ talvane-tool $*"
  build/tools/talvane-tool --program-folder "$PROGRAM" "$@"
}

echo "Program folder: $PROGRAM"
tool settings
tool checklist-names
tool assignments
tool catalogue-resave
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
tool checklist-export "Light Single Piston" "$OUT/checklist.txt" && head -n 24 "$OUT/checklist.txt"
tool catalogue-export "$OUT/catalogue.txt" && head -n 30 "$OUT/catalogue.txt"
for cmd in write-grammars script; do
  if build/tools/talvane-tool --help | grep -q "^  $cmd"; then
    case "$cmd" in
      script) tool script "$PROGRAM/TalvaneScript.rtf" && head -c 600 "$PROGRAM/TalvaneScript.rtf" && echo ;;
      *) tool "$cmd" && ls -l "$PROGRAM/Grammars" ;;
    esac
  fi
done
# Grammar sources compiled for the recogniser, and the copilot voice to a file.
tool compile
KELO_WAV="$OUT/readback.wav" tool speak --voice 1 "Altitude one zero thousand set" && ls -l "$OUT/readback.wav"
tool voices
# A spoken command, synthesised by the copilot voice and recognised by the engine.
KELO_WAV="$OUT/command.wav" tool speak --voice 1 "set altitude one zero thousand"
tool recognize --wav "$OUT/command.wav" || true

# The simulator's aircraft, their kneeboard pages written and put back.
SIM="$WINEPREFIX/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X"
tool aircraft | cut -f1-6
tool kneeboard-update
head -n 16 "$SIM/SimObjects/Airplanes/C172/Cessna172SP_check.htm"
tool assign KEY_3001001 "Turboprop Twin" --write
tool kneeboard-restore
echo
echo "Demo finished."
