#!/usr/bin/env bash
# A private sound server for tests and benches: PulseAudio, or PipeWire with WirePlumber and its
# PulseAudio layer, living wholly in a folder of the caller's, with one null sink "out" (48000 Hz
# stereo) as the default sink; its monitor "out.monitor" records what was played.
#
# As a command:
#   sound_server.sh start pulseaudio|pipewire DIR
#       starts the server in DIR (made if missing; its path may hold only [A-Za-z0-9_./+-]) and
#       prints NAME=VALUE lines, the environment a client needs (XDG_RUNTIME_DIR, PULSE_SERVER,
#       PIPEWIRE_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS, ...) and SOUND_SERVER_PIDS. No value holds
#       a space or a quote, so `set -a; eval "$(sound_server.sh start ...)"; set +a` works.
#       Exit 0 once the sink is the default, 77 when a program is missing, 1 on any other failure
#       (the logs' tails go to stderr and whatever had started is stopped again).
#   sound_server.sh stop DIR
#       ends every process that start left in DIR, by pid, and only those.
# Sourced by a bash script: sound_server_start KIND DIR exports that environment into the script,
# sound_server_stop DIR ends it. SOUND_SERVER_TIMEOUT (seconds, default 15) bounds each wait.
#
# Servers are ended by the pids recorded at their start, checked against their start time, never
# by name: the user's own servers may be running beside them.

sound_server_rate=48000

sound_server_fail() {
  echo "sound_server: $*" >&2
  return 1
}

# PID: its start time while it runs (not once it is a zombie); a pid reused by another program has
# another, so that one is never signalled.
sound_server_start_time() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  # Fields after the command name, which may itself hold spaces or parentheses.
  # shellcheck disable=SC2086 # split into fields on purpose
  set -- ${stat##*) }
  [ "$1" != Z ] || return 1
  echo "${20}"
}

# PID NAME: remembers a process this script started.
sound_server_remember() {
  local start
  start=$(sound_server_start_time "$1") || start=gone
  echo "$1 $start $2" >>"$sound_server_dir/pids"
}

