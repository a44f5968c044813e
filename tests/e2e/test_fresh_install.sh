#!/usr/bin/env bash
# A start on the default file set as it is shipped, then a start with stored
# socket states; a USB-NELTA8 on COM2, so that the files must learn the port.
#  1. Fresh installation: the box is found, each of its eight sockets is sent
#     its stored state (all off: "ato1" to "ato8", no "atn"), the main window
#     shows and no message appears. "Beenden" from the menu "Datei" ends the
#     program with status 0; the box file then names COM2 and the box's
#     controller, the start options keep their values, and both files keep
#     every key of the default set.
#  2. Sockets 2 and 7 stored on: "att0" and "atn" go to those two, "ato" to
#     the others, in socket order; their stored state survives the end.
# Usage: test_fresh_install.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
ini="$app/tavrin.ini"
box="$(box_file)"

# The shipped files untouched: no trace log.
fresh_app() {
    make_app
    set_ini "$ini" Logging Logging OFF
    set_ini "$ini" Logging LogArt LOG_STD
}


# ---- 1. Fresh installation ----------------------------------------------------
fresh_app
start_sim --com 2 --model USB-NELTA8
start_restored 8
got=$(box_commands | grep -E '^at[no][0-9]+$' | tr '\n' ' ')
[ "$got" = "ato1 ato2 ato3 ato4 ato5 ato6 ato7 ato8 " ] || fail "restore commands: $got"
[ -z "$(foreign_windows "$win")" ] || fail "a message or dialog appeared"
main_visible || fail "main window not visible after the start"
menu_quit "$win"
wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$box" COM Port COM2
expect_ini "$box" COM Baudrate 57600
expect_ini "$box" AC AC_Controller NELTA-V1.4-BOX8-USB
for n in 1 2 3 4 5 6 7 8; do expect_ini "$box" AC "ACPower0$n" OFF; done
expect_ini "$ini" TAVRIN AUTOSTART OFF
expect_ini "$ini" TAVRIN SILENT OFF
expect_ini "$ini" TAVRIN PrgHide OFF
expect_ini "$ini" TAVRIN FormPos TopLeft
ini_intact "$ini" "$defaults/tavrin.ini"
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
echo "fresh installation: found on COM2, sockets restored off, files saved"

# ---- 2. Stored states ---------------------------------------------------------
stop_sim
rm -f "$boxlog"
set_ini "$box" AC ACPower02 ON
set_ini "$box" AC ACPower07 ON
start_sim --com 2 --model USB-NELTA8
start_restored 8 300 "stored states"
got=$(box_commands | awk '/^ato1$/ {on = 1} on && /^(at[no][0-9]+|att0)$/ {print} /^at[no]8$/ {on = 0}' | tr '\n' ' ')
[ "$got" = "ato1 att0 atn2 ato3 ato4 ato5 ato6 att0 atn7 ato8 " ] || fail "restore commands: $got"
menu_quit "$win"
wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$box" AC ACPower02 ON
expect_ini "$box" AC ACPower07 ON
expect_ini "$box" AC ACPower03 OFF
ini_intact "$box" "$defaults/System/AC_Config/AC_Power_01.ini"
echo "stored states: sockets 2 and 7 switched on, the others off"
pass
