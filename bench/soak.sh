#!/usr/bin/env bash
# Soak test of the running program against a simulated USB-NELTA8 on COM1,
# with the logging of the default file set (off): N clicks (default 10,000)
# on the page buttons of sockets 1 to 4 in turn, each waiting for its
# command and busy handshake. Fails (exit 1) when
#   - a click brings no switching command, or the box received a different
#     number of switching commands than clicks were made (a lost command),
#   - the busy handshakes of the switches on got more or fewer carriage
#     returns than their own (a click that ran into an exchange),
#   - the resident memory grew by more than 5 % from the end of the start-up
#     to the end of the clicks,
#   - the box file saved at the end does not hold the state the commands
#     left each socket in.
# Usage: bench/soak.sh [toggles] [tavrin]
set -u
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
toggles="${1:-10000}"
e2e_init "$(bench_tavrin "${2:-}")"

start_shipped
rss0=$(rss_kb "$tpid")
echo "start: VmRSS $rss0 kB; $toggles toggles"
from=$(box_count)
toggle_many "$win" "$toggles" $((toggles >= 2000 ? 1000 : 250))
sleep 2
rss1=$(rss_kb "$tpid")
sent=$(switch_commands "$from")
ons=$(awk -v from="$from" 'NR > from && $4 ~ /^atn[0-9]+$/' "$boxlog" | wc -l)
crs=$(awk -v from="$from" 'NR > from && $4 == "<CR>"' "$boxlog" | wc -l)
growth=$(awk -v a="$rss0" -v b="$rss1" 'BEGIN {printf "%.1f", (b - a) * 100 / a}')
echo "end: VmRSS $rss1 kB ($growth %), $toggled toggles in $((toggle_ms / 1000)) s ($((toggle_ms / toggled)) ms each)"
echo "box: $sent switching commands, $crs carriage returns ($((ons * busy)) expected for $ons switched on); $lost clicks without a command"
kill -0 "$tpid" 2>/dev/null || fail "program ended during the soak"
end_run
bad=$(states_saved)

status=0
[ "$lost" -eq 0 ] && [ "$sent" -eq "$toggled" ] || { echo "FAIL: lost commands: $toggled toggles, $sent commands"; status=1; }
[ "$crs" -eq $((ons * busy)) ] || { echo "FAIL: $crs carriage returns for $ons handshakes"; status=1; }
awk -v g="$growth" 'BEGIN {exit !(g > 5)}' && { echo "FAIL: resident memory grew by $growth %"; status=1; }
[ -z "$bad" ] || { echo "FAIL: saved states: $bad"; status=1; }
[ "$status" -eq 0 ] && echo "PASS"
exit "$status"
