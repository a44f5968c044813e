#!/usr/bin/env bash
# Start-up time of the real program against a simulated box on COM1, from
# the start of the process to
#   - the first command of the port search reaching the box,
#   - the box identified: the answer to the identification "ati" of the box
#     initialisation (the box sends it reply_delay after the command
#     arrives), and the trace line that records it (set_COMIdent's
#     identification, full trace only),
#   - the sockets restored: the last socket's "atn"/"ato" reaching the box,
# for a USB-NELTA8 and a USB-NELTA24 whose sockets are all stored off, with
# the full trace (LOG_ALL) and with the logging of the default file set
# (off). Prints every run, median and max, and the floor that the program's
# fixed waits impose with the simulator's timing.
# Usage: bench/startup.sh [tavrin] ; RUNS (default 5) runs per case.
set -u
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
e2e_init "$(bench_tavrin "${1:-}")"
runs="${RUNS:-5}"

# Floors (ms), with the 1 ms sleep of every served message as its only cost:
#   one exchange: 100 ms sleep, then the queue served 10 times before the
#   first poll finds the answer (the box answers within the sleep);
#   one carriage return of the busy handshake: polls every 10 served
#   messages until the answer arrives after the reply delay;
#   the search: 10 exchanges (lenient "at", 4 + 3 strict "at", 2 "ati") and
#   one served message for each of the 127 names that fail to open, one per
#   answer test and one before the search;
#   then the 100 ms tick of the silent-start window, one served message
#   each at the start of the initialisation and after the port is chosen,
#   "at" and "ati"; then "att0", "at", "at", "ati", "atv", and per socket
#   stored off one "ato" with its handshake.
[ "$reply_delay" -le 100 ] || fail "floors assume a reply delay of at most 100 ms"
exchange=110
cr=$(((reply_delay + 9) / 10 * 10))
search=$((10 * exchange + 127 + 3 + 1))
ident_sent=$((search + 100 + 2 + exchange + reply_delay))
ident_line=$((search + 100 + 2 + 2 * exchange))
floor_restored() { echo $((ident_line + 5 * exchange + ($1 - 1) * (exchange + busy * cr))); }

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "simulator: reply delay $reply_delay ms, $busy WAIT answers per switch; $runs runs per case"
printf '%-11s %-8s %3s %10s %10s %10s %10s\n' model logging run first-at ident-box ident-log restored

summary=()
for model in USB-NELTA8 USB-NELTA24; do
    n=${model#USB-NELTA}
    for logging in full shipped; do
        first=() idb=() idl=() rest=()
        for r in $(seq "$runs"); do
            make_app
            [ "$logging" = shipped ] && logging_shipped
            stamps="$work/stamps_${n}_${logging}_$r"
            : >"$stamps"
            [ "$logging" = full ] && stamp_log '\(i_sIdent\) \]: = [A-Za-z0-9]' "$stamps"
            run_box "$model" "$n" "${n}_${logging}_$r"
            f=$(($(box_ms 1) - t_start))
            ati=$(box_line_of ati 3)
            [ -n "$ati" ] || fail "$model: no identification by the initialisation"
            ib=$(($(box_ms "$ati") + reply_delay - t_start))
            rs=$(($(box_ms "$(box_line_of "at[no]$n" 1)") - t_start))
            il="-"
            if [ "$logging" = full ]; then
                for _ in $(seq 20); do [ -s "$stamps" ] && break; sleep 0.05; done
                [ -s "$stamps" ] || fail "$model: no trace line of the identification"
                il=$(($(head -1 "$stamps" | cut -d' ' -f1) - t_start))
                idl+=("$il")
            fi
            first+=("$f") idb+=("$ib") rest+=("$rs")
            printf '%-11s %-8s %3s %10s %10s %10s %10s\n' "$model" "$logging" "$r" "$f" "$ib" "$il" "$rs"
            end_run
        done
        summary+=("$(printf '%-11s %-8s %15s %15s %15s %15s' "$model" "$logging" \
            "$(stats "${first[@]}")" "$(stats "${idb[@]}")" \
            "$( [ ${#idl[@]} -gt 0 ] && stats "${idl[@]}" || echo "- -")" "$(stats "${rest[@]}")")")
    done
done

echo
echo "median max (ms from the start of the process)"
printf '%-11s %-8s %15s %15s %15s %15s\n' model logging first-at ident-box ident-log restored
printf '%s\n' "${summary[@]}"
printf '%-11s %-8s %15s %15s %15s %15s\n' floor-8 "" "$((127 + 1))" "$ident_sent" "$ident_line" "$(floor_restored 8)"
printf '%-11s %-8s %15s %15s %15s %15s\n' floor-24 "" "$((127 + 1))" "$ident_sent" "$ident_line" "$(floor_restored 24)"