# SECONDS COMMAND...: true as soon as COMMAND succeeds, false if it never did within SECONDS.
sound_server_poll() {
  local deadline=$((SECONDS + $1))
  shift
  while :; do
    "$@" >/dev/null 2>&1 && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

sound_server_alive() {
  local pid start name
  while read -r pid start name; do
    [ "$(sound_server_start_time "$pid")" = "$start" ] || return 1
  done <"$sound_server_dir/pids"
}

sound_server_default_is_out() {
  pactl info 2>/dev/null | grep -qx 'Default Sink: out'
}

# Sets the server's and the clients' environment for DIR.
sound_server_environment() {
  local dir=$1
  client_environment=(
    "XDG_RUNTIME_DIR=$dir/run"
    "PULSE_SERVER=unix:$dir/run/pulse/native"
    "PULSE_COOKIE=$dir/config/pulse/cookie"
    "PIPEWIRE_RUNTIME_DIR=$dir/run"
    "PIPEWIRE_REMOTE=pipewire-0"
    # PulseAudio needs no bus: a path that is not there fails at once instead of autolaunching one.
    "DBUS_SESSION_BUS_ADDRESS=unix:path=$dir/run/bus"
    "SOUND_SERVER_SINK=out"
    "SOUND_SERVER_MONITOR=out.monitor"
    "SOUND_SERVER_RATE=$sound_server_rate"
  )
  # Everything the servers keep (cookie, state, their own settings) stays in DIR, and none of the
  # user's own settings for these servers applies. A private server must not talk to the test's X
  # display either.
  server_environment=(
    -u DISPLAY -u WAYLAND_DISPLAY
    "HOME=$dir/home" "XDG_CONFIG_HOME=$dir/config" "XDG_STATE_HOME=$dir/state"
    "XDG_DATA_HOME=$dir/data" "XDG_CACHE_HOME=$dir/cache" "PULSE_RUNTIME_PATH=$dir/run/pulse"
    "PULSE_STATE_PATH=$dir/state/pulse"
  )
}

# NAME COMMAND...: starts COMMAND in the server environment, logging to DIR/NAME.log.
sound_server_spawn() {
  local name=$1
  shift
  env "${server_environment[@]}" "${client_environment[@]}" "$@" \
    </dev/null >"$sound_server_dir/$name.log" 2>&1 &
  sound_server_remember $! "$name"
}

sound_server_start_pulseaudio() {
  # -n: none of the system's default.pa (no hardware, no restore modules). The socket lives in a
  # private folder, so anonymous access is safe and no cookie is needed. Root gets a warning only.
  # norewinds: with rewinds, a stream that starts re-renders time the monitor has already handed
  # to its recorder, so a recording loses up to a fragment of the stream's start; and an idle
  # null sink sleeps its whole 2 s latency, so a new recorder hears nothing for that long.
  sound_server_spawn pulseaudio pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-null-sink sink_name=out rate=$sound_server_rate channels=2 norewinds=1" || return 1
  sound_server_poll "$timeout" sound_server_default_is_out ||
    sound_server_fail "pulseaudio did not answer within $timeout s"
}

sound_server_start_pipewire() {
  local dir=$sound_server_dir
  # WirePlumber would otherwise take the machine's sound cards, cameras and Bluetooth devices.
  mkdir -p "$dir/config/wireplumber/main.lua.d" "$dir/config/wireplumber/bluetooth.lua.d"
  printf '%s\n' 'alsa_monitor.enabled = false' 'v4l2_monitor.enabled = false' \
    'libcamera_monitor.enabled = false' >"$dir/config/wireplumber/main.lua.d/60-private.lua"
  echo 'bluez_monitor.enabled = false' >"$dir/config/wireplumber/bluetooth.lua.d/60-private.lua"

  # WirePlumber and the PulseAudio layer want a session bus; ours, so they meet no other server.
  sound_server_spawn dbus-daemon dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$dir/run/bus" || return 1
  sound_server_poll "$timeout" test -S "$dir/run/bus" ||
    { sound_server_fail "dbus-daemon did not start"; return 1; }
  sound_server_spawn pipewire pipewire || return 1
  sound_server_poll "$timeout" pw-cli info 0 ||
    { sound_server_fail "pipewire did not answer within $timeout s"; return 1; }
  sound_server_spawn wireplumber wireplumber || return 1
  sound_server_spawn pipewire-pulse pipewire-pulse || return 1
  sound_server_poll "$timeout" pactl info ||
    { sound_server_fail "pipewire-pulse did not answer within $timeout s"; return 1; }
  pactl load-module module-null-sink sink_name=out rate=$sound_server_rate channels=2 \
    >/dev/null || { sound_server_fail "pipewire-pulse refused the null sink"; return 1; }
  # The default is kept by WirePlumber, which may still be starting: ask until it is taken.
  sound_server_poll "$timeout" eval 'pactl set-default-sink out && sound_server_default_is_out' ||
    sound_server_fail "out did not become the default sink within $timeout s"
}

sound_server_start() {
  local kind=$1 dir=$2 programs tool name
  local timeout=${SOUND_SERVER_TIMEOUT:-15}
  case "$kind" in
    pulseaudio) programs=(pulseaudio pactl) ;;
    pipewire) programs=(dbus-daemon pipewire wireplumber pipewire-pulse pw-cli pactl) ;;
    *) sound_server_fail "no such server kind: '$kind' (pulseaudio or pipewire)"; return 1 ;;
  esac
  for tool in "${programs[@]}"; do
    command -v "$tool" >/dev/null 2>&1 ||
      { echo "sound_server: $tool is missing (scripts/install-deps.sh installs it)" >&2; return 77; }
  done
  case "$dir" in
    '' | *[!A-Za-z0-9_./+-]*) sound_server_fail "unusable folder name: '$dir'"; return 1 ;;
  esac
  mkdir -p "$dir" && dir=$(cd "$dir" && pwd) || return 1
  [ ! -s "$dir/pids" ] || { sound_server_fail "$dir already has a server"; return 1; }
  mkdir -p "$dir/run" "$dir/home" "$dir/config" "$dir/state" "$dir/data" "$dir/cache" &&
    chmod 700 "$dir/run" && : >"$dir/pids" || return 1

  local client_environment server_environment sound_server_dir=$dir
  sound_server_environment "$dir"
  if ! (export "${client_environment[@]}" && "sound_server_start_$kind") ||
     ! sound_server_alive; then
    for name in "$dir"/*.log; do
      [ -s "$name" ] && tail -n 5 "$name" | sed "s|^|sound_server: $(basename "$name" .log): |" >&2
    done
    sound_server_stop "$dir"
    return 1
  fi
  export "${client_environment[@]}"
  SOUND_SERVER_PIDS=$(cut -d' ' -f1 "$dir/pids" | paste -sd,)
  export SOUND_SERVER_PIDS
}

sound_server_stop() {
  local dir=$1 pid start name
  [ -f "$dir/pids" ] || return 0
  # Last started first: the PulseAudio layer and WirePlumber before PipeWire, the bus last.
  tac "$dir/pids" | while read -r pid start name; do
    [ "$(sound_server_start_time "$pid")" = "$start" ] || continue
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 100); do
      [ "$(sound_server_start_time "$pid")" = "$start" ] || continue 2
      sleep 0.05
    done
    echo "sound_server: $name ($pid) ignored SIGTERM for 5 s: killed" >&2
    kill -KILL "$pid" 2>/dev/null
  done
  : >"$dir/pids"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "$1" in
    start)
      [ $# -eq 3 ] || { echo "usage: $0 start pulseaudio|pipewire DIR" >&2; exit 2; }
      sound_server_start "$2" "$3" || exit
      for name in XDG_RUNTIME_DIR PULSE_SERVER PULSE_COOKIE PIPEWIRE_RUNTIME_DIR \
                  PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS SOUND_SERVER_SINK \
                  SOUND_SERVER_MONITOR SOUND_SERVER_RATE SOUND_SERVER_PIDS; do
        echo "$name=${!name}"
      done
      ;;
    stop)
      [ $# -eq 2 ] || { echo "usage: $0 stop DIR" >&2; exit 2; }
      sound_server_stop "$2"
      ;;
    *)
      echo "usage: $0 start pulseaudio|pipewire DIR | stop DIR" >&2
      exit 2
      ;;
  esac
fi
