#!/usr/bin/env bash
# The harness's check that nothing stays held down on the X server (every
# script runs under with-xvfb.sh, whose server keeps its state for the whole
# run, so a held key would repeat into the next message box):
#  1. A run that presses Shift and never releases it fails, although its own
#     command succeeds, and the check names Shift's keycode.
#  2. The same for a mouse button left down.
#  3. The leak this guards against: Return pressed with xdotool's --window
#     into a focused window that closes on the press (an xmessage with its
#     default button) stays down, since the release goes to the window that
#     is gone; the run fails naming Return.
#  4. The same window confirmed with press_keys closes, nothing stays held
#     and the run passes without a report.
#  5. release_keys lets go of a held key and button.
# Usage: test_held_key.sh <path of tavrin> (only for the harness's set-up).
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
xvfb="$(dirname "$0")/with-xvfb.sh"
lib="$(dirname "$0")/lib.sh"

# run_inner <script>: runs the script under a server of its own; its output
# goes to out, its status to st.
run_inner() {
    out="$(bash "$xvfb" bash -c "source '$lib'; $1" 2>&1)"
    st=$?
}

# ---- 1. A key left down ---------------------------------------------------------
run_inner "xdotool keydown shift; held_keys >'$work/shift'; exit 0"
code="$(cat "$work/shift")"
[ -n "$code" ] || fail "a key held down is not seen on the server (held_keys empty)"
[ "$st" -ne 0 ] || fail "a run that left Shift held down passed: $out"
grep -qF "still held down after the run: keys (X keycodes) $code" <<<"$out" ||
    fail "the check does not name Shift's keycode $code: $out"
echo "Shift left down: the run failed with '$out'"

# ---- 2. A mouse button left down -----------------------------------------------
run_inner "xdotool mousedown 1; exit 0"
[ "$st" -ne 0 ] || fail "a run that left button 1 down passed: $out"
grep -qF "still held down after the run: buttons 1" <<<"$out" || fail "the check does not name button 1: $out"
echo "button 1 left down: the run failed with '$out'"

# ---- 3. The leak of a release sent to a closed window ----------------------------
# A window that ends on Return; its id goes to w.
closing_window='xmessage -name heldkeytest -default okay "Return closes" 2>/dev/null & xm=$!
    w=$(wait_window "^heldkeytest$" 50) || exit 4'
run_inner "$closing_window
    xdotool windowfocus \$w; wait_until 20 focused \$w || exit 7
    xdotool key --window \$w Return 2>/dev/null
    wait_until 20 ended \$xm || exit 5; exit 0"
[ "$st" -ne 4 ] || fail "xmessage does not come up: $out"
[ "$st" -ne 7 ] || fail "xmessage does not take the focus: $out"
[ "$st" -ne 5 ] || fail "the window did not close on Return: $out"
[ "$st" -ne 0 ] || fail "a run that left Return held down passed: $out"
grep -qE "still held down after the run: keys \(X keycodes\) [0-9]+" <<<"$out" ||
    fail "the check does not name the key left down: $out"
echo "--window into a window that closes: the run failed with '$out'"

# ---- 4. The same with press_keys -------------------------------------------------
run_inner "$closing_window
    press_keys \$w Return || exit 6
    wait_until 20 ended \$xm || exit 5; exit 0"
[ "$st" -ne 4 ] || fail "xmessage does not come up: $out"
[ "$st" -ne 6 ] || fail "press_keys: the window does not take the focus"
[ "$st" -ne 5 ] || fail "press_keys: the window did not close on Return: $out"
[ "$st" -eq 0 ] || fail "a run that confirmed with press_keys failed: $out"
grep -q "held down" <<<"$out" && fail "press_keys left something held: $out"
echo "press_keys into a window that closes: nothing held, the run passed"

# ---- 5. release_keys ------------------------------------------------------------
run_inner "xdotool keydown Return keydown ctrl mousedown 3; [ -n \"\$(held_inputs)\" ] || exit 3; release_keys; [ -z \"\$(held_inputs)\" ]"
[ "$st" -ne 3 ] || fail "the keys held down for release_keys are not seen"
[ "$st" -eq 0 ] || fail "release_keys left something held down: $out"
echo "release_keys: $(grep releasing <<<"$out")"
pass
