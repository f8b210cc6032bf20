# Starts a private PulseAudio server with a null sink and a mono source recording it:
# whatever plays into the sink is what a capture from the default source hears.
# Source this file; it sets PULSE_SERVER and stops the server on exit.
export XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
mkdir -p "$XDG_RUNTIME_DIR/pulse"

start_pulse() {
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no -n \
    --log-target=file:"$XDG_RUNTIME_DIR/pulse.log" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native" \
    --load="module-null-sink sink_name=benchsink rate=44100 channels=1 format=s16le norewinds=1" \
    --load="module-remap-source master=benchsink.monitor source_name=benchmic channels=1 master_channel_map=mono channel_map=mono" &
  PA_PID=$!
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink benchsink
  pactl set-default-source benchmic
}

stop_pulse() {
  [ -n "${PA_PID:-}" ] && kill "$PA_PID" 2>/dev/null && wait "$PA_PID" 2>/dev/null
  PA_PID=
}

trap 'stop_pulse; rm -rf "$XDG_RUNTIME_DIR"' EXIT
start_pulse
