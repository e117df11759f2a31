#!/usr/bin/env bash
# drive-program.sh PROGRAM_FOLDER SHOTS_DIR SCREENSHOT_TOOL TALVANE_TOOL
# Starts the program from its folder on a virtual X server of its own and
# uses it as a user would, with pointer events: answers the one-time
# kneeboard question, checks the main window on the home screen (its size,
# and that it is not blank), opens the help centre and a topic, the speech
# configuration with its grammar script, grammar test and microphone switch,
# the checklist editor (a new checklist, a shipped one loaded), the
# assignments and voice training, and ends the program with its close button. A screenshot of
# each step goes
# to SHOTS_DIR. Fails when a window does not come or the program does not end.
# A virtual server has no microphone: the pilot's words are spoken by the
# copilot voice into a WAV file (TALVANE_TOOL speak), which the engine reads
# in place of a capture device.
set -euo pipefail
PROGRAM="$1"
SHOTS="$2"
SHOT="$3"
TOOL="$4"
mkdir -p "$SHOTS"
LOG=$(mktemp)
SPOKEN=$(mktemp --suffix=.wav)
KELO_WAV="$SPOKEN" "$TOOL" --program-folder "$PROGRAM" speak "autopilot on" >/dev/null
export AUDIOIN_WAV="$SPOKEN"

source "$(dirname "$0")/virtual-display.sh"
start_virtual_display 1024x768
APP_PID=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  rm -f "$LOG" "$SPOKEN"
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
# OK sits at a dialog's right, 20 pixels in and 14 up.
press_ok() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  click "$1" $((WIDTH - 20 - 47)) $((HEIGHT - 14 - 17))
}

# First start: the program asks once whether to write the kneeboard pages.
QUESTION=$(window "Update FSX Checklists")
sleep 0.5
shot 01-kneeboard-question
press_ok "$QUESTION"
RESULT=$(window "Checklists Updated")
shot 02-kneeboard-result
press_ok "$RESULT"

MAIN=$(window "Talvane")
sleep 0.3
shot 03-home-screen
# The main window alone: its own size, and a real picture.
read -r _ SIZE COLOURS _ < <("$SHOT" --display "$DISPLAY" --window-id "$MAIN" "$SHOTS/main-window.png")
echo "Screenshot: $SHOTS/main-window.png ($SIZE, $COLOURS colours)"
if [ "$SIZE" != "800x640" ] || [ "$COLOURS" -lt 50 ]; then
  echo "the main window's picture is $SIZE with $COLOURS colours" >&2
  exit 1
fi
# The learning center button: the home screen sits at (5, 101), the button
# at (40, 40) of it, 308 by 58.
click "$MAIN" $((5 + 40 + 154)) $((101 + 40 + 29))
shot 04-help-centre
# The second topic of the tree ("Using the Interface").
click "$MAIN" $((5 + 14 + 80)) $((101 + 40 + 28))
shot 05-help-topic
# RETURN (action button 2 at 581, 556).
click "$MAIN" $((581 + 47)) $((556 + 17))
shot 06-home-again
# The speech configuration screen: SPEECH CONFIGURATION (home button at
# (40, 120)), then SCRIPT (at (15, 400) of the screen) for the grammar
# script screen, and RETURN back to the configuration, then HOME.
click "$MAIN" $((5 + 40 + 154)) $((101 + 120 + 29))
sleep 0.5
shot 07-speech-configuration
click "$MAIN" $((5 + 15 + 47)) $((101 + 400 + 17))
sleep 1
shot 08-grammar-script
click "$MAIN" $((581 + 47)) $((556 + 17))
sleep 0.5
click "$MAIN" $((581 + 47)) $((556 + 17))
sleep 0.3

