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
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
nocom="$work/nocom"
mkdir -p "$nocom"

# ---- 1. A box on COM3 --------------------------------------------------------
mkdir -p "$app/System/Logging" "$app/System/Hilfe"
cp "$help_file" "$app/System/Hilfe/"
printf '[Logging]\r\nLogging=ON\r\nLogArt=LOG_ALL\r\n' >"$app/tavrin.ini"
start_sim --com 3 --model USB-NELTA8
start_tavrin
# The search sends ten commands; the window shows when it is over.
main_window 300 >/dev/null || fail "main window did not appear"
for _ in $(seq 100); do [ "$(box_count)" -ge 10 ] && break; sleep 0.1; done
actual=$(head -10 "$boxlog" | awk '{print $3, $4}' | tr '\n' ' ')
expected="COM3 at COM3 at COM3 at COM3 at COM3 at COM3 at COM3 at COM3 at COM3 ati COM3 ati "
[ "$actual" = "$expected" ] || fail "search sequence: '$actual'"
message_shown && fail "a message appeared with a box present"
kill -0 "$tpid" 2>/dev/null || fail "program ended with a box present"
grep -q 'Variable (COM3) \]: = True' "$app/System/Logging/mLogging.log" ||
    fail "trace does not name COM3 as answering"
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
echo "box on COM3 found; search sequence as expected; ended with $rc"
stop_sim

# ---- 2. No COM port at all --------------------------------------------------
app="$work/app2"
mkdir -p "$app/System/Hilfe"
cp "$help_file" "$app/System/Hilfe/"
t0=$(now_ms)
TAVRIN_COM_DIR="$nocom" start_tavrin
wait_window '^Tavrin v' 300 >/dev/null || fail "no message without a COM port"
took=$(($(now_ms) - t0))
echo "message after $took ms (start-up and 128 missing ports)"
kill -0 "$tpid" 2>/dev/null || fail "program ended before the message was confirmed"
sleep 0.3
kill -0 "$tpid" 2>/dev/null || fail "program ended while the message was shown"
confirm_until_end "$tpid"
[ "$shown" -eq 1 ] || fail "$shown message windows instead of one"
wait_end "$tpid" 10 || fail "program still running after the message was confirmed"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ "$(cd "$app" && find . -type f)" = "./System/Hilfe/tavrin_DE.chm" ] ||
    fail "files created: $(cd "$app" && find . -type f)"
echo "no COM port: message confirmed, ended with $rc"

# ---- 3. Nothing at all --------------------------------------------------------
app="$work/app3"
mkdir -p "$app"
TAVRIN_COM_DIR="$nocom" start_tavrin
confirm_until_end "$tpid"
[ "$shown" -ge 1 ] || fail "no message in an empty folder"
wait_end "$tpid" 10 || fail "program still running after $shown messages were confirmed"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ -z "$(ls -A "$app")" ] || fail "files created: $(ls -A "$app")"
echo "empty folder: $shown messages confirmed, ended with $rc"
pass
