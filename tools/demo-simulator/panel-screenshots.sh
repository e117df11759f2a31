#!/usr/bin/env bash
# panel-screenshots.sh BUILD_DIR OUT_DIR [TITLE]: starts the demo simulator on
# a virtual X server of its own, saves its window before and after a handful
# of events sent over the add-on protocol, and prints the pictures' paths.
# The state the panel shows is left in OUT_DIR/fsx_state.json.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
OUT=$(mkdir -p "$2" && cd "$2" && pwd)
TITLE=${3:-Cessna Skyhawk 172SP Paint1}
SIM="$BUILD/tools/demo-simulator/demo-simulator"
SEND="$BUILD/tools/demo-simulator/simconnect-send"
SHOT="$BUILD/tools/x11-screenshot/x11-screenshot"
for f in "$SIM" "$SEND" "$SHOT"; do
  [ -x "$f" ] || { echo "missing $f (build the demo-simulator, simconnect-send and x11-screenshot targets)" >&2; exit 1; }
done

source "$(dirname "$0")/../../scripts/virtual-display.sh"
start_virtual_display 1024x768
SIM_PID=""
OUTPUT=$(mktemp)
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  rm -f "$OUTPUT"
}
trap cleanup EXIT

rm -f "$OUT/fsx_state.json" "$OUT/fsx_events.log"
"$SIM" --port 0 --state "$OUT/fsx_state.json" --title "$TITLE" >"$OUTPUT" 2>&1 &
SIM_PID=$!
for _ in $(seq 1 100); do grep -q "^listening on" "$OUTPUT" && break; sleep 0.1; done
ENDPOINT=$(sed -n 's/^listening on //p' "$OUTPUT")
[ -n "$ENDPOINT" ] || { echo "the demo simulator did not start:" >&2; cat "$OUTPUT" >&2; exit 1; }

WINDOW="Demo Simulator - $TITLE"
"$SHOT" --display "$DISPLAY" --timeout 10 --window-title "$WINDOW" "$OUT/demo-simulator-before.png" >/dev/null
echo "Screenshot: $OUT/demo-simulator-before.png"

EVENTS=(AUTOPILOT_ON TOGGLE_FLIGHT_DIRECTOR AP_HDG_HOLD_ON HEADING_BUG_SET=270 AP_ALT_HOLD_ON
        AP_ALT_VAR_SET_ENGLISH=35000 AP_VS_VAR_SET_ENGLISH=-1500 AP_SPD_VAR_SET=250 KOHLSMAN_SET=16212
        COM_RADIO_SET=0x2150 COM_STBY_RADIO_SET=0x1802 NAV1_RADIO_SET=0x1035 XPNDR_SET=0x7700
        ADF_COMPLETE_SET=0x00352500 LANDING_LIGHTS_ON TOGGLE_BEACON_LIGHTS TOGGLE_NAV_LIGHTS STROBES_ON
        GEAR_UP FLAPS_SET=4096 PARKING_BRAKES TOGGLE_MASTER_BATTERY AVIONICS_MASTER_SET=1 ENGINE_AUTO_START)
"$SEND" "$ENDPOINT" "${EVENTS[@]}"
for _ in $(seq 1 50); do
  grep -q "\"events_applied\": ${#EVENTS[@]}," "$OUT/fsx_state.json" && break
  sleep 0.1
done
sleep 0.3  # the window repaints on its next turn of the event loop
"$SHOT" --display "$DISPLAY" --window-title "$WINDOW" "$OUT/demo-simulator-after.png" >/dev/null
echo "Screenshot: $OUT/demo-simulator-after.png"
