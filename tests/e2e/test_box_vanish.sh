#!/usr/bin/env bash
# The box disappears (unplugged) while the program runs, a USB-NELTA8:
#  1. in the middle of the user's "atn1" (the start-up sends 27 commands):
#     the port error is reported in a message; once it is confirmed the
#     program runs on, a further click does not bring it down, and "Beenden"
#     ends it with status 0; the box file keeps the port and every key and
#     holds socket 1 on (the stored state flips before the command is sent);
#  2. in the middle of the start-up's socket restore ("ato4"): reported the
#     same way, the program runs on and ends cleanly with intact files.
# Usage: test_box_vanish.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"

# quit_confirming: "Beenden", confirming any message on the way; status 0.
quit_confirming() {
    menu_quit "$win" || fail "$1: the menu does not open"
    for _ in 1 2 3; do
        wait_end "$tpid" 50 && break
        confirm_messages "$win" 5
    done
    kill -0 "$tpid" 2>/dev/null && fail "$1: \"Beenden\" does not end the program"
    [ "$rc" -eq 0 ] || fail "$1: ended with $rc"
}

# ---- 1. During a switching command ---------------------------------------------
make_app
start_sim --model USB-NELTA8 --fault vanish --fault-after 27
start_restored 8
from=$(box_count)
click_slot "$win" 1
wait_box atn1 50 "$from" || fail "no atn1"
confirm_messages "$win" 30
[ "$confirmed" -ge 1 ] || fail "the port error was not reported"
kill -0 "$tpid" 2>/dev/null || fail "program ended after the port error"
main_visible || fail "main window gone after the port error"
click_slot "$win" 2
confirm_messages "$win" 15
kill -0 "$tpid" 2>/dev/null || fail "program ended on a click without a box"
quit_confirming vanish
expect_ini "$box" COM Port COM1
expect_ini "$box" AC ACPower01 ON
expect_ini "$box" AC ACPower03 OFF
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
ini_intact "$app/tavrin.ini" "$defaults/tavrin.ini"
echo "vanished while switching: reported, ended with $rc, files intact"
stop_sim

# ---- 2. During the socket restore ------------------------------------------------
make_app
: >"$boxlog"
start_sim --model USB-NELTA8 --fault vanish --fault-after 20
start_tavrin
win=$(main_window 300) || fail "restore: main window did not appear"
wait_box ato4 100 || fail "restore: the restore did not reach socket 4"
confirm_messages "$win" 30
[ "$confirmed" -ge 1 ] || fail "restore: the port error was not reported"
kill -0 "$tpid" 2>/dev/null || fail "restore: program ended after the port error"
quit_confirming restore
expect_ini "$box" COM Port COM1
expect_ini "$box" AC AC_Controller NELTA-V1.4-BOX8-USB
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
echo "vanished during the restore: reported, ended with $rc, files intact"
pass
