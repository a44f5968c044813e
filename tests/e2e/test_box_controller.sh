#!/usr/bin/env bash
# The one queue of the box exchange in the real program, a USB-NELTA8:
#  1. the box vanishes in the middle of the user's "atn1": afterwards a click
#     on a socket, a switch from the tray, opening the settings dialog (its
#     serial number and its beeper option) and the emergency off each leave
#     the program running (each failed exchange is reported in a message),
#     and "Beenden" still writes both files;
#  2. a box that answers "WAIT" forever to "atn1", two clicks queued behind
#     it, then SIGTERM: the program ends within 3 s, sends no command after
#     the signal, and the box file holds the stored states of all three
#     clicks;
#  3. SIGTERM in the middle of the start's search against a port that never
#     answers: no "no box" message, the program ends within 3 s and saves
#     through its end (the trace shows the saving).
# Usage: test_box_controller.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"

# sigterm_within <ms> <label>: SIGTERM, then the end with status 0 in time.
sigterm_within() {
    local start end
    start=$(now_ms)
    kill -TERM "$tpid"
    wait_end "$tpid" 100 || fail "$2: no end on SIGTERM within 10 s"
    end=$(now_ms)
    [ "$rc" -eq 0 ] || fail "$2: ended with status $rc"
    echo "$2: ended $((end - start)) ms after SIGTERM"
    [ $((end - start)) -le "$1" ] || fail "$2: took $((end - start)) ms to end"
}

# ---- 1. A vanished box never ends the program ----------------------------------
make_app
start_tray
start_sim --model USB-NELTA8 --fault vanish --fault-after 27
start_restored 8
from=$(box_count)
click_slot "$win" 1
wait_box atn1 50 "$from" || fail "vanish: no atn1"
confirm_messages "$win" 30
[ "$confirmed" -ge 1 ] || fail "vanish: the port error was not reported"
kill -0 "$tpid" 2>/dev/null || fail "vanish: program ended after the port error"

click_slot "$win" 2
confirm_messages "$win" 15
kill -0 "$tpid" 2>/dev/null || fail "vanish: program ended on a click without a box"

tray_socket 3 || fail "vanish: the tray menu does not open"
confirm_messages "$win" 15
[ "$confirmed" -ge 1 ] || fail "vanish: the switch from the tray reported no port error"
kill -0 "$tpid" 2>/dev/null || fail "vanish: program ended on a switch from the tray"

# The settings dialog's opening reads the serial number ("at", "atsn") and
# loads the stored beeper into its check box, which runs the beeper option:
# each fails and is reported above the dialog; then "Ok" closes it.
# The reports are confirmed one by one until none has followed for 1.5 s
# (how many come is the point of the count, so only a quiet time ends them).
dlg=$(open_settings "$win") || fail "vanish: the settings dialog does not open"
next_report() { foreign_windows "$win" | grep -vx "$dlg" | head -1 | grep .; }
reported=0
while [ "$reported" -lt 10 ] && m=$(wait_until 15 next_report); do
    press_keys "$m" Return
    reported=$((reported + 1))
    wait_until 30 not foreign_shown "$win" "$m" || fail "vanish: a report stays after Return"
done
kill -0 "$tpid" 2>/dev/null || fail "vanish: program ended when the settings dialog opened"
[ "$reported" -ge 2 ] || fail "vanish: the settings dialog's serial number and beeper reported $reported errors"
press_keys "$dlg" alt+o || fail "vanish: the settings dialog does not take the focus"
wait_until 30 no_foreign "$win" || fail "vanish: a window stays open after the settings dialog"

click_emergency "$win"
question=$(wait_foreign "$win" 30) || fail "vanish: no emergency-off question"
# OK is not the default: Alt+O chooses it.
press_keys "$question" alt+o
confirm_messages "$win" 15
kill -0 "$tpid" 2>/dev/null || fail "vanish: program ended on the emergency off"
main_visible || fail "vanish: main window gone"

menu_quit "$win" || fail "vanish: the menu does not open"
for _ in 1 2 3; do
    wait_end "$tpid" 50 && break
    confirm_messages "$win" 5
done
kill -0 "$tpid" 2>/dev/null && fail "vanish: \"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "vanish: ended with $rc"
# The emergency off stored every socket off, also without a box to tell.
expect_ini "$box" COM Port COM1
expect_ini "$box" AC ACPower01 OFF
expect_ini "$box" AC ACPower02 OFF
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
ini_intact "$app/tavrin.ini" "$defaults/tavrin.ini"
stop_sim
echo "vanished: click, tray, settings dialog and emergency off reported, ended with 0, files written"

# ---- 2. SIGTERM during an endless WAIT with two clicks queued -------------------
make_app
start_sim --model USB-NELTA8 --fault wait --fault-after 27
start_restored 8
from=$(box_count)
click_slot "$win" 1
wait_box atn1 50 "$from" || fail "wait: no atn1"
# The box answers WAIT: the handshake's carriage returns follow.
wait_box '<CR>' 50 "$from" || fail "wait: no handshake after atn1"
click_slot "$win" 2
click_slot "$win" 3
for n in 2 3; do
    wait_log "Steckdose $n: Schalten wartet" 50 || fail "wait: the click on slot $n was not queued"
done
signalled=$(box_count)
sigterm_within 3000 "wait"
after="$(box_after "$signalled" | grep -v '^<CR>$' || true)"
[ -z "$after" ] || fail "wait: commands after the signal: $(echo "$after" | tr '\n' ' ')"
box_commands | grep -qx 'atn2' && fail "wait: a queued click reached the box"
# The queued clicks are saved as stored.
expect_ini "$box" AC ACPower01 ON
expect_ini "$box" AC ACPower02 ON
expect_ini "$box" AC ACPower03 ON
stop_sim
echo "endless WAIT: ended in time, nothing sent after the signal, states saved"

# ---- 3. SIGTERM during the search ---------------------------------------------------
make_app
set_ini "$app/tavrin.ini" Logging LogArt LOG_ALL
start_sim --model USB-NELTA8 --fault silent
from=$(box_count)
start_tavrin
# In the search: the port has the search's first two commands and no answer
# (the command log goes on from the runs above).
wait_until 100 box_has $((from + 2)) || fail "search: the box does not hear the search"
kill -0 "$tpid" 2>/dev/null || fail "search: the program ended by itself"
sigterm_within 3000 "search"
[ -z "$(foreign_windows 0)" ] || fail "search: a message is still shown"
grep -q 'SaveMainSettings' "$app/System/Logging/mLogging.log" || fail "search: the end did not save"
grep -q 'Keine COM Schnittstelle' "$work/tavrin.out" 2>/dev/null && fail "search: the no-box message was shown"
ini_intact "$app/tavrin.ini" "$defaults/tavrin.ini"
echo "search: ended in time without a message, saved"
pass
