#!/usr/bin/env bash
# The end of the session: the real tavrin against nelta-sim (a USB-NELTA4 on
# COM1). Sockets 2 and 3 are marked "Beim Beenden von Windows" /
# "Ausschalten", socket 2 is stored on.
#  1. SIGTERM ends the program within two seconds with status 0; the box
#     receives "ato2" and "ato3" after the signal; tavrin.ini and the box file
#     hold the values of this run (the port the box was found on, the
#     identification, the keys in the program's own notation) and socket 2
#     stays stored on.
#  2. A box that vanished before the end (the simulator killed) still leaves
#     both files complete and written.
# Usage: test_shutdown.sh <path of tavrin>   (TAVRIN_SIM: path of nelta-sim)
set -u
tavrin="$(realpath "$1")"
sim="$(realpath -m "${TAVRIN_SIM:-$(dirname "$tavrin")/../tools/nelta-sim/nelta-sim}")"
help="$(cd "$(dirname "$0")/../../resources/help" && pwd)/tavrin_DE.chm"
[ -x "$sim" ] || { echo "FAIL: nelta-sim not found at $sim"; exit 1; }
[ -f "$help" ] || { echo "FAIL: help file not found at $help"; exit 1; }
work="$(mktemp -d)"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.log "$work"/app/tavrin.ini "$work"/app/System/AC_Config/*.ini; do
        [ -f "$f" ] && { echo "--- $f"; cat "$f"; }
    done
    exit 1
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

mkdir -p "$work/run" "$work/home"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" TAVRIN_COM_DIR="$work/com"
unset QT_QPA_PLATFORM

# A fresh installation: every key the program saves is in the files; the
# help file is there, so that no message stops the start.
prepare() {
    rm -rf "$work/app" "$work/com" "$work"/*.log
    mkdir -p "$work/app/System/AC_Config" "$work/app/System/Logging" "$work/app/System/Hilfe" "$work/com"
    cp "$help" "$work/app/System/Hilfe/tavrin_DE.chm"
    printf '%s\r\n' "[TAVRIN]" "AUTOSTART=no" "SILENT=no" "PrgHide=no" "FormPos=TopLeft" \
        "PositionX=150" "PositionY=150" "" "[Logging]" "Logging=ON" "LogArt=LOG_STD" "" \
        "[AC_Config]" "COM_Count=1" >"$work/app/tavrin.ini"
    {
        printf '%s\r\n' "[AC]" "AC_Controller=None" "AC_BEEPER=yes" "AC_SN=" "AC_DELAY=no" \
            "AC_DELAYTIME=0" "AC_PWDACTIVE=no" "AC_PWD="
        for n in $(seq -w 1 24); do printf 'AC_Name%s=Dose %s\r\n' "$n" "$n"; done
        for n in $(seq -w 1 24); do
            v=no; [ "$n" = 02 ] && v=yes
            printf 'ACPower%s=%s\r\n' "$n" "$v"
        done
        for k in AC_Down ACWDown; do
            for n in $(seq -w 1 24); do
                v=no; { [ "$n" = 02 ] || [ "$n" = 03 ]; } && v=yes
                printf '%s%s=%s\r\n' "$k" "$n" "$v"
            done
        done
        printf '%s\r\n' "" "[COM]" "Port=COM9" "Baudrate=2400" "Stopbit=1" "Parity=None" \
            "Flowcontrol=None"
    } >"$work/app/System/AC_Config/AC_Power_01.ini"
}

start_sim() {
    "$sim" --dir "$work/com" --com 1 --model USB-NELTA4 --log "$work/box.log" >"$work/sim.log" 2>&1 &
    simpid=$!
    pids+=("$simpid")
    for _ in $(seq 100); do [ -e "$work/com/com1" ] && return 0; sleep 0.05; done
    fail "nelta-sim does not come up"
}

# Starts tavrin and waits until the start-up has driven socket 4 to its state.
start_tavrin() {
    (cd "$work/app" && exec "$tavrin") >"$work/tavrin.log" 2>&1 &
    tpid=$!
    pids+=("$tpid")
    for _ in $(seq 300); do
        grep -q ' COM1 ato4$' "$work/box.log" 2>/dev/null && { sleep 0.5; return 0; }
        kill -0 "$tpid" 2>/dev/null || fail "tavrin ended during the start"
        sleep 0.1
    done
    fail "the box was never initialised"
}

# SIGTERM; the program must end within `limit` ms with status 0.
stop_tavrin() {
    local limit="$1" start end rc
    start=$(now_ms)
    kill -TERM "$tpid"
    for _ in $(seq 400); do
        if ! kill -0 "$tpid" 2>/dev/null; then
            end=$(now_ms)
            wait "$tpid"
            rc=$?
            [ "$rc" -eq 0 ] || fail "tavrin ended with status $rc"
            echo "tavrin ended $((end - start)) ms after SIGTERM"
            [ $((end - start)) -le "$limit" ] || fail "tavrin took $((end - start)) ms to end"
            return 0
        fi
        sleep 0.02
    done
    fail "tavrin does not end on SIGTERM"
}

key() { grep -a "^$2=" "$1" | tr -d '\r' | head -n1; }
expect_key() {
    local got
    got="$(key "$1" "$2")"
    [ "$got" = "$2=$3" ] || fail "$(basename "$1"): expected $2=$3, found '${got}'"
}

# ---- 1. SIGTERM with the box present --------------------------------------
prepare
start_sim
start_tavrin
before=$(wc -l <"$work/box.log")
stop_tavrin 2000
after="$(tail -n +$((before + 1)) "$work/box.log" | sed 's/^.* COM1 //' | grep -v '^<CR>$')"
[ "$after" = "$(printf 'ato2\nato3')" ] || fail "commands at the end: $(echo "$after" | tr '\n' ' ')"

ini="$work/app/tavrin.ini"
box="$work/app/System/AC_Config/AC_Power_01.ini"
expect_key "$ini" AUTOSTART OFF
expect_key "$ini" SILENT OFF
expect_key "$ini" PrgHide OFF
expect_key "$ini" FormPos TopLeft
expect_key "$box" Port COM1
expect_key "$box" Baudrate 57600
expect_key "$box" AC_Controller NELTA-V1.4-BOX4-USB
expect_key "$box" AC_BEEPER ON
expect_key "$box" ACPower02 ON
expect_key "$box" ACPower01 OFF
expect_key "$box" AC_Down03 ON
expect_key "$box" ACWDown03 ON
expect_key "$box" AC_Name04 "Dose 04"
# Sockets beyond the box keep their text.
expect_key "$box" ACPower05 no
expect_key "$box" AC_Down24 no
kill -TERM "$simpid" 2>/dev/null
wait "$simpid" 2>/dev/null

# ---- 2. The box vanished before the end ----------------------------------
prepare
start_sim
start_tavrin
kill -KILL "$simpid"
wait "$simpid" 2>/dev/null
sleep 0.2
stop_tavrin 5000
expect_key "$ini" AUTOSTART OFF
expect_key "$ini" SILENT OFF
expect_key "$box" Port COM1
expect_key "$box" Flowcontrol None
expect_key "$box" AC_Controller NELTA-V1.4-BOX4-USB
expect_key "$box" ACPower02 ON
expect_key "$box" ACWDown02 ON
expect_key "$box" AC_PWD ""
expect_key "$box" AC_DELAYTIME 0
for n in $(seq -w 1 24); do
    for k in AC_Name ACPower AC_Down ACWDown; do
        [ -n "$(key "$box" "$k$n")" ] || fail "box file lost $k$n"
    done
done
echo "PASS"
