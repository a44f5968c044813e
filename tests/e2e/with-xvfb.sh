#!/usr/bin/env bash
# with-xvfb.sh <command...>: runs the command on a private virtual X server
# and ends the server afterwards. The server chooses a free display number
# itself (-displayfd), so scripts started side by side never race for one,
# and it does not reset when its last client leaves (-noreset), so that a
# client connecting at that moment is never refused. Since the server keeps
# its state for the whole run, a key or mouse button left held down by one
# step would act on the next ones: after the command, any key or button the
# XTEST devices still hold makes the run fail, naming them.
# XVFB_SCREEN sets the screen (default 1280x1024x24).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
command -v xinput >/dev/null || { echo "with-xvfb: xinput missing (scripts/deps.sh installs it)"; exit 1; }
fifo_dir="$(mktemp -d)"
mkfifo "$fifo_dir/fd"
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
    3>"$fifo_dir/fd" >"$fifo_dir/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$fifo_dir"' EXIT
trap 'exit 143' TERM INT
display=""
read -r -t 20 display <"$fifo_dir/fd"
if [ -z "$display" ]; then
    echo "with-xvfb: Xvfb did not start"; cat "$fifo_dir/xvfb.log"
    exit 1
fi
export DISPLAY=":$display"
unset XAUTHORITY
"$@"
status=$?
if ! held="$(held_inputs)"; then
    echo "with-xvfb: cannot read the keyboard state of $DISPLAY (the server ended?)"
    exit 1
fi
if [ -n "$held" ]; then
    echo "with-xvfb: still held down after the run: $held"
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
