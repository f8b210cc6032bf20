#!/usr/bin/env bash
# Starts, stops or restarts the private PulseAudio server of the end-to-end tests, in
# $XDG_RUNTIME_DIR (which pulse.sh sets up). Usage: pulse_server.sh start|stop|restart
set -u
pidfile="$XDG_RUNTIME_DIR/pulseaudio.pid"

start() {
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no -n \
    --log-target=file:"$XDG_RUNTIME_DIR/pulse.log" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native" \
    --load="module-null-sink sink_name=benchsink rate=44100 channels=1 format=s16le norewinds=1" \
    --load="module-remap-source master=benchsink.monitor source_name=benchmic channels=1 master_channel_map=mono channel_map=mono" \
    </dev/null >/dev/null 2>&1 &
  echo $! > "$pidfile"
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink benchsink
  pactl set-default-source benchmic
}

stop() {
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  rm -f "$pidfile"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  restart) stop; start ;;
  *) echo "usage: $0 start|stop|restart" >&2; exit 2 ;;
esac
