#!/usr/bin/env bash
# Voice training, measured: for each copilot voice, enrol on the training
# prompts (synthesised in that voice at varied rates), adapt a profile, and
# run the held-out command benchmark with the standard model and with the
# profile; then each profile on the other voices, and one enrolment with
# cockpit engine noise added.
#
#   bash scripts/bench-training.sh            # all of it (about an hour on 2 cores)
#   VOICES="1 4" CROSS=0 NOISE=0 bash scripts/bench-training.sh
#   KEEP=1 VOICES= CROSS=0 bash scripts/bench-training.sh   # only the noisy enrolment, added to an earlier run
#
# Settings: COMMANDS (300), SEED (101, one the decoder was never tuned on),
# CROSS (commands per cross-voice run, 100; 0: none), NOISE (1: the noisy
# enrolment of voice NOISE_VOICE, 4), MLLR (1: profiles also get the MLLR
# transform), BUILD (build), WORK (build/bench-training).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
WORK=${WORK:-$BUILD/bench-training}
COMMANDS=${COMMANDS:-300}
SEED=${SEED:-101}
VOICES=${VOICES-"1 2 3 4"}
CROSS=${CROSS:-100}
NOISE=${NOISE:-1}
NOISE_VOICE=${NOISE_VOICE:-4}
TOOL=$PWD/$BUILD/tools/talvane-tool
PROGRAM=$WORK/program
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
# The tools read the simulator's settings; an empty simulator will do.
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$WORK/wineprefix
  mkdir -p "$WINEPREFIX/drive_c/ProgramData/Microsoft/FSX"
  printf '[Main]\r\n' > "$WINEPREFIX/drive_c/ProgramData/Microsoft/FSX/fsx.cfg"
fi
PROGRAM=$WORK/program
# KEEP=1: go on with the program folder (and its profiles) of an earlier run.
if [ "${KEEP:-0}" != 1 ] || [ ! -d "$PROGRAM" ]; then
  rm -rf "$PROGRAM" && cp -a "$BUILD/program" "$PROGRAM"
  "$TOOL" --program-folder "$PROGRAM" compile > /dev/null
fi
RESULTS=$WORK/results.txt
[ "${KEEP:-0}" = 1 ] || : > "$RESULTS"
say() { echo "$*" | tee -a "$RESULTS"; }

enrol() {  # voice folder
  local voice=$1 folder=$2 i=0 rates=(40 50 60)
  rm -rf "$folder" && mkdir -p "$folder"
  grep -v '^#' data/training_prompts.txt | while IFS= read -r line; do
    i=$((i + 1))
    local name
    name=$(printf '%03d.wav' "$i")
    KELO_WAV="$folder/$name" "$TOOL" --program-folder "$PROGRAM" speak --voice "$voice" --rate "${rates[$((i % 3))]}" "$line" 2> /dev/null
    printf '%s\t%s\n' "$name" "$line" >> "$folder/transcripts.txt"
  done
}

train() {  # profile folder
  local start end
  start=$(date +%s.%N)
  "$TOOL" --program-folder "$PROGRAM" train "$1" "$2" --keep-active $([ "${MLLR:-0}" = 1 ] && echo --mllr) > "$WORK/train-$1.log" 2>&1
  end=$(date +%s.%N)
  say "$1: adapted in $(awk "BEGIN { printf \"%.1f\", $end - $start }") s; $(grep '^#' "$PROGRAM/Models/$1/calibration.txt" | tail -1 | cut -c3-); $(grep confidence_shift "$PROGRAM/Models/$1/calibration.txt")"
}

bench() {  # voice profile commands
  local line
  line=$("$TOOL" --program-folder "$PROGRAM" bench-recognition --commands "$3" --seed "$SEED" --voice "$1" \
    --profile "$2" --folder "$WORK/bench-v$1-$3" 2>&1 | tee "$WORK/bench-v$1-$2-$3.log" | grep '^bench-recognition:' | tail -1)
  say "voice $1, model ${2/#-/standard}: $(echo "$line" | sed -E 's/.*commands: (accuracy [^;]*); [0-9]+ out-of-grammar sentences: (false accepts [^;]*);.*/\1; \2/')"
}

for v in $VOICES; do
  enrol "$v" "$WORK/enrol-v$v"
  train "voice$v" "$WORK/enrol-v$v"
  bench "$v" - "$COMMANDS"
  bench "$v" "voice$v" "$COMMANDS"
done

if [ "$CROSS" -gt 0 ]; then
  for p in $VOICES; do
    for v in $VOICES; do
      [ "$p" = "$v" ] && continue
      bench "$v" "voice$p" "$CROSS"
    done
  done
  for v in $VOICES; do bench "$v" - "$CROSS"; done
fi

if [ "$NOISE" = 1 ]; then
  [ -d "$WORK/enrol-v$NOISE_VOICE" ] || enrol "$NOISE_VOICE" "$WORK/enrol-v$NOISE_VOICE"
  "$TOOL" noisy-copy "$WORK/enrol-v$NOISE_VOICE" "$WORK/enrol-v$NOISE_VOICE-noisy" --snr 10 > /dev/null
  train "noisy$NOISE_VOICE" "$WORK/enrol-v$NOISE_VOICE-noisy"
  bench "$NOISE_VOICE" "noisy$NOISE_VOICE" "$COMMANDS"
fi
echo "results in $RESULTS"
