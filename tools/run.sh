#!/usr/bin/env bash
# Sets up, builds and starts Ravlo in the current directory (its "settings.cfg" lives there),
# with the network server simulator beside it when that is built.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/build.sh"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    display=:99
    echo "No display found: starting Ravlo under a virtual X server (Xvfb $display)."
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=("$!")
    export DISPLAY="$display"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${display#:}" ] && break
        sleep 0.1
    done
fi

simulator="$root/build/tools/lns-sim/ravlo-lns-sim"
if [ -x "$simulator" ] && [ "${RAVLO_NO_SIMULATOR:-0}" != 1 ]; then
    port="${RAVLO_SIM_PORT:-8002}"
    echo "Starting the network server simulator on ws://127.0.0.1:$port (log: ravlo-lns-sim.log)."
    "$simulator" --port "$port" --database "ravlo-lns-sim.db" >ravlo-lns-sim.log 2>&1 &
    pids+=("$!")
fi

"$root/build/ravlo" "$@"
