# Shared harness of the end-to-end scripts and the benchmarks: the real
# `tavrin` in a fresh working folder, `nelta-sim` on pseudo-terminals, a
# virtual X server (the caller runs under xvfb-run or sets DISPLAY).
#
#   source "$(dirname "$0")/lib.sh"      # tests/e2e/...
#   e2e_init "$1"                         # path of tavrin; TAVRIN_SIM optional
#   make_app                              # $app from the default file set
#   set_ini "$app/tavrin.ini" Logging Logging ON
#   start_sim --model USB-NELTA8          # COM1 in $com, log $boxlog
#   start_tavrin && wait_restored 8       # $tpid
#   ...
#   pass
#
# Every process started here is killed when the script ends; the working
# folder is removed unless E2E_KEEP is set. Waiting functions take their
# bound in tenths of a second and return non-zero when it passes.

e2e_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# e2e_init <tavrin>: paths, a private working folder, a private user
# environment (runtime folder for the single-instance lock, home for the
# autostart folder) and the clean-up trap.
e2e_init() {
    set -u
    tavrin="$(realpath "$1")"
    sim="$(realpath -m "${TAVRIN_SIM:-$(dirname "$tavrin")/../tools/nelta-sim/nelta-sim}")"
    help_file="$e2e_root/resources/help/tavrin_DE.chm"
    defaults="$e2e_root/resources/defaults"
    work="$(mktemp -d)"
    app="$work/app"
    com="$work/com"
    boxlog="$work/box.log"
    e2e_pids=()
    grab_xevs=()
    simpid=""
    tpid=""
    rc=""
    msg_seen=" "
    trap e2e_cleanup EXIT
    [ -x "$tavrin" ] || fail "tavrin not found at $tavrin"
    [ -x "$sim" ] || fail "nelta-sim not found at $sim"
    [ -f "$help_file" ] || fail "help file not found at $help_file"
    command -v xdotool >/dev/null || fail "xdotool missing"
    command -v xinput >/dev/null || fail "xinput missing"
    mkdir -p "$work/run" "$work/home" "$com"
    chmod 700 "$work/run"
    export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" TAVRIN_COM_DIR="$com"
    unset QT_QPA_PLATFORM
    load_layout
}

e2e_cleanup() {
    local p
    for p in "${e2e_pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
    wait 2>/dev/null
    if [ -n "${E2E_KEEP:-}" ]; then echo "kept: $work"; else rm -rf "$work"; fi
}

