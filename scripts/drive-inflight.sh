#!/usr/bin/env bash
# drive-inflight.sh PROGRAM_FOLDER SHOTS_DIR SCREENSHOT_TOOL TALVANE_TOOL
# The pilot's loop end to end on a virtual X server of its own: the grammars
# are compiled, the program's launch button starts the demo simulator and the
# voice module and puts the program in the tray; the microphone switch
# (the M key) is pressed through the X server for each spoken command, and
# the before-takeoff checklist is run through with spoken responses. The
# pilot's words are synthesised into WAV files that the engine reads in
# turn in place of a microphone (AUDIOIN_WAV names their list); the
# copilot's readbacks are kept as WAV files (KELO_WAV names a folder).
# Each command is checked in the demo simulator's state and in the voice
# module's log; screenshots of the cockpit panel before and after go to
# SHOTS_DIR. Closing the simulator ends the voice module and the program.
set -euo pipefail
PROGRAM="$1"
SHOTS="$2"
SHOT="$3"
TOOL="$4"
SIM_FOLDER="$(cd "$PROGRAM/../.." && pwd)"
STATE="$SIM_FOLDER/fsx_state.json"
MODULE_LOG="$PROGRAM/quarrowr.log"
mkdir -p "$SHOTS"
WORK=$(mktemp -d)
LOG="$WORK/program.log"

# The switch, and grammars compiled from the shipped catalogue.
"$TOOL" --program-folder "$PROGRAM" set-microphone m >/dev/null
"$TOOL" --program-folder "$PROGRAM" compile >"$WORK/compile.log" 2>&1 || { cat "$WORK/compile.log" >&2; exit 1; }
rm -f "$MODULE_LOG" "$STATE" "$SIM_FOLDER/fsx_events.log"

# What the pilot says, in the order the engine hears it: six commands, then
# the checklist command and a response for each of its twelve steps (one
# skipped). Each with the synthetic voice that says it clearly: one-word
# responses are the hardest to hear, as for a real pilot.
SAID=(
  "autopilot on|1" "select heading two seven zero|1" "set altitude one zero thousand|1"
  "tune com one one one eight decimal seven|1" "squawk four six two one|1" "landing lights on|1"
  "before takeoff checklist|1"
  "closed|1" "set|4" "set|4" "off|1" "skip item|3" "set|4" "rich|1" "set|4" "on|3" "on|3" "briefed|1" "received|1"
)
: >"$WORK/said.lst"
for i in "${!SAID[@]}"; do
  wav=$(printf '%s/said-%02d.wav' "$WORK" "$i")
  KELO_WAV="$wav" "$TOOL" --program-folder "$PROGRAM" speak --voice "${SAID[$i]#*|}" --rate 50 "${SAID[$i]%|*}" >/dev/null
  echo "$wav" >>"$WORK/said.lst"
  SAID[$i]="${SAID[$i]%|*}"
done
export AUDIOIN_WAV="$WORK/said.lst"
mkdir -p "$WORK/readbacks"
export KELO_WAV="$WORK/readbacks"

source "$(dirname "$0")/virtual-display.sh"
start_virtual_display 1500x700
APP_PID=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  pkill -f "$SIM_FOLDER/fsx.exe" 2>/dev/null || true
  pkill -f "$PROGRAM/quarrowr.exe" 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  echo "--- voice module log" >&2
  cat "$MODULE_LOG" >&2 2>/dev/null || true
  echo "--- program output" >&2
  cat "$LOG" >&2 || true
  exit 1
}

(cd "$PROGRAM" && exec ./talvane) >"$LOG" 2>&1 &
APP_PID=$!

