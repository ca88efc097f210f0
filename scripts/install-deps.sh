#!/usr/bin/env bash
# Installs every Debian package Lirveto needs to build, run and test that is not yet installed.
# Safe to run again and again: it asks apt only when something is missing.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache clang clang-format clang-tidy libclang-rt-14-dev
  # libraries
  qt6-base-dev libgl-dev libsdl2-dev libfluidsynth-dev libasound2-dev libxcb1-dev libxcb-xinput-dev
  libpipewire-0.3-dev libpulse-dev libsndfile1-dev
  # the built-in synth's General MIDI SoundFont and the command-line synth used by tests
  timgm6mb-soundfont fluidsynth
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps x11-utils openbox sox python3 python3-mido desktop-file-utils
  # private sound servers that tests start, play through and record (pactl, pacat, parec, pw-cat,
  # pw-cli, pw-dump), their own session bus, and the load for sound benchmarks
  pulseaudio pulseaudio-utils pipewire pipewire-bin pipewire-pulse wireplumber dbus-daemon
  stress-ng
  # checks of what make install and make package deliver
  appstream groff-base man-db file dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    run_as_root=(sudo)
  else
    echo "install-deps: these packages are missing and I am not root (and sudo is not there): ${missing[*]}" >&2
    echo "install-deps: install them with: apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

export DEBIAN_FRONTEND=noninteractive
if ! "${run_as_root[@]}" apt-get update -q ||
   ! "${run_as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  echo "install-deps: could not install: ${missing[*]}" >&2
  echo "install-deps: check the network and apt sources, then run 'make test' again." >&2
  exit 1
fi