# fail <text>: the reason, then the logs and INI files that explain it.
fail() {
    echo "FAIL: $*"
    local f
    for f in "$work"/*.log "$work"/*.out "$app/tavrin.ini" "$app"/System/AC_Config/AC_Power_01.ini \
        "$app"/System/Logging/*.log; do
        [ -f "$f" ] && { echo "--- $f"; tail -60 "$f"; }
    done
    exit 1
}

pass() { echo "PASS"; exit 0; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# ---- Waiting on conditions ---------------------------------------------------
# wait_until <tenths> <command...>: runs the command every 50 ms until it
# succeeds (0) or the bound passes (1); what the command prints goes through.
wait_until() {
    local end=$(($(now_ms) + $1 * 100))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# expect_quiet <tenths> <command...>: a check that something does NOT happen.
# The command tests for the unwanted thing (a command reached the box, the
# process ended, ...); it runs every 50 ms for the whole window, and the
# function returns 1 as soon as it succeeds, 0 when the window passed
# without it. The time window is inherent in such a check: nothing
# announces that a thing will not happen, so "not within this window" is
# all a test can see.
expect_quiet() {
    local end=$(($(now_ms) + $1 * 100))
    shift
    while ! "$@"; do
        [ "$(now_ms)" -lt "$end" ] || return 0
        sleep 0.05
    done
    return 1
}

# Conditions for the two above.
not() { ! "$@"; }
ended() { ! kill -0 "$1" 2>/dev/null; }
box_has() { [ "$(box_count)" -ge "$1" ]; }
box_grew() { [ "$(box_count)" -gt "$1" ]; }
window_shown() { xdotool search --onlyvisible --name "$2" 2>/dev/null | grep -qx "$1"; }
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
no_foreign() { [ -z "$(foreign_windows "$1")" ]; }
foreign_shown() { foreign_windows "$1" | grep -qx "$2"; }

# log_count <regex>: the number of lines of the program's logs that match;
# log_grew <regex> <count>: more than count of them.
log_count() { cat "$app"/System/Logging/*.log 2>/dev/null | grep -cE "$1"; }
log_grew() { [ "$(log_count "$1")" -gt "$2" ]; }

# region_sum <win> <WxH+X+Y>: a checksum of the pixels of that part of the
# window; region_changed <win> <WxH+X+Y> <sum>: they differ from the sum.
region_sum() { import -window "$1" -crop "$2" +repage rgb:- 2>/dev/null | md5sum | cut -d' ' -f1; }
region_changed() { [ "$(region_sum "$1" "$2")" != "$3" ]; }

# make_app [dir]: a fresh installation in dir (default $app): the default
# file set and the help file, logging of everything switched on.
make_app() {
    local dir="${1:-$app}"
    rm -rf "$dir"
    mkdir -p "$dir/System/Logging" "$dir/System/Hilfe"
    cp -r "$defaults/." "$dir/"
    cp "$help_file" "$dir/System/Hilfe/"
    set_ini "$dir/tavrin.ini" Logging Logging ON
    set_ini "$dir/tavrin.ini" Logging LogArt LOG_ALL
}

# set_ini <file> <section> <key> <value>: replaces the value of an existing
# key in the section (the default files carry every key the program reads).
set_ini() {
    local file="$1" section="$2" key="$3" value="$4" tmp
    tmp="$(mktemp)"
    awk -v s="[$section]" -v k="$key" -v v="$value" '
        BEGIN { done = 0 }
        { line = $0; sub(/\r$/, "", line) }
        line ~ /^\[/ { insec = (tolower(line) == tolower(s)) }
        insec && !done && tolower(substr(line, 1, length(k) + 1)) == tolower(k "=") {
            printf "%s=%s\r\n", k, v; done = 1; next }
        { print }
        END { if (!done) exit 3 }' "$file" >"$tmp" || { rm -f "$tmp"; fail "set_ini: no $key in [$section] of $file"; }
    cat "$tmp" >"$file"
    rm -f "$tmp"
}

# ini_get <file> <section> <key>: the value (empty when missing).
ini_get() {
    awk -v s="[$2]" -v k="$3" '
        { line = $0; sub(/\r$/, "", line) }
        line ~ /^\[/ { insec = (tolower(line) == tolower(s)); next }
        insec && tolower(substr(line, 1, length(k) + 1)) == tolower(k "=") {
            print substr(line, length(k) + 2); exit }' "$1"
}

box_file() { echo "$app/System/AC_Config/AC_Power_${1:-01}.ini"; }

# start_sim [nelta-sim options]: a box on COM1 (unless --com is given) in
# $com, its command log in $boxlog; waits for the link.
start_sim() {
    local n=1 a prev=""
    for a in "$@"; do [ "$prev" = "--com" ] && n="$a"; prev="$a"; done
    "$sim" --dir "$com" --log "$boxlog" "$@" >>"$work/sim.out" 2>&1 &
    simpid=$!
    e2e_pids+=("$simpid")
    local i
    for i in $(seq 100); do [ -e "$com/com$n" ] && return 0; sleep 0.05; done
    fail "nelta-sim does not come up on COM$n"
}

stop_sim() {
    [ -n "$simpid" ] || return 0
    kill -TERM "$simpid" 2>/dev/null
    wait "$simpid" 2>/dev/null
    simpid=""
}

# start_tavrin [args]: the program in $app; its pid in tpid. (Window ids are
# handed out per client and may come again with the next process, so the
# message boxes confirmed so far are forgotten.)
start_tavrin() {
    msg_seen=" "
    (cd "$app" && exec "$tavrin" "$@") >>"$work/tavrin.out" 2>&1 &
    tpid=$!
    e2e_pids+=("$tpid")
}

# start_restored [sockets] [tenths] [label]: starts the program and waits
# for its main window (in win), for the start-up to drive the last socket to
# its state and for the box to fall quiet; label prefixes the failures.
start_restored() {
    local label="${3:+$3: }"
    start_tavrin
    win=$(main_window 300) || fail "${label}main window did not appear"
    wait_restored "${1:-8}" "${2:-300}" || fail "${label}sockets not restored"
    wait_quiet 50 || fail "${label}the box keeps receiving commands"
}

# start_tray: a tray host on the virtual display, so that the program's
# tray icon is embedded; waits until it has registered.
start_tray() {
    command -v trayer >/dev/null || fail "trayer missing"
    trayer --edge top --align right --widthtype pixel --width 80 --height 24 \
        --transparent false >/dev/null 2>&1 &
    e2e_pids+=("$!")
    local i
    for i in $(seq 50); do
        xdotool search --classname panel >/dev/null 2>&1 && return 0
        xdotool search --name '^panel$' >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 0
}

# box_lines: the commands received so far (fourth field of the command log).
box_commands() { awk '{print $4}' "$boxlog" 2>/dev/null; }
box_count() { [ -f "$boxlog" ] && wc -l <"$boxlog" || echo 0; }

# wait_box <regex> <tenths> [from-line]: waits for a command matching the
# whole regex (e.g. 'atn3'), looking at lines after from-line.
wait_box() {
    local i
    for i in $(seq "$2"); do
        tail -n +"$((${3:-0} + 1))" "$boxlog" 2>/dev/null | awk '{print $4}' | grep -qxE "$1" && return 0
        sleep 0.1
    done
    return 1
}

# wait_restored <sockets> [tenths]: the start-up has driven the last socket
# to its stored state.
wait_restored() { wait_box "at[no]$1" "${2:-300}"; }

# wait_log <regex> <tenths>: a line of the program's log matches.
wait_log() {
    local i
    for i in $(seq "$2"); do
        grep -qE "$1" "$app"/System/Logging/*.log 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# wait_window <name-regex> <tenths>: prints the id of a visible window.
wait_window() {
    local i w
    for i in $(seq "$2"); do
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}

# wait_no_window <name-regex> <tenths>
wait_no_window() {
    local i
    for i in $(seq "$2"); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# message_shown: a message box of the program is visible (their title is
# "Tavrin v<version>").
message_shown() { xdotool search --onlyvisible --name '^Tavrin v' >/dev/null 2>&1; }

# confirm_message <pid> <tenths> [key]: waits for the next message box of the
# program (a "Tavrin v<version>" window not confirmed before), makes sure that
# it waits for its confirmation (no key held that could close it, and it
# stays for half a second: expect_quiet), confirms it with Enter (or key) and waits
# until it has gone; its size (WIDTHxHEIGHT) goes to msg_size. Returns 1 when
# the process ends or the bound passes before a box shows; fails when the box
# closes by itself or stays after the key.
confirm_message() {
    local pid="$1" key="${3:-Return}" i box="" held
    for i in $(seq "$2"); do
        kill -0 "$pid" 2>/dev/null || return 1
        for box in $(xdotool search --onlyvisible --name '^Tavrin v' 2>/dev/null); do
            case "$msg_seen" in *" $box "*) box="" ;; *) break ;; esac
        done
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || return 1
    msg_seen="$msg_seen$box "
    msg_size="$(win_width "$box")x$(win_height "$box")"
    held="$(held_inputs)" || fail "cannot read the keyboard state"
    [ -z "$held" ] || fail "held down while a message was shown: $held"
    expect_quiet 5 not window_shown "$box" '^Tavrin v' ||
        fail "a message ($msg_size) closed before it was confirmed"
    press_keys "$box" "$key" || fail "the message ($msg_size) does not take the focus"
    wait_until 50 not window_shown "$box" '^Tavrin v' || fail "the message ($msg_size) is still shown after $key"
}

# confirm_until_end <pid> [key]: confirms the program's message boxes one by
# one (confirm_message, 30 s for each) until the process ends; their number
# goes to shown, their sizes in order to shown_sizes.
confirm_until_end() {
    shown=0
    shown_sizes=""
    while confirm_message "$1" 300 "${2:-}"; do
        shown=$((shown + 1))
        shown_sizes="${shown_sizes:+$shown_sizes }$msg_size"
    done
}

# wait_end <pid> <tenths>: the process ended; its status goes to rc.
wait_end() {
    local i
    for i in $(seq "$2"); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            rc=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# ---- Keys ---------------------------------------------------------------------
# Keys reach the program through the server's XTEST keyboard only: the window
# is given the focus, then xdotool presses and releases the key there. (With
# --window, xdotool addresses the release to that window; when the press has
# closed it, the release fails, the key stays down and its repeat confirms the
# next message.) After every confirmation any key still held is released, and
# with-xvfb.sh checks after each script that nothing is held down.

# held_keys / held_buttons: the X keycodes of the keys, the numbers of the
# mouse buttons the XTEST devices hold down, space-separated; non-zero when
# the server cannot be asked.
held_keys() { _xtest_down "Virtual core XTEST keyboard" key; }
held_buttons() { _xtest_down "Virtual core XTEST pointer" button; }
_xtest_down() {
    local out
    out="$(xinput query-state "$1" 2>/dev/null)" || return 1
    printf '%s\n' "$out" | sed -n "s/^[[:space:]]*$2\[\([0-9]*\)\]=down\$/\1/p" | tr '\n' ' ' | sed 's/ $//'
}

# held_inputs: "keys (X keycodes) K...", "buttons B..." for what is held down;
# empty when nothing is.
held_inputs() {
    local k b
    k="$(held_keys)" && b="$(held_buttons)" || return 1
    [ -n "$k" ] && printf 'keys (X keycodes) %s' "$k"
    [ -n "$k" ] && [ -n "$b" ] && printf '; '
    [ -n "$b" ] && printf 'buttons %s' "$b"
    return 0
}

# release_keys: releases every key and mouse button still held down, naming
# them on stderr.
release_keys() {
    local k held
    held="$(held_inputs)" || return 1
    [ -n "$held" ] || return 0
    echo "releasing what is still held down: $held" >&2
    # xdotool takes a number from 10 up as a keycode; 9 is Escape.
    for k in $(held_keys); do
        if [ "$k" -ge 10 ]; then xdotool keyup "$k"; else xdotool keyup Escape; fi
    done
    for k in $(held_buttons); do xdotool mouseup "$k"; done
}

# press_keys <window> <keys...>: focuses the window (waiting up to a second
# for the server to report it focused, and making sure that the focus holds
# for a tenth of a second: the program may still move it on its own, by the
# deferred activation of a window it has just shown or gone back to, and
# nothing tells that it will not; a moved focus is given back, up to three
# times), presses and releases the keys (each an xdotool key sequence such
# as Return or alt+e) and releases whatever is still held; returns 1 without
# a key when the window does not keep the focus.
press_keys() {
    local w="$1" try
    shift
    for try in 1 2 3; do
        xdotool windowfocus "$w" 2>/dev/null
        wait_until 10 focused "$w" || continue
        expect_quiet 1 not focused "$w" || continue
        xdotool key "$@"
        release_keys
        return 0
    done
    return 1
}

# click_at <window> <x> <y>: a left click at a point inside the window.
click_at() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# ---- Driving the main window, its menus, dialogs and the tray ------------
# Without a window manager every window sits at its own place, undecorated;
# coordinates are relative to the window. The main window's bands have fixed
# heights from the bottom up (the status bar, the status line, the socket
# area with its four slots below a margin, the emergency-off bar above it),
# so positions are taken from its bottom edge, whatever the menu bar height.
# The heights and the slot geometry come from the window code's own layout
# header, src/ui/WindowLayout.h (layout_value).

# main_window [tenths]: prints the id of the visible main window (named
# "Tavrin" like the silent-start window, the tray icon and some dialogs, so
# it is told apart by its width); default bound 5 s.
main_window() {
    local i w
    for i in $(seq "${1:-50}"); do
        for w in $(xdotool search --onlyvisible --name '^Tavrin$' 2>/dev/null); do
            [ "$(win_width "$w")" -ge 300 ] && [ "$(win_height "$w")" -ge 500 ] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

win_width() { xdotool getwindowgeometry --shell "$1" 2>/dev/null | awk -F= '/^WIDTH=/ {print $2}'; }
win_height() { xdotool getwindowgeometry --shell "$1" 2>/dev/null | awk -F= '/^HEIGHT=/ {print $2}'; }

# main_visible: the main window is mapped (0) or not (1).
main_visible() { main_window 1 >/dev/null; }

# layout_value <name>: the value of `constexpr int <name> = <number>;` in the
# window's layout header; non-zero when the header has no such line.
layout_header="$e2e_root/src/ui/WindowLayout.h"
layout_value() {
    local v
    v="$(sed -n "s/^[[:space:]]*constexpr int $1 = \([0-9][0-9]*\);.*/\1/p" "$layout_header" 2>/dev/null)"
    [ -n "$v" ] || { echo "layout_value: no $1 in $layout_header" >&2; return 1; }
    echo "$v"
}

