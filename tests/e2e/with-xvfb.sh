#!/usr/bin/env bash
# with-xvfb.sh <command...>: runs the command on a private virtual X server
# and ends the server afterwards. The server chooses a free display number
# itself (-displayfd), so scripts started side by side never race for one.
set -u
fifo_dir="$(mktemp -d)"
mkfifo "$fifo_dir/fd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/fd" >"$fifo_dir/xvfb.log" 2>&1 &
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
