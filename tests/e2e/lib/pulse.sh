# Starts a private PulseAudio server with a null sink and a mono source recording it:
# whatever plays into the sink is what a capture from the default source hears.
# Source this file; it sets PULSE_SERVER and stops the server on exit.
export XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
mkdir -p "$XDG_RUNTIME_DIR/pulse"
export TAMSEL_PULSE_SERVER_SCRIPT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/pulse_server.sh"
trap 'bash "$TAMSEL_PULSE_SERVER_SCRIPT" stop; rm -rf "$XDG_RUNTIME_DIR"' EXIT
bash "$TAMSEL_PULSE_SERVER_SCRIPT" start