# load_layout: the layout values the functions below use, as shell variables
# of the same name (kSlotHeight, ...); fails when one is missing.
load_layout() {
    local name value
    for name in kBannerHeight kEmergencyBarHeight kSocketAreaHeight kStatusLineHeight kStatusBarHeight kSocketAreaMargin \
        kSlotHeight kSlotMargin kSlotButtonWidth kSlotGroupWidth kEditButtonX kEditButtonY kEditButtonWidth \
        kEditButtonHeight; do
        value="$(layout_value "$name")" || fail "the window layout has no $name ($layout_header)"
        printf -v "$name" '%s' "$value"
    done
}

# socket_top <win>: y of the socket area's top edge.
socket_top() { echo $(($(win_height "$1") - kStatusBarHeight - kStatusLineHeight - kSocketAreaHeight)); }

# menu_bar_height <win>: the height of the menu bar, what the bands leave of
# the window's height.
menu_bar_height() { echo $(($(socket_top "$1") - kEmergencyBarHeight - kBannerHeight)); }

# slot_top <win> <k>: y of slot k's top edge (1-4).
slot_top() { echo $(($(socket_top "$1") + kSocketAreaMargin + kSlotHeight * ($2 - 1))); }

# click_slot <win> <k>: a click on the middle of the page button of slot k.
click_slot() {
    click_at "$1" $((kSocketAreaMargin + kSlotMargin + kSlotButtonWidth / 2)) $(($(slot_top "$1" "$2") + kSlotHeight / 2))
}

