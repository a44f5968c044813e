#!/usr/bin/env bash
# tavrinctl with no program running: "on 3" and "cycle 3 --off-seconds 1"
# go straight to the box and into the box file, which keeps every other
# byte; "--box 2" drives a second box on the port its own box file names.
# Usage: test_tavrinctl_direct.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim, TAVRIN_CTL: tavrinctl)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
ctl="$(realpath -m "${TAVRIN_CTL:-$(dirname "$tavrin")/tavrinctl}")"
[ -x "$ctl" ] || fail "tavrinctl not found at $ctl"
make_app
export TAVRIN_HOME="$app"
box1="$(box_file 01)"
box2="$(box_file 02)"
set_ini "$box1" COM Port COM1
set_ini "$box2" COM Port COM2
cp "$box1" "$work/box1.before"
cp "$box2" "$work/box2.before"
start_sim --model USB-NELTA8
"$sim" --dir "$com" --com 2 --model USB-NELTA4 --log "$work/box2.log" >>"$work/sim2.out" 2>&1 &
e2e_pids+=($!)
wait_until 50 test -e "$com/com2" || fail "the second nelta-sim does not come up on COM2"

# same_but <file> <before> <key> <value>: the file is the earlier one with
# only that key's value changed (line ends and every other byte kept).
same_but() {
    local expected
    expected="$(sed "s/^$3=[^\r]*/$3=$4/" "$2" | od -c)"
    [ "$(od -c <"$1")" = "$expected" ] || fail "$(basename "$1") changed beyond $3: $(diff <(od -c <"$2") <(od -c <"$1") | head)"
}

"$ctl" on 3 >"$work/ctl.out" 2>&1 || fail "on 3: $(cat "$work/ctl.out")"
wait_box atn3 20 || fail "no atn3 at the box"
same_but "$box1" "$work/box1.before" ACPower03 ON

from=$(box_count)
"$ctl" cycle 3 --off-seconds 1 >"$work/ctl.out" 2>&1 || fail "cycle: $(cat "$work/ctl.out")"
[ "$(box_after "$from" | grep -E '^at[no]3$' | tr '\n' ' ')" = "ato3 atn3 " ] ||
    fail "cycle sent: $(box_after "$from" | tr '\n' ' ')"
same_but "$box1" "$work/box1.before" ACPower03 ON

"$ctl" --box 2 --json on 4 >"$work/ctl.out" 2>&1 || fail "--box 2 on 4: $(cat "$work/ctl.out")"
grep -q '"model":"USB-NELTA4"' "$work/ctl.out" || fail "second box: $(cat "$work/ctl.out")"
awk '{print $4}' "$work/box2.log" | grep -qx atn4 || fail "no atn4 at the second box"
same_but "$box2" "$work/box2.before" ACPower04 ON
same_but "$box1" "$work/box1.before" ACPower03 ON

# A socket the second box does not have is a usage error; nothing is sent.
"$ctl" --box 2 on 5 >"$work/ctl.out" 2>&1 && fail "--box 2 on 5 accepted"
[ $? -eq 1 ] || true
pass
