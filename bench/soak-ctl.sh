#!/usr/bin/env bash
# Soak of tavrinctl through the running program against a simulated
# USB-NELTA8 on COM1, with the logging of the default file set (off).
# The switches run in segments of SEGMENT (default 10,000); each segment
# starts a fresh simulator with a random busy handshake (0 to 4 WAIT
# answers, --busy) and reply delay (0 to 40 ms), starts the program in the
# same data folder (so the start-up restores the states the last segment
# saved) and runs 2 to 4 tavrinctl loops at once (LOOPS fixes the number).
# Each loop owns the sockets n with (n - 1) mod loops = its index and sends
# "on", "off" or "toggle" for one of them at random, now and then a
# "status". Fails (exit 1) when
#   - a request ends with a status other than 0, or its answer reports the
#     socket in another state than the request leaves it in,
#   - the switching commands a socket received at the box (after the
#     start-up) are not exactly, in order, those of its loop's requests (a
#     lost, doubled or reordered command),
#   - the states of "tavrinctl --json status" at the end of a segment, or of
#     the box file after "tavrinctl quit", differ from the box's (the last
#     "atn"/"ato"/"atoff" of each socket in the command log), or the
#     start-up of the next segment restores others,
#   - the program holds more file descriptors at the end of a segment than
#     after its start-up, or its resident memory grew by more than 2 %
#     from the first 1,000 switches of the segment (the COM-port log is full
#     by then) to the end,
#   - the program ends, or does not end on "tavrinctl quit".
# Resident memory and open descriptors are printed every 1,000 switches.
# Each request waits up to CTL_TIMEOUT seconds for its answer (default 60:
# the soak counts losses, not latency; on a loaded machine an answer can
# take longer than tavrinctl's own default of 5 s, and a request that gave
# up waiting is still carried out). The slowest answer of each segment is
# printed, and how many took longer than 5 s.
# Usage: bench/soak-ctl.sh [switches] [tavrin]   (default 100,000 switches;
# SEED seeds the random choices; TAVRIN_CTL overrides tavrinctl)
set -u
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
total="${1:-100000}"
e2e_init "$(bench_tavrin "${2:-}")"
ctl="$(realpath -m "${TAVRIN_CTL:-$(dirname "$tavrin")/tavrinctl}")"
[ -x "$ctl" ] || fail "tavrinctl not found at $ctl"
segment="${SEGMENT:-10000}"
ctl_timeout="${CTL_TIMEOUT:-60}"
seed="${SEED:-$$}"
RANDOM=$seed
sockets=8

ms() {
    local t=${EPOCHREALTIME/./}
    echo "${t:0:-3}"
}
load() { cut -d' ' -f1-3 /proc/loadavg; }
fds() { ls /proc/"$1"/fd 2>/dev/null | wc -l; }

# box_states <log> [from-line]: "s1 ... s8" (1 on, 0 off) as the box's
# commands left them (the simulator starts with every socket off).
box_states() {
    awk -v n="$sockets" -v from="${2:-0}" '
        BEGIN { for (k = 1; k <= n; k++) s[k] = 0 }
        NR > from && $4 ~ /^atn[0-9]+$/ { s[substr($4, 4) + 0] = 1 }
        NR > from && $4 ~ /^ato[0-9]+$/ { s[substr($4, 4) + 0] = 0 }
        NR > from && $4 == "atoff" { for (k = 1; k <= n; k++) s[k] = 0 }
        END { for (k = 1; k <= n; k++) printf "%s%d", (k > 1 ? " " : ""), s[k] }' "$1"
}

