#!/usr/bin/env bash
# The emergency off of a USB-NELTA8 with sockets 1, 2 and 5 stored on:
#  1. The button "NOTAUS" asks "NOTAUS"; Cancel (Escape) sends nothing, and
#     neither does Return: Cancel is the question's default button.
#  2. Confirmed with Alt+O (OK): exactly "att0" and then "atoff" with its busy
#     handshake reach the box; the program keeps running.
#  3. The same from the tray entry "Notaus" after socket 3 was switched on.
#  After "Beenden" every socket of the box is stored off, and the next start
#  drives all eight off ("ato1" to "ato8").
# Usage: test_emergency_off.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"
make_app
for n in 1 2 5; do set_ini "$box" AC "ACPower0$n" ON; done
start_tray
start_sim --model USB-NELTA8
start_restored 8

# answer <key>: waits for the confirmation "NOTAUS" and answers it with a real
# key press into it.
answer() {
    local q
    q=$(wait_foreign "$win" 50) || fail "no confirmation question"
    [ "$(xdotool getwindowname "$q")" = "NOTAUS" ] || fail "question titled '$(xdotool getwindowname "$q")'"
    press_keys "$q" "$1" || fail "the question does not take the focus"
}

# ---- 1. Cancelled -------------------------------------------------------------
# Nothing must reach the box after Cancel: watched for a second
# (expect_quiet), since no sign says that nothing will come.
from=$(box_count)
click_emergency "$win"
answer Escape
wait_until 30 no_foreign "$win" || fail "question still shown after Cancel"
expect_quiet 10 box_grew "$from" || fail "Cancel sent: $(box_after "$from" | tr '\n' ' ')"

# ---- 1b. Return answers Cancel (its default button) ----------------------------
click_emergency "$win"
answer Return
wait_until 30 no_foreign "$win" || fail "question still shown after Return"
expect_quiet 10 box_grew "$from" || fail "Return confirmed the emergency off: $(box_after "$from" | tr '\n' ' ')"

# ---- 2. Confirmed with Alt+O (OK) --------------------------
click_emergency "$win"
answer alt+o
wait_box atoff 50 "$from" || fail "no atoff after the confirmation"
wait_quiet 50
[ "$(box_after "$from" | grep -v '^<CR>$' | tr '\n' ' ')" = "att0 atoff " ] ||
    fail "emergency off sent: $(box_after "$from" | tr '\n' ' ')"
kill -0 "$tpid" 2>/dev/null || fail "program ended after the emergency off"

# ---- 3. From the tray, after a socket was switched on again ------------------
click_slot "$win" 3
wait_box atn3 50 "$from" || fail "no atn3"
wait_quiet 50
from=$(box_count)
tray_pick Down Down Return || fail "tray menu did not open"
answer alt+o
wait_box atoff 50 "$from" || fail "no atoff from the tray's \"Notaus\""
wait_quiet 50
[ "$(box_after "$from" | grep -v '^<CR>$' | tr '\n' ' ')" = "att0 atoff " ] ||
    fail "tray emergency off sent: $(box_after "$from" | tr '\n' ' ')"

menu_quit "$win"
wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
for n in 1 2 3 4 5 6 7 8; do expect_ini "$box" AC "ACPower0$n" OFF; done

# The next start drives every socket off.
: >"$boxlog"   # the simulator appends: truncated, not removed
start_tavrin
main_window 300 >/dev/null || fail "main window did not appear on the second start"
wait_restored 8 300 || fail "sockets not restored on the second start"
got=$(box_commands | grep -E '^at[no][0-9]+$' | tr '\n' ' ')
[ "$got" = "ato1 ato2 ato3 ato4 ato5 ato6 ato7 ato8 " ] || fail "second start restored: $got"
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
pass