# click_edit <win> <k>: a click on the middle of the edit button of slot k
# (in the group box at the slot's right edge, inside the socket area's
# margin).
click_edit() {
    click_at "$1" \
        $(($(win_width "$1") - kSocketAreaMargin - kSlotMargin - kSlotGroupWidth + kEditButtonX + kEditButtonWidth / 2)) \
        $(($(slot_top "$1" "$2") + kSlotMargin + kEditButtonY + kEditButtonHeight / 2))
}

# click_tab <win> <index> <tabs>: a click on page tab index (0-based) of a
# tab bar with that many tabs (the tabs share the bar's width), 12 px above
# the socket area's bottom edge, inside the tab bar.
click_tab() {
    local w
    w=$(win_width "$1")
    click_at "$1" $(((2 * $2 + 1) * (w - 2 * kSocketAreaMargin) / (2 * $3) + kSocketAreaMargin)) \
        $(($(socket_top "$1") + kSocketAreaHeight - 12))
}

# click_emergency <win>: a click on the emergency-off button in the middle of
# its bar under the banner.
click_emergency() { click_at "$1" $(($(win_width "$1") / 2)) $(($(socket_top "$1") - kEmergencyBarHeight / 2)); }

# menu_quit <win>: "Beenden" from the menu bar's "Datei" (the first menu,
# clicked 25 px from the bar's left end, inside its icon and caption, half
# way down the bar); the click is repeated while no menu opens (a click that
# only ends the menu bar's keyboard mode after an Alt key, say); bound about
# 5 s.
menu_quit() {
    local try
    for try in 1 2 3; do
        watch_grab "$1"
        click_at "$1" 25 $(($(menu_bar_height "$1") / 2))
        if wait_until 15 not no_foreign "$1"; then
            wait_grab 50 || { echo "menu_quit: the menu does not take the keyboard" >&2; return 1; }
            xdotool key b
            release_keys
            return 0
        fi
        end_watch_grab
    done
    return 1
}

