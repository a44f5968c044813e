#!/usr/bin/env bash
# Switching sockets from the main window's page buttons (a USB-NELTA8):
# a click on slot 2 switches socket 2 on ("atn2" and the busy handshake),
# a second click switches it off again ("ato2", whose first answer is only
# logged), slot 3 switches socket 3 on;
# on the second page slot 1 is socket 5 ("atn5"). Each click is traced
# ("BTN-Toggle ausführen für Steckdose<n>..."). After "Beenden" the box file
# holds socket 2 off and sockets 3 and 5 on.
# Usage: test_switch_window.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"
make_app
start_sim --model USB-NELTA8
start_restored 8

# switch <slot> <command> <sequence>: a click on the slot's page button
# sends exactly the sequence: switching on waits through the busy handshake
# (two carriage returns), switching off only logs the first answer.
switch() {
    local from
    from=$(box_count)
    click_slot "$win" "$1"
    wait_box "$2" 50 "$from" || fail "slot $1: no $2 (got: $(box_after "$from" | tr '\n' ' '))"
    wait_quiet 50 || fail "the box keeps receiving commands after $2"
    [ "$(box_after "$from" | tr '\n' ' ')" = "$3" ] ||
        fail "slot $1: commands $(box_after "$from" | tr '\n' ' ')"
}

switch 2 atn2 "atn2 <CR> <CR> "
wait_log 'BTN-Toggle ausführen für Steckdose2\.\.\.' 30 || fail "no trace of the switch of socket 2"
switch 2 ato2 "ato2 "
switch 3 atn3 "atn3 <CR> <CR> "
# The second page is up once the tab change has been traced.
changes=$(log_count 'TabControl_AC_DosenChange')
click_tab "$win" 1 2
wait_until 50 log_grew 'TabControl_AC_DosenChange' "$changes" || fail "the second page does not show"
switch 1 atn5 "atn5 <CR> <CR> "
wait_log 'BTN-Toggle ausführen für Steckdose5\.\.\.' 30 || fail "no trace of the switch of socket 5"
[ -z "$(foreign_windows "$win")" ] || fail "a message or dialog appeared"

menu_quit "$win"
wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
for n in 1 2 4 6 7 8; do expect_ini "$box" AC "ACPower0$n" OFF; done
expect_ini "$box" AC ACPower03 ON
expect_ini "$box" AC ACPower05 ON
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
pass