# Waits for a window whose name matches and prints its id.
window() {
  local id=""
  for _ in $(seq 1 "${2:-100}"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
click() {
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.3
  xdotool click 1
  sleep 0.5
}
shot() {
  "$SHOT" --display "$DISPLAY" --root "$SHOTS/$1.png" >/dev/null
  echo "Screenshot: $SHOTS/$1.png"
}
# Lines of the module's log of one event.
count() { grep -c "\"event\":\"$1\"" "$MODULE_LOG" 2>/dev/null || true; }
# Waits until the log has more than N lines of an event.
wait_for() {
  for _ in $(seq 1 "${3:-300}"); do
    [ "$(count "$1")" -gt "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# The one-time kneeboard question comes on a first start only.
if QUESTION=$(window "^Update FSX Checklists\$" 50); then
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$QUESTION")"
  click "$QUESTION" $((WIDTH - 20 - 47)) $((HEIGHT - 14 - 17))
  RESULT=$(window "^Checklists Updated\$") || fail "no kneeboard result"
  eval "$(xdotool getwindowgeometry --shell "$RESULT")"
  click "$RESULT" $((WIDTH - 20 - 47)) $((HEIGHT - 14 - 17))
fi
MAIN=$(window "^Talvane\$") || fail "no main window"
sleep 0.3
# LAUNCH FSX (at 442, 360 of the home screen, which sits at 5, 101).
click "$MAIN" $((5 + 442 + 154)) $((101 + 360 + 29))
SIM=$(window "^Demo Simulator" 150) || fail "the simulator did not start"
MODULE=$(window "^BX Quarrow\$" 150) || fail "the voice module did not start"
# No window manager places them: the voice module goes beside the panel.
xdotool windowmove "$MODULE" 990 0
wait_for link 0 || fail "the voice module logged no link"
for _ in $(seq 1 100); do grep -q '"connected":true' "$MODULE_LOG" && break; sleep 0.1; done
grep -q '"connected":true' "$MODULE_LOG" || fail "the voice module did not connect to the simulator"
xdotool search --onlyvisible --name "^Talvane\$" >/dev/null 2>&1 && fail "the main window is still shown"
sleep 0.5
shot 20-inflight-before

# One press of the switch per command; the readback ends each.
for i in 0 1 2 3 4 5; do
  before=$(count recognition)
  xdotool key m
  wait_for recognition "$before" || fail "nothing was recognised after \"${SAID[$i]}\""
  wait_for readback "$i" || fail "no readback for \"${SAID[$i]}\""
done
# The checklist: one press, then the module listens after each challenge.
xdotool key m
for _ in $(seq 1 600); do grep -q 'checklist complete' "$MODULE_LOG" && break; sleep 0.1; done
grep -q 'before takeoff checklist complete' "$MODULE_LOG" || fail "the checklist did not complete"
sleep 1
shot 21-inflight-after

# The simulator's state holds every command.
for expect in '"master": true' '"heading": 270' '"altitude": 10000' '"active": "118.700"' '"transponder": "4621"' \
  '"landing": true'; do
  grep -q "$expect" "$STATE" || fail "the simulator's state lacks $expect: $(cat "$STATE")"
done
# The log holds each event, the checklist's steps and its skipped one.
for expect in '"name":"AUTOPILOT_ON"' '"name":"HEADING_BUG_SET","data":270' '"name":"AP_ALT_VAR_SET_ENGLISH","data":10000' \
  '"name":"COM_RADIO_SET","data":6256' '"name":"XPNDR_SET","data":17953' '"name":"LANDING_LIGHTS_ON"' \
  '"step":"started"' '"step":"complete"'; do
  grep -q "$expect" "$MODULE_LOG" || fail "the voice module's log lacks $expect"
done
[ "$(grep -c '"step":"next"' "$MODULE_LOG")" -eq 11 ] || fail "the checklist did not take eleven responses"
# The copilot writes the last readback while the log already has it.
for _ in $(seq 1 100); do
  READBACKS=$(find "$WORK/readbacks" -name '*.wav' | wc -l)
  [ "$READBACKS" -ge 19 ] && break
  sleep 0.1
done
[ "$READBACKS" -ge 19 ] || fail "only $READBACKS readbacks were spoken"
echo "Readbacks spoken: $READBACKS"

# Closing the simulator ends the voice module, then the program in the tray.
pkill -TERM -f "$SIM_FOLDER/fsx.exe" || true
for _ in $(seq 1 300); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end after the simulator"
APP_PID=""
# The voice module has been asked to close; it may still be on its way out.
for _ in $(seq 1 150); do pgrep -f "$PROGRAM/quarrowr.exe" >/dev/null || break; sleep 0.1; done
pgrep -f "$PROGRAM/quarrowr.exe" >/dev/null && fail "the voice module did not end"
grep -q '"event":"end"' "$MODULE_LOG" || fail "the voice module did not end cleanly"
echo "In flight: every command reached the simulator."
