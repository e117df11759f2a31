#!/usr/bin/env bash
# Times the program's start (splash, speech libraries, every loader) to the
# painted home screen, on a copy of the demo with N generated aircraft
# folders (default 5000). Three runs; the first one reads a cold tree.
set -euo pipefail
cd "$(dirname "$0")/.."
N="${1:-5000}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target talvane-tool bench-startup demo_tree >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp -a build/demo/wineprefix "$WORK/"
export WINEPREFIX="$WORK/wineprefix"
SIM="$WINEPREFIX/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X"
PROGRAM="$SIM/Brevantix/Talvane"
build/tools/talvane-tool make-aircraft-tree "$SIM" "$N"
# Answered already: the one-time kneeboard question would wait for a click.
sed -i 's/^checklistBackups=.*/checklistBackups=0/' "$PROGRAM/TV_Information.cfg"
for run in 1 2 3; do
  QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/tools/bench-startup/bench-startup "$PROGRAM"
done