# The grammar test screen and the microphone switch, both reached from the
# speech configuration screen (SPEECH CONFIGURATION at (40, 120) of the
# home screen; TEST at (685, 176) and MICROPHONE SETUP at (15, 340) of the
# configuration screen).
click "$MAIN" $((5 + 40 + 154)) $((101 + 120 + 29))
click "$MAIN" $((5 + 685 + 47)) $((101 + 176 + 17))
# The test grammar is compiled and the engine started before it shows.
sleep 3
# START (action button 1 at 686, 556): the engine hears the spoken phrase.
click "$MAIN" $((686 + 47)) $((556 + 17))
sleep 3
shot 09-grammar-test
# RETURN goes back to the configuration screen.
click "$MAIN" $((581 + 47)) $((556 + 17))
click "$MAIN" $((5 + 15 + 91)) $((101 + 340 + 17))
MIC=$(window "Microphone Switch")
# Shift+M is captured as "shift+m", not typed.
xdotool key --window "$MIC" shift+m
sleep 0.5
shot 10-microphone-switch
# Cancel sits at the dialog's right, 20 pixels in and 14 up; OK beside it.
eval "$(xdotool getwindowgeometry --shell "$MIC")"
click "$MIC" $((WIDTH - 20 - 47)) $((HEIGHT - 14 - 17))
# HOME.
click "$MAIN" $((581 + 47)) $((556 + 17))

# Checklist editor (home button at 40, 280): a new checklist with a step,
# then a shipped checklist loaded and one of its steps chosen.
click "$MAIN" $((5 + 40 + 154)) $((101 + 280 + 29))
# NEW (at 14, 398 of the screen), a name typed into the input dialog, OK
# (left of CANCEL).
click "$MAIN" $((5 + 14 + 47)) $((101 + 398 + 17))
NEWNAME=$(window "New Checklist")
sleep 0.3
# Without a window manager the keys go to the window under the pointer.
xdotool mousemove --window "$NEWNAME" 40 20
xdotool type --delay 40 "Demo Checklist"
eval "$(xdotool getwindowgeometry --shell "$NEWNAME")"
click "$NEWNAME" $((WIDTH - 20 - 95 - 10 - 47)) $((HEIGHT - 14 - 17))
# INSERT (at 218, 398).
click "$MAIN" $((5 + 218 + 47)) $((101 + 398 + 17))
# LOAD (at 116, 398): the file dialog opens in the Checklists folder.
click "$MAIN" $((5 + 116 + 47)) $((101 + 398 + 17))
OPEN=$(window "Select Checklist File to Modify")
sleep 0.5
xdotool mousemove --window "$OPEN" 300 100
xdotool type --delay 30 "Light Single Piston.dat"
xdotool key Return
sleep 1
# The fourth step of the list (rows of 14 pixels below its header).
click "$MAIN" $((5 + 14 + 100)) $((101 + 98 + 26 + 14 * 3))
shot 11-checklist-editor
click "$MAIN" $((581 + 47)) $((556 + 17))

# Assignments (home button at 40, 200): the first aircraft maker chosen.
click "$MAIN" $((5 + 40 + 154)) $((101 + 200 + 29))
click "$MAIN" $((5 + 14 + 60)) $((101 + 42 + 10))
xdotool key Right Down Right Down
sleep 0.5
shot 12-assignments
click "$MAIN" $((581 + 47)) $((556 + 17))

# Voice training, reached from the speech configuration (VOICE TRAINING at
# (203, 340) of it): a profile name typed into its box (at (15, 60)), then
# RECORD (at (15, 300)); the spoken WAV stands in for the microphone and
# ends the recording by itself. RETURN, then HOME.
click "$MAIN" $((5 + 40 + 154)) $((101 + 120 + 29))
click "$MAIN" $((5 + 203 + 91)) $((101 + 340 + 17))
click "$MAIN" $((5 + 15 + 150)) $((101 + 60 + 13))
xdotool type --delay 30 "Demo Pilot"
click "$MAIN" $((5 + 15 + 47)) $((101 + 300 + 17))
sleep 0.2
shot 13-voice-training-recording
sleep 2
shot 14-voice-training
click "$MAIN" $((581 + 47)) $((556 + 17))
click "$MAIN" $((581 + 47)) $((556 + 17))
# The close button ends the program.
click "$MAIN" $((760 + 16)) $((10 + 16))
for _ in $(seq 1 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then
  echo "the program did not end on its close button" >&2
  exit 1
fi
APP_PID=""
echo "Demo finished."
