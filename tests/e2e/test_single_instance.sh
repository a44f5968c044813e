#!/usr/bin/env bash
# One running Tavrin per user: a second start ends soon with status 0 and
# leaves the first running; the first ends the orderly way on
# SIGTERM (the session's end) and frees the place for the next start.
#
# The COM folder is empty, so the first instance finds no box: depending on
# how far the start-up goes it then runs its loop or waits in the message
# "Keine COM Schnittstelle vorhanden"; either way it stays up and answers
# later starts. Usage: test_single_instance.sh <path of tavrin>
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
mkdir -p "$app"
socket="$XDG_RUNTIME_DIR/Tavrin-$(id -u).socket"

# Starts the first instance and waits until it serves later starts: it
# listens, and its start-up is over, the folder's missing help file reported
# in a message whose own loop answers the requests. (During the start-up a
# request waits for the window; a later start that asks then spends its
# whole wait for the answer.)
start_first() {
    start_tavrin
    first=$tpid
    wait_until 300 first_serves "$1" || fail "first instance ($1) does not listen or show its message"
}
first_serves() {
    [ -S "$socket" ] && message_shown && return 0
    kill -0 "$first" 2>/dev/null || fail "first instance ($1) ended at start"
    return 1
}

# Ends the first instance like the session's end does.
stop_first() {
    kill -TERM "$first"
    wait_end "$first" 200 || fail "first instance does not end on SIGTERM"
    [ "$rc" -eq 0 ] || fail "first instance ended with $rc on SIGTERM"
}

# The second start waits at most half a second for the first's answer; the
# bound of 5 s leaves room for a loaded machine's start of a Qt program and
# still tells a second start that ends from one that hangs or goes on.
start_first 1
for attempt in 1 2; do
    t0=$(now_ms)
    (cd "$app" && timeout 10 "$tavrin") >>"$work/second.out" 2>&1
    rc=$?
    took=$(($(now_ms) - t0))
    [ "$rc" -eq 0 ] || fail "second start $attempt ended with $rc"
    [ "$took" -le 5000 ] || fail "second start $attempt took $took ms"
    kill -0 "$first" 2>/dev/null || fail "first instance ended after second start $attempt"
    echo "second start $attempt ended after $took ms"
done
stop_first
[ -S "$socket" ] && fail "socket left behind"

# The place is free again: the next start is a first instance.
start_first 2
stop_first
pass