# ---- A popup's keyboard grab ----------------------------------------------------
# A popup menu of the program takes the keyboard with a grab once it is
# shown; a key pressed before that goes to the window with the focus. The
# grab shows as a FocusOut of mode NotifyGrab on the window that has the
# focus then, which xev reports. watch_grab [windows...] starts the watch,
# before the popup is opened, on the window with the focus and on the given
# ones (the program may give one of them the focus on the click that opens
# the popup), each xev made sure to listen (it must report a property set
# on its window); wait_grab <tenths> waits for the grab and ends the watch,
# end_watch_grab ends it without.
watch_grab() {
    local f w n i=0
    end_watch_grab
    f=$(xdotool getwindowfocus -f 2>/dev/null)
    # No focus window (PointerRoot, None): the root window has the focus.
    [ "${f:-0}" -gt 1 ] 2>/dev/null || f=$(xwininfo -root | awk '/Window id:/ {print $4}')
    for w in "$f" "$@"; do
        [ "$w" = "$f" ] && [ "$i" -gt 0 ] && continue
        i=$((i + 1))
        : >"$work/grab$i.xev"
        stdbuf -oL xev -id "$w" -event focus -event property >"$work/grab$i.xev" 2>&1 &
        grab_xevs+=("$!")
        e2e_pids+=("$!")
        for n in $(seq 21); do
            [ "$n" -le 20 ] || fail "watch_grab: xev does not report on window $w"
            xprop -id "$w" -f _TAVRIN_E2E_WATCH 32c -set _TAVRIN_E2E_WATCH "$n" 2>/dev/null
            wait_until 2 grep -q '(_TAVRIN_E2E_WATCH)' "$work/grab$i.xev" && break
        done
    done
}
wait_grab() {
    local rc=0
    wait_until "$1" grab_seen || rc=1
    end_watch_grab
    return "$rc"
}
grab_seen() { cat "$work"/grab*.xev 2>/dev/null | grep -q 'mode NotifyGrab'; }
end_watch_grab() {
    local p
    for p in "${grab_xevs[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${grab_xevs[@]}"; do wait "$p" 2>/dev/null; done
    grab_xevs=()
    rm -f "$work"/grab*.xev
}

