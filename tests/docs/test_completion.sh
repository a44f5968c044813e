#!/usr/bin/env bash
# The bash completion of tavrinctl: it parses; at the command it offers
# exactly the commands of the manual page, at a dash exactly its options;
# option values (boxes, ports) and the SOCKETS of a command come from the
# data folder's box file (its model's socket count, its socket names,
# matched ignoring case and offered quoted). With tavrinctl built, its
# --help names every command and option of the manual page.
# Usage: test_completion.sh <source folder> [tavrinctl]
set -u
src="$1"
ctl="${2:-}"
completion="$src/resources/completion/tavrinctl"
page="$src/docs/man/tavrinctl.1"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bash -n "$completion" || { echo "FAIL: $completion does not parse"; exit 1; }

# The manual page's commands (the items of COMMANDS) and options (the items
# of OPTIONS), one a line, sorted.
items() {
    awk -v s="$1" '/^\.S[HS] / {on = ($2 == s); next}
        on && /^\.T[PQ]/ {item = 1; next}
        on && item {print; item = 0}' "$page" | sed 's/\\-/-/g'
}
man_commands="$(items COMMANDS | awk '{print $2}' | sort -u)"
man_options="$(items OPTIONS | grep -o -- '-\{1,2\}[a-z][a-z-]*' | sort -u)"
[ -n "$man_commands" ] && [ -n "$man_options" ] || { echo "FAIL: no commands or options in $page"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir -p "$data/System/AC_Config" "$work/com" "$work/home"
# Box 1: a USB-NELTA4 with two names, a default name and a name beyond its
# four sockets; box 2: a USB-NELTA8. CR LF line ends, as the program writes.
printf '[AC]\r\nAC_Controller=NELTA-V1.4-BOX4-USB\r\nAC_Name01=Lampe Flur\r\nAC_Name02=Drucker\r\nAC_Name03=Steckdosenname\r\nAC_Name04=\r\nAC_Name05=Zu weit\r\n[COM]\r\nPort=COM1\r\nAC_Name06=Kein AC\r\n' \
    >"$data/System/AC_Config/AC_Power_01.ini"
printf '[AC]\nAC_Controller=NELTA-V1.4-BOX8-USB\nAC_Name08=Board\n' >"$data/System/AC_Config/AC_Power_02.ini"
ln -s /dev/null "$work/com/com1"
ln -s /dev/null "$work/com/com3"

# complete <env...> -- <words...>: what the completion offers for the last
# word, sorted, joined with "|".
complete_words() {
    local envs=()
    while [ "$1" != "--" ]; do envs+=("$1"); shift; done
    shift
    env -i HOME="$work/home" PATH="$PATH" "${envs[@]}" bash --norc --noprofile -c '
        source "$0"
        COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMPREPLY=()
        _tavrinctl
        printf "%s\n" "${COMPREPLY[@]}"' "$completion" "$@" | sort | paste -sd'|'
}
joined() { printf '%s\n' "$@" | sort | paste -sd'|'; }

check() {
    local label="$1" expected="$2" got
    shift 2
    got="$(complete_words "$@")"
    [ "$got" = "$expected" ] || fail "$label: expected '$expected', got '$got'"
}

check "commands" "$(paste -sd'|' <<<"$man_commands")" -- tavrinctl ""
check "commands after options" "$(paste -sd'|' <<<"$man_commands")" -- tavrinctl --json --box 2 --port COM1 ""
check "options" "$(paste -sd'|' <<<"$man_options")" -- tavrinctl -
check "a command's prefix" "status" -- tavrinctl --json st
check "an option's prefix" "--box" -- tavrinctl --b
check "boxes" "$(joined "$(seq 1 16)")" -- tavrinctl --box ""
check "ports of TAVRIN_COM_DIR" "COM1|COM3" TAVRIN_COM_DIR="$work/com" -- tavrinctl --port ""

# label; expected (joined with "|"); the words after "tavrinctl --dir D",
# quoted as for the shell.
cases=(
    "sockets of a NELTA4;$(joined all 1 2 3 4 'Lampe\ Flur' Drucker);on ''"
    "a name, any case;Drucker;off dR"
    "a name with a space;Lampe\ Flur;toggle la"
    "a name begun with a quote;Lampe\ Flur;toggle '\"La'"
    "cycle takes sockets;3;cycle 3"
    "cycle's own option;--off-seconds;cycle 3 --of"
    "box 2, a NELTA8;$(joined all 1 2 3 4 5 6 7 8 Board);--box 2 on ''"
    "all-off asks for --yes;--yes;all-off ''"
    "no argument to status;;status ''"
    "no argument to ports;;ports ''"
)
for c in "${cases[@]}"; do
    IFS=';' read -r label expected words <<<"$c"
    eval "set -- $words"
    check "$label" "$expected" -- tavrinctl --dir "$data" "$@"
done
# The data folder from the environment, and a folder without box files.
check "TAVRIN_HOME" "Drucker" TAVRIN_HOME="$data" -- tavrinctl on d
mkdir -p "$work/xdg" && ln -s "$data" "$work/xdg/tavrin"
check "XDG_DATA_HOME" "Drucker" XDG_DATA_HOME="$work/xdg" -- tavrinctl on d
check "no box file: 24 sockets" "$(joined all $(seq 1 24))" -- tavrinctl --dir "$work/none" on ""

if [ -n "$ctl" ]; then
    help="$("$ctl" --help 2>&1)" || fail "tavrinctl --help ended with $?"
    for word in $man_commands $man_options; do
        grep -qw -- "$word" <<<"$help" || fail "tavrinctl --help does not name $word"
    done
fi

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "PASS"
