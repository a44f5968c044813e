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
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
ini="$app/tavrin.ini"
box="$(box_file)"

# A fresh installation written in the other notation ("yes"/"no"): every key
# the program saves is in the files; the help file is there, so that no
# message stops the start.
prepare() {
    rm -rf "$app" "$boxlog"
    mkdir -p "$app/System/AC_Config" "$app/System/Logging" "$app/System/Hilfe"
    cp "$help_file" "$app/System/Hilfe/tavrin_DE.chm"
    printf '%s\r\n' "[TAVRIN]" "AUTOSTART=no" "SILENT=no" "PrgHide=no" "FormPos=TopLeft" \
        "PositionX=150" "PositionY=150" "" "[Logging]" "Logging=ON" "LogArt=LOG_STD" "" \
        "[AC_Config]" "COM_Count=1" >"$ini"
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
    } >"$box"
}

# Starts tavrin and waits until the start-up has driven socket 4 to its
# state and the box has fallen quiet.
start_and_restore() {
    start_tavrin
    wait_restored 4 300 || fail "the box was never initialised"
    wait_quiet 50 || fail "the box keeps receiving commands after the start"
    kill -0 "$tpid" 2>/dev/null || fail "tavrin ended during the start"
}

# SIGTERM; the program must end within `limit` ms with status 0.
stop_tavrin() {
    local limit="$1" start end
    start=$(now_ms)
    kill -TERM "$tpid"
    wait_end "$tpid" 400 || fail "tavrin does not end on SIGTERM"
    end=$(now_ms)
    [ "$rc" -eq 0 ] || fail "tavrin ended with status $rc"
    echo "tavrin ended $((end - start)) ms after SIGTERM"
    [ $((end - start)) -le "$limit" ] || fail "tavrin took $((end - start)) ms to end"
}

# ---- 1. SIGTERM with the box present --------------------------------------
prepare
start_sim --com 1 --model USB-NELTA4
start_and_restore
before=$(box_count)
stop_tavrin 2000
after="$(box_after "$before" | grep -v '^<CR>$')"
[ "$after" = "$(printf 'ato2\nato3')" ] || fail "commands at the end: $(echo "$after" | tr '\n' ' ')"

expect_ini "$ini" TAVRIN AUTOSTART OFF
expect_ini "$ini" TAVRIN SILENT OFF
expect_ini "$ini" TAVRIN PrgHide OFF
expect_ini "$ini" TAVRIN FormPos TopLeft
expect_ini "$box" COM Port COM1
expect_ini "$box" COM Baudrate 57600
expect_ini "$box" AC AC_Controller NELTA-V1.4-BOX4-USB
expect_ini "$box" AC AC_BEEPER ON
expect_ini "$box" AC ACPower02 ON
expect_ini "$box" AC ACPower01 OFF
expect_ini "$box" AC AC_Down03 ON
expect_ini "$box" AC ACWDown03 ON
expect_ini "$box" AC AC_Name04 "Dose 04"
# Sockets beyond the box keep their text.
expect_ini "$box" AC ACPower05 no
expect_ini "$box" AC AC_Down24 no
stop_sim

# ---- 2. The box vanished before the end ----------------------------------
prepare
start_sim --com 1 --model USB-NELTA4
start_and_restore
# Once its process is reaped the box is gone: the port's other end is closed.
kill -KILL "$simpid"
wait "$simpid" 2>/dev/null
simpid=""
stop_tavrin 5000
expect_ini "$ini" TAVRIN AUTOSTART OFF
expect_ini "$ini" TAVRIN SILENT OFF
expect_ini "$box" COM Port COM1
expect_ini "$box" COM Flowcontrol None
expect_ini "$box" AC AC_Controller NELTA-V1.4-BOX4-USB
expect_ini "$box" AC ACPower02 ON
expect_ini "$box" AC ACWDown02 ON
expect_ini "$box" AC AC_PWD ""
expect_ini "$box" AC AC_DELAYTIME 0
for n in $(seq -w 1 24); do
    for k in AC_Name ACPower AC_Down ACWDown; do
        ini_has "$box" AC "$k$n" || fail "box file lost $k$n"
    done
done
pass
