#!/usr/bin/env bash
# Latency of a click on a socket's page button in the main window (the
# program has no keyboard shortcut for a socket; the page button takes one
# click, the menus need several key presses). A simulated USB-NELTA8 on
# COM1; sockets 1 to 4 of the first page are clicked in turn, each click
# waiting for the command and its busy handshake before the next. Per click,
# from the moment before xdotool runs:
#   handler  the program's trace line "BTN-Toggle ausführen für Steckdose<n>..."
#   command  the "atn<n>"/"ato<n>" reaching the box
#   last-cr  the last carriage return of the busy handshake reaching the box
#            (switching on only: switching off is one exchange without it)
#   done     the exit trace line of MultiAction_Steckdose_Toggle
# With the full trace (LOG_ALL) all four; with the logging of the default
# file set (off) the two the box sees. Median and max for switching on and
# off, and the floors.
# Usage: bench/click.sh [tavrin] ; CLICKS (default 100) clicks per case.
set -u
source "$(dirname "$0")/e2e_bench.sh"
bench_display "$@"
e2e_init "$(bench_tavrin "${1:-}")"
clicks="${CLICKS:-100}"

# Floors (ms): nothing waits between the click and the command; the command
# is one exchange (100 ms sleep, then 10 served messages of 1 ms before the
# first poll), each carriage return of the handshake waits for the box's
# reply delay (polled every 10 served messages). Switching off waits for
# the command's exchange only.
exchange=110
cr=$(((reply_delay + 9) / 10 * 10))
floor_last_cr=$((exchange + (busy - 1) * cr))
floor_done=$((exchange + busy * cr))

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "simulator: reply delay $reply_delay ms, $busy WAIT answers per switch; $clicks clicks per case"

results=()
for logging in full shipped; do
    make_app
    [ "$logging" = shipped ] && logging_shipped
    stamps="$work/stamps_$logging"
    : >"$stamps"
    [ "$logging" = full ] && stamp_log 'BTN-Toggle ausf.*r Steckdose|<<-- PROCEDURE : TTavrin1\.MultiAction_Steckdose_Toggle' "$stamps"
    run_box USB-NELTA8 8 "$logging"
    win=$(main_window) || fail "main window not shown"

    # What the driver costs before the click reaches the X server: the
    # geometry query of click_slot and starting xdotool.
    over=()
    for _ in $(seq 10); do
        t=$(now_ms)
        socket_top "$win" >/dev/null
        xdotool getmouselocation >/dev/null
        over+=($(($(now_ms) - t)))
    done

    lost=0
    hand_on=() cmd_on=() last_on=() done_on=() hand_off=() cmd_off=() done_off=()
    for i in $(seq "$clicks"); do
        k=$(((i - 1) % 4 + 1))
        toggle_click "$win" "$k"
        if [ -z "$cmd_line" ]; then
            lost=$((lost + 1))
            continue
        fi
        c=$(($(box_ms "$cmd_line") - t_click))
        if [ "$cmd" = atn ]; then
            cmd_on+=("$c")
            last_on+=($(($(box_ms $((cmd_line + busy))) - t_click)))
        else
            cmd_off+=("$c")
        fi
        if [ "$logging" = full ]; then
            h="" d=""
            for _ in $(seq 100); do
                h=$(awk -v t="$t_click" '$1 >= t && /BTN-Toggle/ {print $1; exit}' "$stamps")
                d=$(awk -v t="$t_click" '$1 >= t && /<<--/ {print $1; exit}' "$stamps")
                [ -n "$h" ] && [ -n "$d" ] && break
                sleep 0.01
            done
            [ -n "$h" ] && [ -n "$d" ] || fail "click $i: no trace line of the switch"
            if [ "$cmd" = atn ]; then
                hand_on+=($((h - t_click))) done_on+=($((d - t_click)))
            else
                hand_off+=($((h - t_click))) done_off+=($((d - t_click)))
            fi
        fi
    done
    # Extra carriage returns would show a click that entered a running
    # exchange; each switch on must have exactly its own handshake.
    after=$(box_line_of "att[0-9]+" 2)
    ons=$(awk -v from="$after" 'NR > from && $4 ~ /^atn[0-9]+$/' "$boxlog" | wc -l)
    extra=$(awk -v from="$after" 'NR > from && $4 == "<CR>"' "$boxlog" | wc -l)
    extra=$((extra - ons * busy))
    end_run
    st() { [ $# -gt 0 ] && stats "$@" || echo "- -"; }
    results+=("$(printf '%-8s %-4s %12s %12s %12s %12s %12s' "$logging" on "$(st "${over[@]}")" \
        "$(st "${hand_on[@]}")" "$(st "${cmd_on[@]}")" "$(st "${last_on[@]}")" "$(st "${done_on[@]}")")")
    results+=("$(printf '%-8s %-4s %12s %12s %12s %12s %12s   lost %d, extra CRs %d' "$logging" off "" \
        "$(st "${hand_off[@]}")" "$(st "${cmd_off[@]}")" "- -" "$(st "${done_off[@]}")" "$lost" "$extra")")
done

echo
echo "median max (ms from the moment before the click)"
printf '%-8s %-4s %12s %12s %12s %12s %12s\n' logging cmd driver handler command last-cr done
printf '%s\n' "${results[@]}"
printf '%-8s %-4s %12s %12s %12s %12s %12s\n' floor on "" 0 0 "$floor_last_cr" "$floor_done"
printf '%-8s %-4s %12s %12s %12s %12s %12s\n' floor off "" 0 0 - "$exchange"
