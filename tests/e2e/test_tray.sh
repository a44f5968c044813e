#!/usr/bin/env bash
# The tray icon, embedded into a tray host on the virtual display: its popup
# menu switches socket 3 from the "Steckdosen" submenu ("atn3"); "Tavrin
# schließen" hides the main window, the program keeps running, and socket 6
# switched from the tray while the window is hidden reaches the box ("atn6");
# "Tavrin öffnen" shows the window again; "Beenden" from the tray ends the
# program with status 0 and the box file holds sockets 3 and 6 on.
# Usage: test_tray.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
box="$(box_file)"
make_app
start_tray
start_sim --model USB-NELTA8
start_restored 8
[ -n "$(tray_icon)" ] || fail "the tray icon is not embedded in the tray host"

from=$(box_count)
tray_socket 3 || fail "tray menu did not open"
wait_box atn3 50 "$from" || fail "no atn3 from the tray (got: $(box_after "$from" | tr '\n' ' '))"
wait_quiet 50
wait_log 'Toggle ausführen für Steckdose3 \.\.\.' 30 || fail "no trace of the tray switch"

# "Tavrin schließen" (mnemonic s) hides the window, the program keeps running.
tray_pick s || fail "tray menu did not open"
wait_until 30 not main_visible || fail "main window still visible after \"Tavrin schließen\""
kill -0 "$tpid" 2>/dev/null || fail "program ended on \"Tavrin schließen\""

from=$(box_count)
tray_socket 6 || fail "tray menu did not open with the window hidden"
wait_box atn6 50 "$from" || fail "no atn6 while hidden (got: $(box_after "$from" | tr '\n' ' '))"
wait_quiet 50

# "Tavrin öffnen" (the third entry; its mnemonic n is also that of "&Notaus")
# shows it again.
tray_pick Down Down Down Return || fail "tray menu did not open"
main_window 50 >/dev/null || fail "main window not shown by \"Tavrin öffnen\""
main_visible || fail "main window not shown by \"Tavrin öffnen\""

tray_pick b || fail "tray menu did not open"
wait_end "$tpid" 100 || fail "\"Beenden\" from the tray does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$box" AC ACPower03 ON
expect_ini "$box" AC ACPower06 ON
for n in 1 2 4 5 7 8; do expect_ini "$box" AC "ACPower0$n" OFF; done
pass
