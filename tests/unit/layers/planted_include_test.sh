#!/usr/bin/env bash
# The layer check must catch what it is for: a copy of src/ passes, and the same copy with one
# planted include of each device library in a core file, or of a higher layer's header in a lower
# one, fails.
# Usage: planted_include_test.sh CHECK_LAYERS SOURCE_ROOT
set -uo pipefail
check=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/lirveto-layers-XXXXXX")
trap 'rm -rf "$work"' EXIT

cp -r "$source" "$work/clean"
python3 "$check" "$work/clean" >/dev/null || { echo "FAILED: the unchanged sources were refused"; exit 1; }

plant() {  # plant FILE LINE: the check must refuse the copy with LINE added to FILE
  rm -rf "$work/planted"
  cp -r "$work/clean" "$work/planted"
  printf '%s\n' "$2" >>"$work/planted/$1"
  if python3 "$check" "$work/planted" >"$work/out" 2>&1; then
    echo "FAILED: '$2' in $1 passed the check"
    exit 1
  fi
  grep -q "$1" "$work/out" || { echo "FAILED: the report does not name $1"; cat "$work/out"; exit 1; }
}

plant engine/wave/wave_table.cpp '#include <SDL.h>'
plant engine/wave/wave_engine.h '#include <SDL2/SDL_audio.h>'
plant platform/waveout/wave_out.cpp '#include <QObject>'
plant settings/settings_store.cpp '#include <QtCore/QString>'
plant files/wave_file.cpp '#include <fluidsynth.h>'
plant platform/mmio.cpp '#include <alsa/asoundlib.h>'
plant platform/registry.cpp '#include <xcb/xcb.h>'
plant platform/profile.h '#include "framework/resources.h"'
plant platform/backends/sdl_audio_device.cpp '#include "framework/messages.h"'
plant platform/backends/fluid_synth_port.cpp '#include "settings/settings_values.h"'
plant framework/window.cpp '#include "app/app.h"'
echo "every planted include was refused"
