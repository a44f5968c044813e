#!/usr/bin/env bash
# With the full trace on (LogArt=LOG_ALL) the loggers serve the message
# queue every 32nd line, so the window's own handlers run in the middle of
# the edit dialog's reads and writes. Socket 1 has a name and both
# switch-off marks; the edit dialog is opened and confirmed 20 times; the
# box file then still holds the name and both marks.
# Usage: test_edit_reentry.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
make_app
box="$(box_file)"
set_ini "$box" AC AC_Name01 Drucker
set_ini "$box" AC AC_Down01 ON
set_ini "$box" AC ACWDown01 ON
start_sim --model USB-NELTA4
start_restored 4

for i in $(seq 20); do
    click_edit "$win" 1
    dialog=$(wait_foreign "$win" 50) || fail "opening $i: no edit dialog"
    press_keys "$dialog" Return || fail "opening $i: the edit dialog does not take the focus"
    wait_until 50 no_foreign "$win" || fail "opening $i: the dialog did not close"
done
wait_log 'Edit ausführen für Steckdose01' 10 || fail "no trace of the edits"

menu_quit "$win" || fail "the menu did not open"
wait_end "$tpid" 150 || fail "the program did not end"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$box" AC AC_Name01 Drucker
expect_ini "$box" AC AC_Down01 ON
expect_ini "$box" AC ACWDown01 ON
pass
