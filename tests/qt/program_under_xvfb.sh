#!/usr/bin/env bash
# program_under_xvfb.sh WINEPREFIX DRIVER SCREENSHOT_TOOL TALVANE_TOOL: runs the program
# driver on a fresh copy of the demo tree, so the shipped tree stays as built.
set -euo pipefail
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp -a "$1" "$WORK/wineprefix"
export WINEPREFIX="$WORK/wineprefix"
unset DISPLAY
PROGRAM="$WINEPREFIX/drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X/Brevantix/Talvane"
# As on a first start: the kneeboard question is asked.
sed -i 's/^checklistBackups=.*/checklistBackups=-1/' "$PROGRAM/TV_Information.cfg"
bash "$2" "$PROGRAM" "$WORK/shots" "$3" "$4"