# json_states <json>: "s1 ... s8" from a status answer.
json_states() {
    local out="" k
    for k in $(seq "$sockets"); do
        if [[ $1 =~ \{\"number\":$k,\"name\":\"[^\"]*\",\"on\":(true|false) ]]; then
            [ "${BASH_REMATCH[1]}" = true ] && out+=" 1" || out+=" 0"
        else
            out+=" ?"
        fi
    done
    echo "${out# }"
}

# file_states: "s1 ... s8" from the box file.
file_states() {
    local out="" k v
    for k in $(seq "$sockets"); do
        v=$(ini_get "$(box_file)" AC "ACPower0$k")
        [ "$v" = ON ] && out+=" 1" || out+=" 0"
    done
    echo "${out# }"
}

# loop <index> <loops> <count> <records> <initial states...>: count
# switches on the loop's sockets; one record per switch: "socket command rc
# answer-right milliseconds" (command "atn<n>"/"ato<n>" the box should get).
loop() {
    local j="$1" loops="$2" count="$3" rec="$4" own=() k i verb want out rc right t
    shift 4
    local -a state=(0 "$@")
    for k in $(seq "$sockets"); do [ $(((k - 1) % loops)) -eq "$j" ] && own+=("$k"); done
    RANDOM=$((SEED_BASE + j))
    : >"$rec"
    for i in $(seq "$count"); do
        k=${own[RANDOM % ${#own[@]}]}
        case $((RANDOM % 3)) in
        0) verb=on want=1 ;;
        1) verb=off want=0 ;;
        *) verb=toggle want=$((1 - state[k])) ;;
        esac
        t=$(ms)
        out=$("$ctl" --json --timeout "$ctl_timeout" "$verb" "$k" 2>>"$work/ctl.err")
        rc=$?
        t=$(($(ms) - t))
        right=0
        [[ $out =~ \{\"number\":$k,\"name\":\"[^\"]*\",\"on\":(true|false) ]] &&
            [ "${BASH_REMATCH[1]}" = "$([ "$want" -eq 1 ] && echo true || echo false)" ] && right=1
        [ "$rc" -eq 0 ] && state[k]=$want
        echo "$k $([ "$want" -eq 1 ] && echo atn || echo ato)$k $rc $right $t" >>"$rec"
        if [ $((RANDOM % 20)) -eq 0 ]; then
            "$ctl" --json --timeout "$ctl_timeout" status >/dev/null 2>>"$work/ctl.err" || echo "status $? " >>"$work/status.err"
        fi
    done
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load $(load)"
echo "soak: $total switches through tavrinctl, segments of $segment, seed $seed"
make_app
logging_shipped
status=0
bad() {
    echo "FAIL: $*"
    status=1
}
done_total=0 seg=0 t_all=$(ms)
: >"$work/status.err"
while [ "$done_total" -lt "$total" ]; do
    seg=$((seg + 1))
    n=$((total - done_total < segment ? total - done_total : segment))
    busy=$((RANDOM % 5)) reply_delay=$((RANDOM % 41))
    loops=${LOOPS:-$((2 + RANDOM % 3))}
    saved=$(file_states)
    run_box USB-NELTA8 "$sockets" "$seg"
    start_line=$(box_count)
    restored=$(box_states "$boxlog")
    [ "$restored" = "$saved" ] || bad "segment $seg: the start-up restored '$restored', the box file held '$saved'"
    "$ctl" --json status >/dev/null 2>&1 || bad "segment $seg: status after the start-up failed"
    fd0=$(fds "$tpid") rss0=$(rss_kb "$tpid")
    echo "segment $seg: $n switches, $loops loops, simulator busy $busy, reply delay $reply_delay ms;" \
        "start: VmRSS $rss0 kB, $fd0 fds, load $(load)"
    read -ra init <<<"$restored"
    SEED_BASE=$RANDOM
    t0=$(ms)
    pids=()
    for j in $(seq 0 $((loops - 1))); do
        share=$((n / loops + (j < n % loops ? 1 : 0)))
        loop "$j" "$loops" "$share" "$work/rec_${seg}_$j" "${init[@]}" &
        pids+=($!)
    done
    next=1000 rss_1000=""
    while :; do
        running=0
        for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && running=1; done
        c=$(cat "$work"/rec_"${seg}"_* 2>/dev/null | wc -l)
        while [ "$c" -ge "$next" ]; do
            r=$(rss_kb "$tpid")
            [ -z "$rss_1000" ] && rss_1000=$r
            echo "  $((done_total + next)) switches (segment $seg: $next): VmRSS $r kB, $(fds "$tpid") fds," \
                "$((($(ms) - t0) / 1000)) s, load $(load)"
            next=$((next + 1000))
        done
        [ "$running" -eq 0 ] && break
        kill -0 "$tpid" 2>/dev/null || break
        sleep 1
    done
    wait "${pids[@]}" 2>/dev/null
    t1=$(ms)
    kill -0 "$tpid" 2>/dev/null || fail "segment $seg: the program ended"
    sleep 1
    fd1=$(fds "$tpid") rss1=$(rss_kb "$tpid")
    made=$(cat "$work"/rec_"${seg}"_* | wc -l)
    done_total=$((done_total + made))
    failed=$(cat "$work"/rec_"${seg}"_* | awk '$3 != 0' | wc -l)
    wrong=$(cat "$work"/rec_"${seg}"_* | awk '$3 == 0 && $4 != 1' | wc -l)
    echo "segment $seg: $made switches in $(((t1 - t0) / 1000)) s ($(((t1 - t0) / (made > 0 ? made : 1))) ms each);" \
        "end: VmRSS $rss1 kB, $fd1 fds; $failed failed requests, $wrong answers with another state"
    echo "segment $seg: slowest answer $(cat "$work"/rec_"${seg}"_* | awk '$5 > m {m = $5} END {print m + 0}') ms," \
        "$(cat "$work"/rec_"${seg}"_* | awk '$5 > 5000' | wc -l) answers took longer than 5 s"
    [ "$failed" -eq 0 ] || bad "segment $seg: exit statuses $(cat "$work"/rec_"${seg}"_* | awk '$3 != 0 {print $3}' | sort | uniq -c | tr '\n' ' ')"
    [ "$wrong" -eq 0 ] || bad "segment $seg: $wrong answers report another state than the request leaves"
    [ -s "$work/status.err" ] && bad "segment $seg: status requests failed: $(sort "$work/status.err" | uniq -c | tr '\n' ' ')"
    : >"$work/status.err"

    # Per socket: the box's switching commands equal its loop's requests.
    for k in $(seq "$sockets"); do
        j=$(((k - 1) % loops))
        want=$(awk -v k="$k" '$1 == k && $3 == 0 {print $2}' "$work/rec_${seg}_$j" | md5sum)
        got=$(awk -v from="$start_line" -v rx="^at[no]$k\$" 'NR > from && $4 ~ rx {print $4}' "$boxlog" | md5sum)
        if [ "$want" != "$got" ]; then
            bad "segment $seg: socket $k: the box's commands differ from the requests" \
                "($(awk -v k="$k" '$1 == k' "$work/rec_${seg}_$j" | wc -l) requests," \
                "$(awk -v from="$start_line" -v rx="^at[no]$k\$" 'NR > from && $4 ~ rx' "$boxlog" | wc -l) commands)"
        fi
    done
    others=$(awk -v from="$start_line" 'NR > from && $4 != "<CR>" && $4 !~ /^at[no][0-9]+$/ {print $4}' "$boxlog" | sort | uniq -c | tr '\n' ' ')
    [ -z "$others" ] || bad "segment $seg: other commands at the box: $others"
    ons=$(awk -v from="$start_line" 'NR > from && $4 ~ /^atn[0-9]+$/' "$boxlog" | wc -l)
    crs=$(awk -v from="$start_line" 'NR > from && $4 == "<CR>"' "$boxlog" | wc -l)
    [ "$crs" -eq $((ons * busy)) ] || bad "segment $seg: $crs carriage returns for $ons handshakes of $busy"

    boxst=$(box_states "$boxlog")
    progst=$(json_states "$("$ctl" --json status 2>&1)")
    echo "segment $seg: box states $boxst, program's $progst"
    [ "$progst" = "$boxst" ] || bad "segment $seg: tavrinctl status '$progst', box '$boxst'"
    [ "$fd1" -le "$fd0" ] || bad "segment $seg: $fd0 file descriptors after the start-up, $fd1 at the end"
    if [ -n "$rss_1000" ]; then
        growth=$(awk -v a="$rss_1000" -v b="$rss1" 'BEGIN {printf "%.1f", (b - a) * 100 / a}')
        echo "segment $seg: VmRSS $rss0 kB at the start, $rss_1000 kB after 1,000 switches, $rss1 kB at the end ($growth % from 1,000)"
        awk -v g="$growth" 'BEGIN {exit !(g > 2)}' && bad "segment $seg: resident memory grew by $growth % after the first 1,000 switches"
    fi

    "$ctl" quit >/dev/null 2>&1 || bad "segment $seg: quit failed"
    wait_end "$tpid" 150 || { kill -KILL "$tpid"; fail "segment $seg: the program does not end on quit"; }
    [ "$rc" -eq 0 ] || bad "segment $seg: the program ended with $rc"
    stop_sim
    filest=$(file_states)
    [ "$filest" = "$boxst" ] || bad "segment $seg: the box file holds '$filest', the box '$boxst'"
    [ "$made" -gt 0 ] || fail "segment $seg: no switch was made"
done
t_end=$(ms)
each=$(((t_end - t_all) / (done_total > 0 ? done_total : 1)))
echo "soak: $done_total switches in $seg segments, $(((t_end - t_all) / 1000)) s ($each ms a switch with the start-ups);" \
    "100,000 would take about $((each * 100000 / 3600000)) h $((each * 100000 / 60000 % 60)) min"
[ -s "$work/ctl.err" ] && { echo "tavrinctl's error output (last lines):"; tail -5 "$work/ctl.err"; }
[ "$status" -eq 0 ] && echo "PASS"
exit "$status"
