#!/usr/bin/env bash
# Makes docs/registration-page.png: the real program under a virtual X server, logged in to the
# network server simulator, after a QR scan and a registration.
#
# The scanner is a pseudo-terminal put in place of the first serial port the system lists
# (/dev/ttyS0), inside a private mount namespace of the program alone, so the program finds it
# as it would find a real scanner. Needs root (for that mount) and installs what it lacks.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
output="${1:-$root/docs/registration-page.png}"
# RAVLO_SCREENSHOT_LANGUAGE=ru shows the program in Russian (default: en).
language="${RAVLO_SCREENSHOT_LANGUAGE:-en}"
# The buttons' mnemonics in that language: Connect and Add.
if [ "$language" = ru ]; then connect_key=alt+Cyrillic_pe add_key=alt+Cyrillic_de; else connect_key=alt+c add_key=alt+a; fi

packages=(imagemagick xdotool x11-utils xvfb xauth python3 util-linux)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
[ -e /dev/ttyS0 ] || { echo "screenshot.sh: no /dev/ttyS0 to stand the scanner in for" >&2; exit 1; }
# Builds what is missing; an existing build directory keeps its own configuration.
if [ -f "$root/build/CMakeCache.txt" ]; then
    cmake --build "$root/build" -j"$(nproc)" --target ravlo ravlo-lns-sim >/dev/null
else
    "$root/tools/build.sh" >/dev/null
fi

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

display=:97
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
pids+=("$!")
export DISPLAY="$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

port=18002
"$root/build/tools/lns-sim/ravlo-lns-sim" --port "$port" >"$work/sim.log" 2>&1 &
pids+=("$!")
for _ in $(seq 50); do grep -q '^listening on' "$work/sim.log" && break; sleep 0.1; done

# The scanner: a pseudo-terminal whose master side sends the label once asked to.
python3 - "$work" <<'PY' &
import os, pty, sys, time
work = sys.argv[1]
master, slave = pty.openpty()
with open(work + "/pty.tmp", "w") as f:
    f.write(os.ttyname(slave))
os.rename(work + "/pty.tmp", work + "/pty")
while not os.path.exists(work + "/scan"):
    time.sleep(0.1)
os.write(master, b"DevEUI=70B3D5E75E0000A1\r\nAppEUI=70B3D5E75E000001\r\n"
                 b"AppKey=2B7E151628AED2A6ABF7158809CF4F3C\r\n")
time.sleep(120)
PY
pids+=("$!")
for _ in $(seq 50); do [ -e "$work/pty" ] && break; sleep 0.1; done

# The program starts in a directory of its own with the connection filled in.
cat >"$work/settings.cfg" <<CFG
[General]
serverIpPort=127.0.0.1:$port
serverLogin=operator
serverPassword=ravlo
rememberme=true
wsProtocol=0
language=$language
CFG
(cd "$work" && exec unshare -m --propagation private sh -c \
    "mount --bind '$(cat "$work/pty")' /dev/ttyS0 && exec '$root/build/ravlo'") >"$work/ravlo.log" 2>&1 &
pids+=("$!")

window=""
for _ in $(seq 100); do
    # The main window is the top-level window with the program's class (Qt's helper windows have none).
    window="$(xwininfo -root -tree 2>/dev/null | awk '/\("ravlo" /{print $1; exit}' || true)"
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshot.sh: the program's window did not appear" >&2; cat "$work/ravlo.log" >&2; exit 1; }
xdotool windowfocus --sync "$window"
sleep 1
xdotool key --window "$window" "$connect_key"
for _ in $(seq 100); do grep -q 'cmd=server_info_resp' "$work/sim.log" && break; sleep 0.1; done
sleep 1
touch "$work/scan"
for _ in $(seq 100); do grep -q 'cmd=get_devices_resp' "$work/sim.log" && break; sleep 0.1; done
sleep 1
xdotool key --window "$window" "$add_key"
for _ in $(seq 100); do grep -q 'cmd=manage_devices_resp' "$work/sim.log" && break; sleep 0.1; done
sleep 2

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "written: $output"
