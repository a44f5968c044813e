# Helpers of the end-to-end benchmarks (bench/startup.sh, click.sh,
# memory.sh, soak.sh), on top of the shared harness tests/e2e/lib.sh.
# Sourced, not run. Timing comes from the simulator's command log (each
# command stamped with the millisecond it arrived) and from the program's
# trace log followed by stamp_log; both use the wall clock of this machine.

bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# bench_display "$@": runs the calling script again under a virtual X
# server when there is no display.
bench_display() {
    if [ -z "${DISPLAY:-}" ]; then
        command -v xvfb-run >/dev/null || { echo "xvfb-run missing"; exit 1; }
        exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
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

# Page buttons of sockets 1 to 4 in the main window (window coordinates):
# the big buttons on the left, 81 pixels apart.
button_x=43
button_y() { echo $((152 + 81 * ($1 - 1))); }

# toggle_click <window> <socket 1-4>: one click on the socket's page button,
# then waits until the box has received the switching command and the
# carriage returns of its busy handshake, and a little longer for the
# program to read the last answer. Sets t_click (ms before the click) and
# cmd_line (line of the command in the box log; empty when none came
# within 3 s: a lost command).
toggle_click() {
    local before want i
    before=$(box_count)
    want=$((before + 1 + busy))
    t_click=$(now_ms)
    click_at "$1" "$button_x" "$(button_y "$2")"
    cmd_line=""
    for i in $(seq 300); do
        [ "$(box_count)" -ge "$want" ] && break
        sleep 0.01
    done
    cmd_line=$(box_line_of "at[no]$2" 1 "$before")
    # The answer to the last carriage return arrives after the reply delay.
    local guard=$((reply_delay + 30))
    sleep "$((guard / 1000)).$(printf '%03d' $((guard % 1000)))"
}
