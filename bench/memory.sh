#!/usr/bin/env bash
# Memory and idle CPU of the running program against a simulated USB-NELTA8
# on COM1, with the logging of the default file set (off):
#   - resident memory (VmRSS of /proc/<pid>/status) once the start-up has
#     restored the sockets, and after TOGGLES (default 1,000) clicks on the
#     page buttons of sockets 1 to 4, each waiting for its command;
#   - CPU time (utime + stime of /proc/<pid>/stat, clock ticks of 10 ms,
#     and the scheduler's finer count summed over the threads) over IDLE
#     seconds (default 10) without any input, before and after the clicks,
#     scaled to one minute.
# Usage: bench/memory.sh [tavrin]
set -u
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
e2e_init "$(bench_tavrin "${1:-}")"
toggles="${TOGGLES:-1000}"
idle="${IDLE:-10}"

start_shipped
rss0=$(rss_kb "$tpid")
hwm0=$(awk '/^VmHWM:/ {print $2}' "/proc/$tpid/status")
read -r cpu0 sch0 < <(cpu_idle "$idle")
echo "after start-up:  VmRSS $rss0 kB (peak $hwm0 kB)"
echo "                 idle CPU utime+stime $cpu0 ms in $idle s = $((cpu0 * 60 / idle)) ms a minute; scheduler $sch0 ms = $(awk -v c="$sch0" -v s="$idle" 'BEGIN { printf "%.1f", c * 60 / s }') ms a minute"

from=$(box_count)
toggle_many "$win" "$toggles" 250
sleep 2
rss1=$(rss_kb "$tpid")
hwm1=$(awk '/^VmHWM:/ {print $2}' "/proc/$tpid/status")
read -r cpu1 sch1 < <(cpu_idle "$idle")
sent=$(switch_commands "$from")
echo "after $toggled toggles ($((toggle_ms / toggled)) ms each, $sent commands, $lost lost):"
echo "                 VmRSS $rss1 kB (peak $hwm1 kB), $((rss1 - rss0)) kB more ($(awk -v a="$rss0" -v b="$rss1" 'BEGIN {printf "%+.1f", (b - a) * 100 / a}') %)"
echo "                 idle CPU utime+stime $cpu1 ms in $idle s = $((cpu1 * 60 / idle)) ms a minute; scheduler $sch1 ms = $(awk -v c="$sch1" -v s="$idle" 'BEGIN { printf "%.1f", c * 60 / s }') ms a minute"
echo "(idle CPU measured over $idle s and scaled to one minute)"
end_run
