#!/usr/bin/env bash
# A box that starts answering badly while the program runs (a USB-NELTA8; the
# start-up sends 27 commands, so --fault-after 27 hits the user's first
# switching command):
#  - silent:  no answer at all;
#  - garbage: random bytes instead of echo and reply;
#  - late:    every reply 400 ms late, after the exchange has given up.
# In each case no message appears (a missing answer only shows in the status
# line and the COM-port log), the program keeps serving its window (the next
# click reaches the port), "Beenden" ends it with status 0, and the files
# keep every key, the port and the switched sockets (the stored state
# follows the user's switch whatever the box answers).
# Usage: test_box_faults.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"

# run <name> <nelta-sim options...>: one session with the faulty box.
run() {
    local name="$1" from
    shift
    make_app
    : >"$boxlog"
    start_sim --model USB-NELTA8 "$@"
    start_restored 8 300 "$name"
    n=$(box_commands | grep -vc '^<CR>$')
    [ "$n" -eq 27 ] || fail "$name: start-up sent $n commands, not 27"

    from=$(box_count)
    click_slot "$win" 1
    wait_box atn1 50 "$from" || fail "$name: no atn1"
    confirm_messages "$win" 15
    [ "$confirmed" -eq 0 ] || fail "$name: a message appeared for a box that only answers badly"
    kill -0 "$tpid" 2>/dev/null || fail "$name: program ended after the fault"
    from=$(box_count)
    click_slot "$win" 2
    wait_box atn2 50 "$from" || fail "$name: the next click does not reach the box"
    wait_quiet 50 || fail "$name: the box keeps receiving commands after atn2"
    menu_quit "$win" || fail "$name: the menu does not open"
    wait_end "$tpid" 100 || fail "$name: \"Beenden\" does not end the program"
    [ "$rc" -eq 0 ] || fail "$name: ended with $rc"
    expect_ini "$box" COM Port COM1
    expect_ini "$box" AC ACPower01 ON
    expect_ini "$box" AC ACPower02 ON
    expect_ini "$box" AC ACPower03 OFF
    ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
    ini_intact "$app/tavrin.ini" "$defaults/tavrin.ini"
    stop_sim
    echo "$name: survived, ended with $rc, files intact"
}

run silent --fault silent --fault-after 27
run garbage --fault garbage --fault-after 27
run late --fault late --fault-after 27 --late-ms 400
pass
