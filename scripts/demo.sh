#!/usr/bin/env bash
# Builds the project and opens the program on the demo: a simulator folder in
# a Wine prefix with the program installed at Brevantix/Talvane below it.
# With a display the program simply opens. Without one (CI, a server) it runs
# on a virtual X server, where a script drives it as a user would (the
# one-time kneeboard question, the home screen, the help centre), saves a
# screenshot of each step under build/screenshots/ and prints their paths.
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
SHOT=build/tools/x11-screenshot/x11-screenshot
LOG=$(mktemp)

# A virtual X server of our own; it reports the display it took.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
XVFB_PID=$!
read -r -t 10 DISPLAY_NUMBER <&3
export DISPLAY=":$DISPLAY_NUMBER"
APP_PID=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  rm -f "$LOG"
}
trap cleanup EXIT

(cd "$PROGRAM" && exec ./talvane) >"$LOG" 2>&1 &
APP_PID=$!

# Waits for a window with this exact name and prints its id.
window() {
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window named \"$1\" appeared" >&2
  cat "$LOG" >&2
  return 1
}
# Clicks at (x, y) inside a window, as a pointer would.
click() {
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.3  # the button lights up under the pointer first
  xdotool click 1
  sleep 0.5
}
shot() {
  "$SHOT" --display "$DISPLAY" --root "$SHOTS/$1.png" >/dev/null
  echo "Screenshot: $SHOTS/$1.png"
}

# First start: the program asks once whether to write the kneeboard pages.
QUESTION=$(window "Update FSX Checklists")
sleep 0.5
shot 01-kneeboard-question
# OK sits at the dialog's right, 20 pixels in and 14 up.
eval "$(xdotool getwindowgeometry --shell "$QUESTION")"
click "$QUESTION" $((WIDTH - 20 - 47)) $((HEIGHT - 14 - 17))
RESULT=$(window "Checklists Updated" || true)
if [ -n "$RESULT" ]; then
  shot 02-kneeboard-result
  eval "$(xdotool getwindowgeometry --shell "$RESULT")"
  click "$RESULT" $((WIDTH - 20 - 47)) $((HEIGHT - 14 - 17))
fi

MAIN=$(window "Talvane")
sleep 0.3
shot 03-home-screen
# The learning center button: the home screen sits at (5, 101), the button
# at (40, 40) of it, 308 by 58.
click "$MAIN" $((5 + 40 + 154)) $((101 + 40 + 29))
shot 04-help-centre
# "System Requirements" in the topic tree (second row).
click "$MAIN" $((5 + 14 + 80)) $((101 + 40 + 28))
shot 05-help-topic
# RETURN (action button 2 at 581, 556).
click "$MAIN" $((581 + 47)) $((556 + 17))
shot 06-home-again
# The close button ends the program.
click "$MAIN" $((760 + 16)) $((10 + 16))
for _ in $(seq 1 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then
  echo "the program did not end on its close button" >&2
  exit 1
fi
APP_PID=""
echo "Demo finished."
