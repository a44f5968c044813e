#!/usr/bin/env bash
# Runs Tavrin against a simulated USB-NELTA8 box in a fresh demo folder.
# Builds first when needed. With a display it runs until you quit it from the
# tray menu or its menu "Datei > Beenden". Without a display it starts a
# virtual display, waits for the main window, saves a screenshot to
# demo/screenshot.png, prints where, and ends everything.
# Usage: scripts/run-demo.sh [model]   (default USB-NELTA8)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
model="${1:-USB-NELTA8}"
build="$root/build/default"

if [ ! -x "$build/src/tavrin" ] || [ ! -x "$build/tools/nelta-sim/nelta-sim" ]; then
    cmake --preset default >/dev/null
    cmake --build --preset default --target tavrin nelta-sim -j "$(nproc)"
fi
tavrin="$build/src/tavrin"
sim="$build/tools/nelta-sim/nelta-sim"

demo="$root/demo"
rm -rf "$demo"
mkdir -p "$demo/com"
cp -r "$root/resources/defaults/." "$demo/"
mkdir -p "$demo/System/Hilfe" "$demo/System/Logging"
cp "$root/resources/help/tavrin_DE.chm" "$demo/System/Hilfe/"

pids=()
cleanup() { for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

"$sim" --dir "$demo/com" --com 1 --model "$model" --log "$demo/box.log" >"$demo/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$demo/com/com1" ] && break; sleep 0.05; done
[ -e "$demo/com/com1" ] || { echo "nelta-sim did not start (see $demo/sim.out)"; exit 1; }
export TAVRIN_COM_DIR="$demo/com"
echo "Simulated $model on COM1, its command log: $demo/box.log"

if [ -n "${DISPLAY:-}" ]; then
    (cd "$demo" && "$tavrin")
    echo "Settings written to $demo/tavrin.ini and $demo/System/AC_Config/AC_Power_01.ini"
    exit 0
fi

# No display: a virtual one, a tray host, a screenshot. The server picks a
# free display number itself and writes it to us (-displayfd), as for the
# end-to-end tests (tests/e2e/with-xvfb.sh), so the demo never draws on
# somebody else's server.
mkfifo "$demo/xvfb.fd"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$demo/xvfb.fd" >"$demo/xvfb.out" 2>&1 &
pids+=($!)
disp=""
read -r -t 20 disp <"$demo/xvfb.fd" || true
rm -f "$demo/xvfb.fd"
[ -n "$disp" ] || { echo "Xvfb did not start (see $demo/xvfb.out)"; exit 1; }
export DISPLAY=":$disp"
unset XAUTHORITY
echo "Virtual display $DISPLAY"
if command -v trayer >/dev/null; then trayer --edge top --align right --widthtype pixel --width 60 >/dev/null 2>&1 & pids+=($!); fi
(cd "$demo" && exec "$tavrin") >"$demo/tavrin.out" 2>&1 &
tpid=$!
pids+=("$tpid")
# Wait until the box has been initialised (the last socket driven to its state).
count="${model#USB-NELTA}"
for _ in $(seq 200); do
    grep -qE " (atn|ato)$count\$" "$demo/box.log" 2>/dev/null && break
    sleep 0.1
done
sleep 1
import -window root "$demo/screenshot.png"
kill -TERM "$tpid"
wait "$tpid" 2>/dev/null || true
echo "Screenshot of the running program: $demo/screenshot.png"
echo "Settings written to $demo/tavrin.ini and $demo/System/AC_Config/AC_Power_01.ini"
