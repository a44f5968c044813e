# Helpers of the end-to-end benchmarks (bench/startup.sh, click.sh,
# memory.sh, soak.sh), on top of the shared harness tests/e2e/lib.sh.
# Sourced, not run. Timing comes from the simulator's command log (each
# command stamped with the millisecond it arrived) and from the program's
# trace log followed by stamp_log; both use the wall clock of this machine.

bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# bench_display "$@": runs the calling script again under a virtual X
# server of its own (the end-to-end tests' tests/e2e/with-xvfb.sh) when there
# is no display.
bench_display() {
    if [ -z "${DISPLAY:-}" ]; then
        XVFB_SCREEN=1280x800x24 exec bash "$bench_root/tests/e2e/with-xvfb.sh" bash "$0" "$@"
    fi
}

# bench_tavrin [path]: the program to measure: the argument, else the
# default build, else the lead's build.
bench_tavrin() {
    if [ -n "${1:-}" ]; then echo "$1"
    elif [ -x "$bench_root/build/default/src/tavrin" ]; then echo "$bench_root/build/default/src/tavrin"
    else echo "$bench_root/build/lead/src/tavrin"; fi
}

# The simulated box's timing; the floors below are computed from these.
reply_delay=20 # ms from a command's carriage return to the box's answer
busy=2         # answers holding WAIT after a switching command (carriage returns sent)

source "$bench_root/tests/e2e/lib.sh"

# box_ms <n>: epoch milliseconds of line n of the command log.
box_ms() {
    local d t
    read -r d t _ < <(sed -n "${1}p" "$boxlog")
    date -d "$d $t" +%s%3N
}

# box_line_of <regex> <k> [from-line]: number of the k-th command matching
# the whole regex after from-line (empty when there is none).
box_line_of() {
    awk -v rx="^($1)\$" -v k="$2" -v from="${3:-0}" \
        'NR > from && $4 ~ rx { if (++n == k) { print NR; exit } }' "$boxlog"
}

# stats <values...>: "median max" of integers.
stats() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "- -"; exit }
        m = (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)
        print m, v[NR] }'
}

# logging_shipped: the logging keys back to the values of the default file
# set (no trace), after make_app switched the full trace on.
logging_shipped() {
    set_ini "$app/tavrin.ini" Logging Logging OFF
    set_ini "$app/tavrin.ini" Logging LogArt LOG_STD
}

# run_box <model> <sockets> [run-name]: a fresh simulator with its own
# command log, the program started in $app; returns once the start-up has
# restored the last socket and set the switching delay. t_start is the
# moment before the process was started.
run_box() {
    boxlog="$work/box${3:+_$3}.log"
    start_sim --model "$1" --reply-delay "$reply_delay" --busy "$busy"
    t_start=$(now_ms)
    start_tavrin
    wait_restored "$2" 600 || fail "$1: start-up did not restore socket $2"
    local last
    last=$(box_line_of "at[no]$2" 1)
    wait_box 'att[0-9]+' 100 "$last" || fail "$1: no switching delay sent after the restore"
    # The last exchange has to end before anything else reaches the window.
    sleep 0.3
}

# start_shipped: the machine named, a fresh installation with the shipped
# logging, a USB-NELTA8 restored, the main window in win, 2 s to settle.
start_shipped() {
    echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load $(cut -d' ' -f1-3 /proc/loadavg)"
    make_app
    logging_shipped
    run_box USB-NELTA8 8
    win=$(main_window) || fail "main window not shown"
    sleep 2
}

# end_run: ends the program with SIGTERM (it saves and releases the port)
# and the simulator.
end_run() {
    kill -TERM "$tpid" 2>/dev/null
    wait_end "$tpid" 100 || { kill -KILL "$tpid" 2>/dev/null; fail "program does not end on SIGTERM"; }
    stop_sim
    if [ -n "${stamp_pid:-}" ]; then
        kill "$stamp_pid" 2>/dev/null
        wait "$stamp_pid" 2>/dev/null
        stamp_pid=""
    fi
}