# open_settings <win>: opens the settings dialog with its menu key (Alt+E)
# and prints the dialog's id (a visible "Tavrin" window of neither the main
# window's nor the silent-start window's size); bound 5 s.
open_settings() {
    local i w
    press_keys "$1" alt+e || return 1
    for i in $(seq 50); do
        for w in $(xdotool search --onlyvisible --name '^Tavrin$' 2>/dev/null); do
            [ "$w" = "$1" ] && continue
            [ "$(win_width "$w")" -ge 400 ] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

# foreign_windows <main>: ids of the visible windows of the program other than
# the main window, the tray icon and the 1 x 1 silent-start window: message
# boxes ("Tavrin", "Tavrin v<version>", "NOTAUS"), dialogs, popups. (Found by
# class: Qt names popups only in _NET_WM_NAME.) Hints (tool tips) that the
# mouse left over a control brings up are not counted.
foreign_windows() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^tavrin$' 2>/dev/null); do
        [ "$w" = "$1" ] && continue
        [ "$(win_width "$w")" -le 24 ] && continue
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP && continue
        echo "$w"
    done
}

# wait_foreign <main> <tenths>: prints the first such window once one shows.
wait_foreign() {
    local i w
    for i in $(seq "$2"); do
        w=$(foreign_windows "$1" | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}

# confirm_messages <main> <tenths>: for the whole bound, confirms every window
# of the program other than the main window (messages) with Enter, pressed
# into the focused message (press_keys); the number confirmed goes to
# confirmed.
confirm_messages() {
    local i m
    confirmed=0
    for i in $(seq "$2"); do
        m=$(foreign_windows "$1" | head -1)
        if [ -n "$m" ]; then
            press_keys "$m" Return
            confirmed=$((confirmed + 1))
            wait_until 10 not foreign_shown "$1" "$m"
        fi
        sleep 0.1
    done
}

# tray_icon: the id of the program's icon embedded in the tray host.
tray_icon() {
    local panel
    panel=$(xdotool search --classname panel 2>/dev/null | head -1)
    [ -n "$panel" ] || return 1
    xwininfo -id "$panel" -tree | awk '/"Tavrin"/ {print $1; exit}'
}

# tray_menu: opens the tray icon's popup menu (right click; repeated when a
# freshly embedded icon misses the first one); bound about 6 s.
tray_menu() {
    local i icon try
    for i in $(seq 50); do
        icon=$(tray_icon)
        [ -n "$icon" ] && break
        sleep 0.1
    done
    [ -n "$icon" ] || return 1
    for try in 1 2 3; do
        watch_grab
        xdotool mousemove --window "$icon" 11 11 click 3
        if wait_until 10 tray_popup_shown; then
            wait_grab 50 && return 0
            echo "tray_menu: the popup does not take the keyboard" >&2
            return 1
        fi
        end_watch_grab
    done
    return 1
}

# tray_popup_shown: the tray popup (a "Tavrin" window narrower than the main
# window and taller than the icon) is visible.
tray_popup_shown() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^tavrin$' 2>/dev/null); do
        [ "$(win_height "$w")" -ge 150 ] && [ "$(win_width "$w")" -lt 300 ] && return 0
    done
    return 1
}

