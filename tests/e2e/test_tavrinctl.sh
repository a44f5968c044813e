#!/usr/bin/env bash
# tavrinctl through the running program: "on 5" reaches the box as "atn5",
# is traced as a click and answered with the socket's new state; "status
# --json" reports it on; a bad request switches nothing; "all-off --yes"
# sends "att0" and "atoff"; "quit" ends the program as "Beenden" does and
# the box file holds the states. Afterwards, with no program running, the
# same commands drive the box straight from tavrinctl.
# Usage: test_tavrinctl.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim, TAVRIN_CTL: tavrinctl)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
ctl="$(realpath -m "${TAVRIN_CTL:-$(dirname "$tavrin")/tavrinctl}")"
[ -x "$ctl" ] || fail "tavrinctl not found at $ctl"
box="$(box_file)"
make_app
start_sim --model USB-NELTA8
start_restored 8

# ctl <expected status> <args...>: runs tavrinctl, its output in $out.
ctl() {
    local want="$1" got=0
    shift
    out="$("$ctl" "$@" 2>&1)" || got=$?
    [ "$got" -eq "$want" ] || fail "tavrinctl $* ended with $got, expected $want: $out"
}

from=$(box_count)
ctl 0 on 5
[ "$out" = "Steckdose 5: an (Steckdosenname)" ] || fail "answer of on 5: $out"
[ "$(box_after "$from" | grep -vxE '|<CR>')" = "atn5" ] || fail "box got: $(box_after "$from" | tr '\n' ' ')"
wait_log 'Toggle ausführen für Steckdose5 \.\.\.' 30 || fail "the scripted switch is not traced as a click"
wait_quiet 50

ctl 0 --json status
case "$out" in
*'"model":"USB-NELTA8","port":"COM1"'*'{"number":5,"name":"Steckdosenname","on":true,'*) ;;
*) fail "status --json: $out" ;;
esac

# Errors switch nothing and leave the program running.
from=$(box_count)
ctl 1 on 9
ctl 1 on Kaffeemaschine
ctl 1 all-off
[ "$(box_count)" -eq "$from" ] || fail "a refused request reached the box"
kill -0 "$tpid" 2>/dev/null || fail "the program ended on a bad request"

ctl 0 on 2
ctl 0 all-off --yes
wait_box atoff 50 "$from" || fail "no atoff (got: $(box_after "$from" | tr '\n' ' '))"
box_after "$from" | grep -vxE '|<CR>' | tr '\n' ' ' | grep -q "atn2 att0 atoff" || fail "emergency off sent: $(box_after "$from" | tr '\n' ' ')"
wait_quiet 50
ctl 0 --json status
case "$out" in *'"on":true'*) fail "a socket is still on after all-off: $out" ;; esac
ctl 0 toggle 7

ctl 0 quit
wait_end "$tpid" 100 || fail "quit does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$box" AC ACPower07 ON
for n in 1 2 3 4 5 6 8; do expect_ini "$box" AC "ACPower0$n" OFF; done
ctl 2 show

# No program now: tavrinctl opens the box itself and writes the box file.
from=$(box_count)
ctl 0 --dir "$app" off 7
[ "$(box_after "$from" | grep -vxE '|<CR>' | tail -1)" = "ato7" ] || fail "direct off 7 sent: $(box_after "$from" | tr '\n' ' ')"
expect_ini "$box" AC ACPower07 OFF
pass
