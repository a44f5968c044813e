#!/usr/bin/env bash
# A busy and a slow box (USB-NELTA8):
#  1. busy (--busy 5, five answers of the handshake before "SET PORT"): the
#     restore of every socket and a switch from the window each wait through
#     exactly five carriage returns; the switched socket is saved.
#  2. slow (--reply-delay 120, six times the usual): still inside the time an
#     exchange waits, so the box is identified and restored as usual and a
#     switch goes through.
#  3. too slow (--reply-delay 400, longer than an exchange waits): each
#     answer arrives during the next exchange. The program must neither crash
#     nor hang: it either finds the box and runs, or says "Keine COM
#     Schnittstelle vorhanden" and ends once that is confirmed; either way it
#     ends with status 0 and the files keep every key.
# Usage: test_box_slow.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"

# session <sim options...>: a fresh installation, the box, the program, the
# restore awaited.
session() {
    stop_sim
    make_app
    : >"$boxlog"
    start_sim --model USB-NELTA8 "$@"
    start_restored 8 400 "$*"
}

# crs_after <command>: the carriage returns that followed the command.
crs_after() {
    box_commands | awk -v c="$1" '$0 == c {on = 1; n = 0; next} on && /^<CR>$/ {n++; next} on {exit} END {print n + 0}'
}

# switch_slot1 <busy answers>: slot 1 switches socket 1 on through the
# handshake, then "Beenden"; socket 1 is saved on.
switch_slot1() {
    local from
    from=$(box_count)
    click_slot "$win" 1
    wait_box atn1 50 "$from" || fail "no atn1"
    wait_quiet 50
    [ "$(crs_after atn1)" -eq "$1" ] || fail "atn1 followed by $(crs_after atn1) carriage returns"
    menu_quit "$win" || fail "the menu does not open"
    wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
    [ "$rc" -eq 0 ] || fail "ended with $rc"
    expect_ini "$box" AC ACPower01 ON
    expect_ini "$box" AC AC_Controller NELTA-V1.4-BOX8-USB
}

# ---- 1. Busy ------------------------------------------------------------------------
session --busy 5
for n in 1 2 3 4 5 6 7 8; do
    [ "$(crs_after "ato$n")" -eq 5 ] || fail "busy: ato$n followed by $(crs_after "ato$n") carriage returns"
done
switch_slot1 5
echo "busy box: every switch waited through five answers"

# ---- 2. Slow ------------------------------------------------------------------------
session --reply-delay 120
got=$(box_commands | grep -E '^at[no][0-9]+$' | tr '\n' ' ')
[ "$got" = "ato1 ato2 ato3 ato4 ato5 ato6 ato7 ato8 " ] || fail "slow: restore commands: $got"
switch_slot1 2
echo "slow box: identified, restored and switched"

# ---- 3. Too slow ----------------------------------------------------------------------
stop_sim
make_app
: >"$boxlog"
start_sim --model USB-NELTA8 --reply-delay 400
start_tavrin
# start_outcome: the start has shown the main window or a message (in outcome).
start_outcome() {
    if main_window 1 >/dev/null; then outcome=window; return 0; fi
    if message_shown; then outcome=message; return 0; fi
    kill -0 "$tpid" 2>/dev/null || fail "too slow: the program ended by itself at start"
    return 1
}
outcome=""
wait_until 600 start_outcome || fail "too slow: neither window nor message after 60 s"
if [ "$outcome" = window ]; then
    win=$(main_window 1)
    wait_quiet 300 || fail "too slow: the box keeps receiving commands for 30 s"
    confirm_messages "$win" 5
    kill -0 "$tpid" 2>/dev/null || fail "too slow: the program ended"
    menu_quit "$win" || fail "too slow: the menu does not open"
    wait_end "$tpid" 100 || fail "too slow: \"Beenden\" does not end the program"
else
    confirm_until_end "$tpid"
    wait_end "$tpid" 10 || fail "too slow: still running after the message was confirmed"
fi
[ "$rc" -eq 0 ] || fail "too slow: ended with $rc"
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
ini_intact "$app/tavrin.ini" "$defaults/tavrin.ini"
echo "too slow box: $outcome, ended with $rc, files intact"
pass