# tray_pick <keys...>: opens the tray menu and presses the keys in it, e.g.
# "tray_pick n" for the "&Notaus" entry. (The popup holds the keyboard, and
# the program takes the keys in their order: a submenu that one key opens
# gets the next.)
tray_pick() {
    tray_menu || return 1
    xdotool key "$@"
    release_keys
}

# tray_socket <n>: switches socket n from the tray's "Steckdosen" submenu
# (the first entry; its visible socket entries in order).
tray_socket() {
    local keys=(Down Right) i
    for i in $(seq $(($1 - 1))); do keys+=(Down); done
    tray_pick "${keys[@]}" Return
}

# box_after <line>: the commands received after the first line lines.
box_after() { tail -n +"$(($1 + 1))" "$boxlog" 2>/dev/null | awk '{print $4}'; }

# wait_quiet <tenths>: the command log has not grown for half a second
# (an exchange with its busy handshake is over); bound in tenths.
wait_quiet() {
    local i last=-1 same=0 c
    for i in $(seq "$1"); do
        c=$(box_count)
        if [ "$c" = "$last" ]; then
            same=$((same + 1))
            [ "$same" -ge 5 ] && return 0
        else
            same=0
            last=$c
        fi
        sleep 0.1
    done
    return 1
}

# expect_ini <file> <section> <key> <value>: fails unless the key is there
# and holds the value.
expect_ini() {
    ini_has "$1" "$2" "$3" || fail "$(basename "$1") [$2] $3 missing"
    local got
    got="$(ini_get "$1" "$2" "$3")"
    [ "$got" = "$4" ] || fail "$(basename "$1") [$2] $3: expected '$4', found '$got'"
}

# ini_has <file> <section> <key>: the key exists in the section.
ini_has() { ini_keys "$1" | grep -qixF "[$2]|$3"; }

# ini_intact <file> <reference>: the file still has every section and key of
# the reference (the default file it was copied from), each exactly once.
ini_intact() {
    [ "$(ini_keys "$1")" = "$(ini_keys "$2")" ] || fail "$(basename "$1") lost or duplicated keys"
}
ini_keys() {
    tr -d '\r' <"$1" | awk '/^\[/ {s = tolower($0); next} /=/ {print s "|" tolower(substr($0, 1, index($0, "=") - 1))}' | sort
}

# rss_kb <pid>, cpu_ticks <pid>: resident memory and user+system CPU time.
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# stamp_log <regex> <out>: follows the program's trace log (created empty
# when missing, so no line is missed) and appends every new line matching
# the regex to out, led by the epoch time in milliseconds at which it
# appeared; for timing the program's own steps. The follower's pid goes to
# stamp_pid. Needs python3.
stamp_log() {
    local f="$app/System/Logging/mLogging.log"
    command -v python3 >/dev/null || fail "python3 missing"
    mkdir -p "$(dirname "$f")"
    touch "$f"
    python3 -u -c '
import os, re, sys, time
path, rx = sys.argv[1], re.compile(sys.argv[2].encode())
pos, rest = 0, b""
while True:
    try:
        size = os.path.getsize(path)
    except OSError:
        size = 0
    if size < pos:
        pos, rest = 0, b""
    if size > pos:
        with open(path, "rb") as fh:
            fh.seek(pos)
            data = fh.read()
        pos += len(data)
        ms = int(time.time() * 1000)
        lines = (rest + data).split(b"\n")
        rest = lines.pop()
        for line in lines:
            if rx.search(line):
                sys.stdout.write("%d %s\n" % (ms, line.decode("utf-8", "replace").rstrip("\r")))
    time.sleep(0.002)
' "$f" "$1" >>"$2" &
    stamp_pid=$!
    e2e_pids+=("$stamp_pid")
}
