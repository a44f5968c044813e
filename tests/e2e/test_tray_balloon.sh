#!/usr/bin/env bash
# The two-minute warning of the tray icon, embedded into a tray host: the
# program's wall clock is moved forward (a preloaded shim adds an offset to
# the real-time clock) until the countdown reaches 02:00 and the balloon
# "ACHTUNG !!!" is up. A right click on the icon then opens the tray menu and
# the program keeps running (the balloon goes); in a second run a left click
# on the balloon itself ends the program with status 0.
# Usage: test_tray_balloon.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
make_app
start_tray
start_sim --model USB-NELTA4

# make_clock_shim: $shim, a library that adds the seconds written into
# $shift_file to CLOCK_REALTIME (and gettimeofday/time); the monotonic clock
# of the timers stays as it is.
shift_file="$work/clock.shift"
shim="$work/clockshift.so"
make_clock_shim() {
    cat >"$work/clockshift.c" <<'EOF'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/time.h>
#include <time.h>

static long shift_seconds(void) {
    static long cached = 0;
    static struct timespec checked = {0, 0};
    static int (*mono)(clockid_t, struct timespec*) = 0;
    if (!mono) mono = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
    struct timespec now;
    mono(CLOCK_MONOTONIC, &now);
    long ms = (now.tv_sec - checked.tv_sec) * 1000 + (now.tv_nsec - checked.tv_nsec) / 1000000;
    if (checked.tv_sec == 0 || ms >= 100) {
        checked = now;
        const char* path = getenv("CLOCK_SHIFT_FILE");
        FILE* f = path ? fopen(path, "r") : 0;
        long v = 0;
        if (f) {
            if (fscanf(f, "%ld", &v) != 1) v = 0;
            fclose(f);
        }
        cached = v;
    }
    return cached;
}

int clock_gettime(clockid_t id, struct timespec* ts) {
    static int (*real)(clockid_t, struct timespec*) = 0;
    if (!real) real = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
    int rc = real(id, ts);
    if (rc == 0 && (id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE)) ts->tv_sec += shift_seconds();
    return rc;
}

int gettimeofday(struct timeval* tv, void* tz) {
    static int (*real)(struct timeval*, void*) = 0;
    if (!real) real = (int (*)(struct timeval*, void*))dlsym(RTLD_NEXT, "gettimeofday");
    int rc = real(tv, tz);
    if (rc == 0 && tv) tv->tv_sec += shift_seconds();
    return rc;
}

time_t time(time_t* out) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    if (out) *out = ts.tv_sec;
    return ts.tv_sec;
}
EOF
    "${CC:-cc}" -shared -fPIC -O1 -o "$shim" "$work/clockshift.c" -ldl || fail "the clock shim does not build"
}

# balloon_window: the id of the visible balloon (a tool-tip window of the
# program, larger than a hint).
balloon_window() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^tavrin$' 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP || continue
        [ "$(win_width "$w")" -ge 100 ] && [ "$(win_height "$w")" -ge 40 ] && { echo "$w"; return 0; }
    done
    return 1
}

# run_to_balloon <label>: starts the program with the shim, waits for its
# start-up, moves its clock to 02:03 before the auto-hide deadline and waits
# for the balloon (in $balloon).
run_to_balloon() {
    echo 0 >"$shift_file"
    (cd "$app" && CLOCK_SHIFT_FILE="$shift_file" LD_PRELOAD="$shim" exec "$tavrin") >>"$work/tavrin.out" 2>&1 &
    tpid=$!
    e2e_pids+=("$tpid")
    local started
    started=$(date +%s)
    win=$(main_window 300) || fail "$1: main window did not appear"
    wait_restored 4 300 || fail "$1: sockets not restored"
    wait_quiet 50 || fail "$1: the box keeps receiving commands"
    [ -n "$(tray_icon)" ] || fail "$1: the tray icon is not embedded in the tray host"
    # The deadline was armed at the start (15 minutes ahead); 123 s remain.
    echo $((15 * 60 - 123 - ($(date +%s) - started))) >"$shift_file"
    balloon=$(wait_until 150 balloon_window) || fail "$1: no balloon at 02:00"
}

make_clock_shim

# A right click on the icon while the balloon is up: the menu, no end.
run_to_balloon "right click"
icon=$(tray_icon)
xdotool mousemove --window "$icon" 11 11 click 3
wait_until 30 tray_popup_shown || fail "the right click on the icon did not open the tray menu"
# The click must not end the program: watched for a second, since no sign
# says that the end will not come; the menu stays open meanwhile.
expect_quiet 10 ended "$tpid" || fail "the right click on the icon under the balloon ended the program"
tray_popup_shown || fail "the tray menu closed by itself"
xdotool key Escape
wait_until 30 not tray_popup_shown || fail "Escape does not close the tray menu"
expect_quiet 5 ended "$tpid" || fail "the program ended after the tray menu was closed"
grep -qE 'TTavrin1\.FormDestroy' "$app"/System/Logging/*.log && fail "the program went through its end"
tray_pick b || fail "tray menu did not open"
wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "first run ended with $rc"

# A left click on the balloon itself ends the program.
run_to_balloon "balloon click"
xdotool mousemove --window "$balloon" 30 20 click 1
wait_end "$tpid" 100 || fail "a click on the balloon does not end the program"
[ "$rc" -eq 0 ] || fail "second run ended with $rc"
pass
