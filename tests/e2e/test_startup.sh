#!/usr/bin/env bash
# The start-up of the real program on a virtual X server:
#  1. nelta-sim serves a USB-NELTA8 on COM3 (COM1 and COM2 do not exist): the
#     box is found on COM3, the simulator first receives the search's exact
#     sequence (the lenient "at", the strict test's seven "at", "ati" twice),
#     the main window is shown and no message appears; the trace names COM3
#     as the port that answered.
#  2. An empty COM folder: the 128 names fail at once, the message "Keine COM
#     Schnittstelle vorhanden" appears and waits for its confirmation; once
#     it is confirmed with Enter the process ends by itself with status 0,
#     having created no file.
#  3. A working folder without the help file, with a box: the message
#     "Hilfe-Datei nicht gefunden" waits for its confirmation, then the start
#     goes on to the main window.
#  4. A working folder that is empty, and no COM port: the two messages come
#     in this order, first the help file's, then "Keine COM Schnittstelle
#     vorhanden"; each waits for its confirmation, and after the second the
#     process ends by itself.
# Message boxes carry the program's title only, so a message is told by its
# size: those of 2 and 3 (the same folder path as 4) are the references.
# The working folders of 1 and 2 hold the help file, so that its message
# does not stop the start.
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
wait_until 100 box_has 10 || fail "the search sent $(box_count) commands, not ten"
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
# It waits for the confirmation: it must not end while the message is up.
expect_quiet 3 ended "$tpid" || fail "program ended while the message was shown"
confirm_until_end "$tpid"
[ "$shown" -eq 1 ] || fail "$shown message windows instead of one"
nocom_size="$shown_sizes"
wait_end "$tpid" 10 || fail "program still running after the message was confirmed"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ "$(cd "$app" && find . -type f)" = "./System/Hilfe/tavrin_DE.chm" ] ||
    fail "files created: $(cd "$app" && find . -type f)"
echo "no COM port: message ($nocom_size) confirmed, ended with $rc"

# ---- 3. No help file, a box ---------------------------------------------------
app="$work/app3"
mkdir -p "$app"
start_sim --model USB-NELTA4
start_tavrin
confirm_message "$tpid" 300 || fail "no message without the help file"
help_size="$msg_size"
main_window 300 >/dev/null || fail "main window did not appear after the help file's message"
message_shown && fail "a second message with a box present"
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
stop_sim
[ "$help_size" != "$nocom_size" ] ||
    fail "the help file's message and the COM message have the same size ($help_size): cannot tell them apart"
echo "no help file: message ($help_size) confirmed, the start went on"

# ---- 4. Nothing at all --------------------------------------------------------
rm -rf "$app"
mkdir -p "$app"
TAVRIN_COM_DIR="$nocom" start_tavrin
confirm_until_end "$tpid"
[ "$shown_sizes" = "$help_size $nocom_size" ] ||
    fail "empty folder: messages of sizes '$shown_sizes', expected the help file's ($help_size), then the COM message ($nocom_size)"
wait_end "$tpid" 10 || fail "program still running after $shown messages were confirmed"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ -z "$(ls -A "$app")" ] || fail "files created: $(ls -A "$app")"
echo "empty folder: the help file's message, then the COM message, each confirmed; ended with $rc"
pass
