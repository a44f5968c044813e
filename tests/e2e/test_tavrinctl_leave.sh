#!/usr/bin/env bash
# A script that gives up while its switch still waits for a busy box
# (tavrinctl's --timeout ends first and closes the connection): the program
# finishes the switch, keeps running and answers the next request.
# Usage: test_tavrinctl_leave.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim, TAVRIN_CTL: tavrinctl)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
ctl="$(realpath -m "${TAVRIN_CTL:-$(dirname "$tavrin")/tavrinctl}")"
[ -x "$ctl" ] || fail "tavrinctl not found at $ctl"
make_app
# Each switch keeps the box busy for about 1.5 s.
start_sim --model USB-NELTA8 --busy 30 --reply-delay 50
start_restored 8 600
wait_quiet 50

# Whether the connection's end is seen during the wait depends on timing:
# the script leaves four times.
for n in 2 3 4 5; do
    from=$(box_count)
    got=0
    "$ctl" --timeout 0.2 on "$n" >"$work/ctl.out" 2>&1 || got=$?
    [ "$got" -eq 2 ] || fail "tavrinctl did not give up with status 2 (got $got): $(cat "$work/ctl.out")"
    wait_box "atn$n" 30 "$from" || fail "no atn$n at the box"
    wait_quiet 100 || fail "the box keeps receiving commands"
    kill -0 "$tpid" 2>/dev/null || fail "the program ended when the script left (socket $n)"
done
"$ctl" --json status >"$work/ctl.out" 2>&1 || fail "no answer after the script left: $(cat "$work/ctl.out")"
for n in 2 3 4 5; do
    grep -q "{\"number\":$n,\"name\":\"Steckdosenname\",\"on\":true," "$work/ctl.out" || fail "socket $n not on: $(cat "$work/ctl.out")"
done
pass
