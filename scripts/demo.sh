#!/usr/bin/env bash
# Builds the project and opens the program on the demo: a simulator folder in
# a Wine prefix with the program installed at Brevantix/Talvane below it.
# With a display the program simply opens. Without one (CI, a server) it runs
# on a virtual X server, where a script drives it as a user would (the
# one-time kneeboard question, the home screen, the help centre and every
# editing screen, then the launch button and a flight: spoken commands and a
# checklist reaching the demo simulator), saves a screenshot of each step
# under build/screenshots/ and prints their paths.
# The command-line demo is scripts/demo-tool.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
rm -f build/demo/.laid-out  # start from the shipped files every time
cmake --build build

export WINEPREFIX="$PWD/build/demo/wineprefix"
PROGRAM="$WINEPREFIX/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X/Brevantix/Talvane"
echo "Program folder: $PROGRAM"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd "$PROGRAM" && exec ./talvane
fi

SHOTS="$PWD/build/screenshots"
rm -rf "$SHOTS" && mkdir -p "$SHOTS"
bash scripts/drive-program.sh "$PROGRAM" "$SHOTS" build/tools/x11-screenshot/x11-screenshot build/tools/talvane-tool
# Then in flight: the launch button, spoken commands and a checklist reaching
# the demo simulator.
exec bash scripts/drive-inflight.sh "$PROGRAM" "$SHOTS" build/tools/x11-screenshot/x11-screenshot build/tools/talvane-tool
