#!/usr/bin/env bash
# The start-up of the real program on a virtual X server:
#  1. nelta-sim serves a USB-NELTA8 on COM3 (COM1 and COM2 do not exist): the
#     box is found on COM3, the simulator first receives the search's exact
#     sequence (the lenient "at", the strict test's seven "at", "ati" twice),
#     the main window is shown and no message appears; the trace names COM3
#     as the port that answered.
#  2. An empty COM folder: the 128 names fail at once, the message "Keine COM
#     Schnittstelle vorhanden" appears, and once it is confirmed with Enter
#     the process ends by itself with status 0, having created no file.
#  3. A working folder that is empty as well (no help file either): every
#     message is confirmed in turn, and the process ends by itself.
# The working folders of 1 and 2 hold the help file, so that its message
# ("Hilfe-Datei nicht gefunden") does not stop the start.
# Usage: test_startup.sh <path of tavrin>; the simulator comes in TAVRIN_SIM.
set -u
tavrin="$(realpath "$1")"
sim="$(realpath "${TAVRIN_SIM:-$(dirname "$tavrin")/../tools/nelta-sim/nelta-sim}")"
help="$(cd "$(dirname "$0")/../../resources/help" && pwd)/tavrin_DE.chm"
work="$(mktemp -d)"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.log "$work"/*.out; do [ -f "$f" ] && { echo "--- $f"; tail -40 "$f"; }; done
    exit 1
}
command -v xdotool >/dev/null || fail "xdotool missing"
[ -x "$sim" ] || fail "nelta-sim not found at $sim"
[ -f "$help" ] || fail "help file not found at $help"

mkdir -p "$work/run" "$work/home"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
unset QT_QPA_PLATFORM
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Waits (at most $2 tenths of a second) for a visible window whose name
# matches the pattern $1 and prints its id.
wait_window() {
    for _ in $(seq "$2"); do
        local w
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}

# Confirms the program's message windows with Enter (again every half
# second, in case a key arrived before a window was ready) until process $1
# ends, for at most 30 s; the number of distinct windows goes to shown.
confirm_until_end() {
    local seen=" "
    for _ in $(seq 60); do
        kill -0 "$1" 2>/dev/null || break
        for box in $(xdotool search --onlyvisible --name '^Tavrin v' 2>/dev/null); do
            case "$seen" in *" $box "*) ;; *) seen="$seen$box " ;; esac
            xdotool key --window "$box" Return 2>/dev/null
        done
        sleep 0.5
    done
    shown=$(echo $seen | wc -w)
}

# Waits (at most $2 tenths of a second) for process $1 to end; its status
# goes to rc.
wait_end() {
    for _ in $(seq "$2"); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            rc=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# ---- 1. A box on COM3 --------------------------------------------------------
mkdir -p "$work/com1" "$work/app1/System/Logging" "$work/app1/System/Hilfe"
cp "$help" "$work/app1/System/Hilfe/"
printf '[Logging]\r\nLogging=ON\r\nLogArt=LOG_ALL\r\n' >"$work/app1/tavrin.ini"
"$sim" --dir "$work/com1" --com 3 --model USB-NELTA8 --log "$work/sim1.log" >"$work/sim1.out" 2>&1 &
simpid=$!
pids+=("$simpid")
for _ in $(seq 50); do [ -e "$work/com1/com3" ] && break; sleep 0.1; done
[ -e "$work/com1/com3" ] || fail "simulator did not link com3"

(cd "$work/app1" && TAVRIN_COM_DIR="$work/com1" exec "$tavrin") >"$work/tavrin1.out" 2>&1 &
tav=$!
pids+=("$tav")
# The search sends ten commands; the window shows when it is over.
wait_window '^Tavrin$' 300 >/dev/null || fail "main window did not appear"
for _ in $(seq 100); do [ "$(wc -l <"$work/sim1.log")" -ge 10 ] && break; sleep 0.1; done
actual=$(head -10 "$work/sim1.log" | awk '{print $3, $4}' | tr '\n' ' ')
expected="COM3 at COM3 at COM3 at COM3 at COM3 at COM3 at COM3 at COM3 at COM3 ati COM3 ati "
[ "$actual" = "$expected" ] || fail "search sequence: '$actual'"
xdotool search --onlyvisible --name '^Tavrin v' >/dev/null 2>&1 && fail "a message appeared with a box present"
kill -0 "$tav" 2>/dev/null || fail "program ended with a box present"
grep -q 'Variable (COM3) \]: = True' "$work/app1/System/Logging/mLogging.log" ||
    fail "trace does not name COM3 as answering"
kill -TERM "$tav"
wait_end "$tav" 100 || fail "program does not end on SIGTERM"
echo "box on COM3 found; search sequence as expected; ended with $rc"
kill "$simpid" 2>/dev/null

# ---- 2. No COM port at all --------------------------------------------------
mkdir -p "$work/com2" "$work/app2/System/Hilfe"
cp "$help" "$work/app2/System/Hilfe/"
t0=$(now_ms)
(cd "$work/app2" && TAVRIN_COM_DIR="$work/com2" exec "$tavrin") >"$work/tavrin2.out" 2>&1 &
tav=$!
pids+=("$tav")
box=$(wait_window '^Tavrin v' 300) || fail "no message without a COM port"
took=$(( $(now_ms) - t0 ))
echo "message after $took ms (start-up and 128 missing ports)"
kill -0 "$tav" 2>/dev/null || fail "program ended before the message was confirmed"
sleep 0.3
kill -0 "$tav" 2>/dev/null || fail "program ended while the message was shown"
confirm_until_end "$tav"
[ "$shown" -eq 1 ] || fail "$shown message windows instead of one"
wait_end "$tav" 10 || fail "program still running after the message was confirmed"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ "$(cd "$work/app2" && find . -type f)" = "./System/Hilfe/tavrin_DE.chm" ] ||
    fail "files created: $(cd "$work/app2" && find . -type f)"
echo "no COM port: message confirmed, ended with $rc"

# ---- 3. Nothing at all --------------------------------------------------------
mkdir -p "$work/app3"
(cd "$work/app3" && TAVRIN_COM_DIR="$work/com2" exec "$tavrin") >"$work/tavrin3.out" 2>&1 &
tav=$!
pids+=("$tav")
confirm_until_end "$tav"
[ "$shown" -ge 1 ] || fail "no message in an empty folder"
wait_end "$tav" 10 || fail "program still running after $shown messages were confirmed"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ -z "$(ls -A "$work/app3")" ] || fail "files created: $(ls -A "$work/app3")"
echo "empty folder: $shown messages confirmed, ended with $rc"
echo "PASS"