# toggle_click <window> <socket 1-4>: one click on the socket's page button
# (first page shown), then waits until the box has received the switching
# command and, for "atn", the carriage returns of its busy handshake (the
# program switches off with one exchange and no handshake), and a little
# longer for the program to read the last answer. Sets t_click (ms before
# the click), cmd_line (line of the command in the box log; empty when none
# came within 3 s: a lost command) and cmd ("atn" or "ato"). t_click
# includes starting xdotool and the geometry query of click_slot, a few
# milliseconds (click.sh prints it).
toggle_click() {
    local before i guard
    before=$(box_count)
    t_click=$(now_ms)
    click_slot "$1" "$2"
    cmd_line="" cmd=""
    for i in $(seq 300); do
        [ "$(box_count)" -gt "$before" ] && cmd_line=$(box_line_of "at[no]$2" 1 "$before")
        [ -n "$cmd_line" ] && break
        sleep 0.01
    done
    [ -n "$cmd_line" ] || return 0
    cmd=$(sed -n "${cmd_line}p" "$boxlog" | awk '{print substr($4, 1, 3)}')
    if [ "$cmd" = atn ]; then
        for i in $(seq 300); do
            [ "$(box_count)" -ge $((cmd_line + busy)) ] && break
            sleep 0.01
        done
        # The answer to the last carriage return comes after the reply delay.
        guard=$((reply_delay + 30))
    else
        # The exchange ends after its 100 ms sleep and the served messages.
        guard=140
    fi
    sleep "$((guard / 1000)).$(printf '%03d' $((guard % 1000)))"
}

# toggle_many <window> <count> [report-every]: count clicks on the page
# buttons of sockets 1 to 4 in turn, each waiting for its command (see
# toggle_click). Counts: toggled (clicks made), lost (clicks without a
# command), flips[k] (commands seen for socket k). Every report-every
# clicks it prints the clicks so far, the resident memory and the time.
toggle_many() {
    local i k t0
    toggled=0 lost=0 flips=(0 0 0 0 0)
    t0=$(now_ms)
    for i in $(seq "$2"); do
        k=$(((i - 1) % 4 + 1))
        toggle_click "$1" "$k"
        toggled=$((toggled + 1))
        if [ -n "$cmd_line" ]; then flips[k]=$((flips[k] + 1)); else lost=$((lost + 1)); fi
        if [ -n "${3:-}" ] && [ $((i % $3)) -eq 0 ]; then
            echo "  $i toggles: VmRSS $(rss_kb "$tpid") kB, $(((($(now_ms) - t0) + 500) / 1000)) s, lost $lost"
        fi
    done
    toggle_ms=$(($(now_ms) - t0))
}

# switch_commands <from-line>: the switching commands in the box log after
# from-line.
switch_commands() { awk -v from="$1" 'NR > from && $4 ~ /^at[no][0-9]+$/' "$boxlog" | wc -l; }

# states_saved: checks after the end of the run that the box file holds for
# sockets 1 to 4 the state their commands left (all start off): "ON" after
# an odd number. Prints the sockets that differ.
states_saved() {
    local k want got
    for k in 1 2 3 4; do
        want=OFF
        [ $((flips[k] % 2)) -eq 1 ] && want=ON
        got=$(ini_get "$(box_file)" AC "ACPower0$k")
        [ "$got" = "$want" ] || echo "socket $k: saved '$got', expected '$want'"
    done
}

# cpu_ns <pid>: time on a CPU of all the process's threads in nanoseconds
# (the scheduler's count, finer than the clock ticks of utime and stime).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'; }

# cpu_idle <seconds>: CPU time the program uses while nothing happens for
# that long: "ticks-ms sched-ms", utime + stime (10 ms ticks) and the
# scheduler's count, in ms (the latter with one decimal).
cpu_idle() {
    local c0 n0
    c0=$(cpu_ticks "$tpid") n0=$(cpu_ns "$tpid")
    sleep "$1"
    echo "$((($(cpu_ticks "$tpid") - c0) * 1000 / $(getconf CLK_TCK)))" \
        "$(awk -v a="$n0" -v b="$(cpu_ns "$tpid")" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')"
}
