#!/usr/bin/env bash
# One scripted run of a build, kept for comparison with another build: a
# fresh installation with the full trace (LOG_ALL), a USB-NELTA8 on COM1,
# the start-up restoring the sockets, "on 3", "toggle 5", "off 3" and
# "quit" through tavrinctl, in this order. Afterwards OUT holds the
# program's trace split by component (trace-<component>.txt), the INI files
# it wrote (tavrin.ini, AC_Power_01.ini, byte for byte) and the commands the
# box received (box.txt). Two builds behave the same on this run when
# `diff -r OUT1 OUT2` is empty.
# Usage: bench/same-run.sh <tavrin> <out-folder>   (nelta-sim and tavrinctl
# are taken from beside the build's tavrin, as by the end-to-end tests)
set -u
[ $# -eq 2 ] || { echo "usage: $0 <tavrin> <out-folder>" >&2; exit 2; }
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
e2e_init "$1"
out="$(realpath -m "$2")"
ctl="$(dirname "$tavrin")/tavrinctl"
[ -x "$ctl" ] || fail "tavrinctl not found at $ctl"

make_app
run_box USB-NELTA8 8
for request in "on 3" "toggle 5" "off 3"; do
    # shellcheck disable=SC2086
    "$ctl" $request >/dev/null || fail "tavrinctl $request failed"
done
"$ctl" quit >/dev/null || fail "tavrinctl quit failed"
wait_end "$tpid" 100 || fail "the program does not end on quit"
stop_sim

rm -rf "$out"
mkdir -p "$out"
cp "$app/tavrin.ini" "$(box_file)" "$out/"
# The trace split by the component that wrote it (trace-<component>.txt),
# without what depends on the moment: the run's folder, and the blocks of
# the operations that run as often as time passes (the message pumping of
# the waits, the INI check timer).
timed='SetProcessMessages|TTavrin1\.mIniCheckTimerTimer'
cat "$app"/System/Logging/*.log | sed -e "s|$work|WORK|gI" -e "s|\r$||" | awk -v timed="$timed" -v out="$out" '
    # Only the lines that name their component (entry, exit, message): a
    # line of a value names none and lands between the lines of others as
    # the waits let it.
    !match($0, /^ *[A-Za-z_][A-Za-z0-9_]* (-->>|<<--|- )/) { next }
    { split($0, w, " "); who = w[1] }
    skip[who] { if ($0 ~ ("<<-- +[A-Z]+ : (" timed ") *$")) skip[who] = 0; next }
    $0 ~ ("-->> +[A-Z]+ : (" timed ") *$") { skip[who] = 1; next }
    { print >(out "/trace-" who ".txt") }'
box_commands >"$out/box.txt"
echo "kept in $out: $(cat "$out"/trace-*.txt | wc -l) trace lines, $(wc -l <"$out/box.txt") box commands"
