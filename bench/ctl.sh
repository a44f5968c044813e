#!/usr/bin/env bash
# Latency of tavrinctl against a simulated USB-NELTA8 on COM1, and the
# running program's memory under scripted switches.
#
# Cases (CASES, default "program-full program direct direct-fast rss"):
#   program-full  through the running program, full trace (LOG_ALL): also the
#                 time from the request's arrival (the trace line "Toggle
#                 ausführen für Steckdose<n> ...", stamped as it appears) to
#                 the command at the box
#   program       through the running program, logging of the default file set
#   direct        no program running: tavrinctl opens the box itself ("at",
#                 "ati", then the switching command and its handshake)
#   direct-fast   the same against a box without reply delay and without
#                 busy handshake: tavrinctl's own share
#   rss           RSS_SWITCHES (default 10,000) switches through the program
#                 (default logging), its resident memory every 1,000
#   rss-status    (not in the default) as many "status" requests: the
#                 control channel's share of the memory, nothing switched
# SWITCHES (default 200) switches on and as many off per latency case:
# sockets 1 to 4 in turn, each switched on, then off, so that every request
# changes the socket's state. Per switch, from the moment before tavrinctl
# is started: "command" the "atn<n>"/"ato<n>" reaching the box (the
# simulator's command log, stamped in local time with milliseconds when the
# command's carriage return arrived), "whole" tavrinctl's exit; median, 95th
# percentile and maximum. The load average is printed with every case.
# Usage: bench/ctl.sh [tavrin]   (tavrinctl and nelta-sim beside it, as the
# end-to-end tests find them; TAVRIN_CTL overrides tavrinctl)
set -u
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
e2e_init "$(bench_tavrin "${1:-}")"
ctl="$(realpath -m "${TAVRIN_CTL:-$(dirname "$tavrin")/tavrinctl}")"
[ -x "$ctl" ] || fail "tavrinctl not found at $ctl"
command -v python3 >/dev/null || fail "python3 missing"
switches="${SWITCHES:-200}"
rss_switches="${RSS_SWITCHES:-10000}"
cases="${CASES:-program-full program direct direct-fast rss}"

# The wall clock in milliseconds without starting a process.
ms() {
    local t=${EPOCHREALTIME/./}
    echo "${t:0:-3}"
}

load() { cut -d' ' -f1-3 /proc/loadavg; }

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load $(load)"
echo "tavrin $tavrin; $switches switches on and $switches off per case"

# switch_run <records> <args...>: sockets 1-4 in turn, each "on" then "off",
# SWITCHES times each; one record per request: "verb socket t0 t1 from rc".
switch_run() {
    local rec="$1" i k verb t0 t1 from rc
    shift
    : >"$rec"
    for i in $(seq "$switches"); do
        k=$(((i - 1) % 4 + 1))
        for verb in on off; do
            from=$(box_count)
            t0=$(ms)
            "$ctl" "$@" "$verb" "$k" >/dev/null 2>>"$work/ctl.err"
            rc=$?
            t1=$(ms)
            echo "$verb $k $t0 $t1 $from $rc" >>"$rec"
        done
    done
}

