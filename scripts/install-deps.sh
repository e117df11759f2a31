#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PKGS=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpocketsphinx-dev pocketsphinx-en-us
  # Voice training: sphinx_fe, pocketsphinx_mdef_convert and the sphinxtrain tools.
  sphinxtrain pocketsphinx sphinxbase-utils
  libespeak-ng-dev espeak-ng
  libasound2-dev
  libx11-dev xvfb xauth xdotool fonts-dejavu-core
  sox libxi-dev procps
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