# report <label> <records> [stamps]: the figures of one case, from the
# records, the command log and (full trace) the stamped trace lines.
report() {
    python3 - "$1" "$2" "$boxlog" "${3:-}" <<'EOF'
import datetime, math, re, sys

label, records, boxlog, stamps = sys.argv[1:5]

def box_ms(line):
    d, t = line.split()[:2]
    return int(datetime.datetime.strptime(d + " " + t, "%Y-%m-%d %H:%M:%S.%f").timestamp() * 1000 + 0.5)

box = [l.rstrip("\n") for l in open(boxlog, encoding="latin-1")]
trace = []
if stamps:
    for l in open(stamps, encoding="utf-8", errors="replace"):
        m = re.match(r"(\d+) .*Toggle ausf\S* f\S+r Steckdose(\d+) \.\.\.", l)
        if m and "BTN-" not in l:
            trace.append((int(m.group(1)), int(m.group(2))))

def stats(v):
    if not v:
        return "-"
    v = sorted(v)
    n = len(v)
    med = v[(n - 1) // 2] if n % 2 else (v[n // 2 - 1] + v[n // 2]) // 2
    p95 = v[max(0, math.ceil(0.95 * n) - 1)]
    return "%d / %d / %d" % (med, p95, v[-1])

fig = {}
failed = lost = 0
for r in open(records):
    verb, k, t0, t1, frm, rc = r.split()
    k, t0, t1, frm, rc = int(k), int(t0), int(t1), int(frm), int(rc)
    if rc != 0:
        failed += 1
        continue
    want = ("atn" if verb == "on" else "ato") + str(k)
    at = next((box_ms(l) for l in box[frm:] if len(l.split()) >= 4 and l.split()[3] == want), None)
    if at is None:
        lost += 1
        continue
    fig.setdefault((verb, "command"), []).append(at - t0)
    fig.setdefault((verb, "whole"), []).append(t1 - t0)
    if stamps:
        arr = next((s for s, n in trace if s >= t0 and n == k), None)
        if arr is not None:
            fig.setdefault((verb, "arrival"), []).append(arr - t0)
            fig.setdefault((verb, "arrival-command"), []).append(at - arr)

print("%s: median / p95 / max in ms from the moment before tavrinctl starts" % label)
for verb in ("on", "off"):
    n = len(fig.get((verb, "whole"), []))
    line = "  %-4s n=%-4d command %-16s whole %-16s" % (verb, n, stats(fig.get((verb, "command"))),
                                                       stats(fig.get((verb, "whole"))))
    if stamps:
        line += " arrival %-14s arrival->command %s (%d stamped)" % (
            stats(fig.get((verb, "arrival"))), stats(fig.get((verb, "arrival-command"))),
            len(fig.get((verb, "arrival"), [])))
    print(line)
print("  failed requests %d, requests without their command at the box %d" % (failed, lost))
sys.exit(1 if failed or lost else 0)
EOF
}

status=0
for c in $cases; do
    case "$c" in
    program-full | program)
        make_app
        stamps=""
        if [ "$c" = program-full ]; then
            stamps="$work/stamps_$c"
            : >"$stamps"
            stamp_log 'Toggle ausf.*r Steckdose[0-9]+ \.\.\.' "$stamps"
        else
            logging_shipped
        fi
        run_box USB-NELTA8 8 "$c"
        echo "$c: simulator reply delay $reply_delay ms, busy $busy; load before $(load)"
        switch_run "$work/rec_$c"
        echo "$c: load after $(load)"
        kill -0 "$tpid" 2>/dev/null || fail "$c: the program ended"
        end_run
        report "$c" "$work/rec_$c" "$stamps" || status=1
        ;;
    direct | direct-fast)
        make_app
        logging_shipped
        set_ini "$(box_file)" COM Port COM1
        boxlog="$work/box_$c.log"
        if [ "$c" = direct ]; then d=$reply_delay b=$busy; else d=0 b=0; fi
        start_sim --model USB-NELTA8 --reply-delay "$d" --busy "$b"
        echo "$c: simulator reply delay $d ms, busy $b; load before $(load)"
        switch_run "$work/rec_$c" --dir "$app"
        echo "$c: load after $(load)"
        stop_sim
        report "$c" "$work/rec_$c" || status=1
        ;;
    rss)
        make_app
        logging_shipped
        run_box USB-NELTA8 8 rss
        from=$(box_count)
        echo "rss: $rss_switches switches through the program (sockets 1-4, on then off); simulator reply delay $reply_delay ms, busy $busy"
        echo "  0 switches: VmRSS $(rss_kb "$tpid") kB, fds $(ls /proc/"$tpid"/fd | wc -l), load $(load)"
        t0=$(ms) bad=0
        for i in $(seq "$rss_switches"); do
            k=$(((i - 1) % 8 / 2 + 1))
            verb=on
            [ $((i % 2)) -eq 0 ] && verb=off
            "$ctl" "$verb" "$k" >/dev/null 2>>"$work/ctl.err" || bad=$((bad + 1))
            if [ $((i % 1000)) -eq 0 ]; then
                echo "  $i switches: VmRSS $(rss_kb "$tpid") kB, fds $(ls /proc/"$tpid"/fd | wc -l), $((($(ms) - t0) / 1000)) s, $bad failed, load $(load)"
            fi
        done
        sent=$(switch_commands "$from")
        echo "rss: $rss_switches switches in $((($(ms) - t0) / 1000)) s, $sent switching commands at the box, $bad failed requests"
        kill -0 "$tpid" 2>/dev/null || fail "rss: the program ended"
        end_run
        [ "$bad" -eq 0 ] && [ "$sent" -eq "$rss_switches" ] || status=1
        ;;
    rss-status)
        # The same count of "status" requests: the control channel alone,
        # nothing sent to the box.
        make_app
        logging_shipped
        run_box USB-NELTA8 8 rss-status
        from=$(box_count)
        echo "rss-status: $rss_switches status requests through the program"
        echo "  0 requests: VmRSS $(rss_kb "$tpid") kB, fds $(ls /proc/"$tpid"/fd | wc -l), load $(load)"
        t0=$(ms) bad=0
        for i in $(seq "$rss_switches"); do
            "$ctl" status >/dev/null 2>>"$work/ctl.err" || bad=$((bad + 1))
            if [ $((i % 1000)) -eq 0 ]; then
                echo "  $i requests: VmRSS $(rss_kb "$tpid") kB, fds $(ls /proc/"$tpid"/fd | wc -l), $((($(ms) - t0) / 1000)) s, $bad failed, load $(load)"
            fi
        done
        echo "rss-status: $rss_switches requests in $((($(ms) - t0) / 1000)) s, $(($(box_count) - from)) commands at the box, $bad failed requests"
        kill -0 "$tpid" 2>/dev/null || fail "rss-status: the program ended"
        end_run
        [ "$bad" -eq 0 ] || status=1
        ;;
    *) fail "unknown case $c" ;;
    esac
done
[ -s "$work/ctl.err" ] && { echo "tavrinctl's error output (last lines):"; tail -5 "$work/ctl.err"; }
[ "$status" -eq 0 ] && echo "PASS" || echo "FAIL"
exit "$status"
