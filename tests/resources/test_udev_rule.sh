#!/usr/bin/env bash
# The shipped udev rule for the box's USB-serial bridge: every rule line is
# made of known udev keys with the right operators, separated by commas; the
# tty rule gives the seat's user access, keeps ModemManager away and makes
# /dev/tavrin-box; the sample ids in its comments are vendor:product pairs of
# four hex digits, and the rule filled in with each of them is still valid.
#
#   test_udev_rule.sh SOURCE_DIR            structure (always)
#   test_udev_rule.sh SOURCE_DIR --verify   udevadm verify of the filled-in rule
#                                           (exit 77, skipped, without it)
set -uo pipefail

source_dir=${1:?source folder}
mode=${2:-}
rule=$source_dir/resources/udev/60-tavrin.rules
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

[[ -f $rule ]] || { echo "FAIL: $rule is missing" >&2; exit 1; }

# Keys that only match, keys that only assign, keys that do either (udev(7)).
match_keys=" ACTION DEVPATH KERNEL KERNELS SUBSYSTEM SUBSYSTEMS DRIVER DRIVERS ATTRS SYSCTL TAGS TEST PROGRAM RESULT CONST "
assign_keys=" OWNER GROUP MODE SECLABEL RUN LABEL GOTO IMPORT OPTIONS "
either_keys=" NAME SYMLINK ATTR ENV TAG "
# Assignments of a dual key, by key and attribute: everything else of theirs matches.
assignments=" TAG SYMLINK ENV{ID_MM_DEVICE_IGNORE} "

# The sample ids of the comments: "#   id vvvv:pppp  name".
samples=()
while IFS= read -r line; do
  if [[ $line =~ ^#[[:space:]]+id[[:space:]]+([0-9a-f]{4}):([0-9a-f]{4})[[:space:]] ]]; then
    samples+=("${BASH_REMATCH[1]}:${BASH_REMATCH[2]}")
  else
    fail "sample line is not 'id' and vendor:product of four lower-case hex digits each: $line"
  fi
done < <(grep -E '^#[[:space:]]+id[[:space:]]' "$rule")
((${#samples[@]} > 0)) || fail "no sample ids in the comments"

# Splits one rule line into KEY, ATTR, OP, VALUE records (fields separated by
# the unit separator, so that an empty field stays a field); a line that does
# not split cleanly is reported.
sep=$'\x1f'
split_rule() {
  local rest=$1 token='^[[:space:]]*([A-Z_]+)(\{([^}]*)\})?(==|!=|\+=|-=|:=|=)"([^"]*)"[[:space:]]*(,[[:space:]]*)?'
  while [[ -n $rest ]]; do
    if [[ $rest =~ $token ]]; then
      printf "%s$sep%s$sep%s$sep%s\n" "${BASH_REMATCH[1]}" "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}" "${BASH_REMATCH[5]}"
      local had_comma=${BASH_REMATCH[6]}
      rest=${rest:${#BASH_REMATCH[0]}}
      if [[ -n $rest && -z $had_comma ]]; then
        echo "ERROR${sep}missing comma before: $rest"
        return
      fi
    else
      echo "ERROR${sep}cannot read: $rest"
      return
    fi
  done
}

# Checks the rule text in $1 (a file); the ids must be 4 hex digits when
# $2 is "filled", or the placeholders VVVV/PPPP when it is "shipped".
check_rules() {
  local file=$1 state=$2 lineno=0 labels="" gotos="" tty_rule=0 usb_rule=0
  while IFS= read -r line; do
    lineno=$((lineno + 1))
    [[ -z ${line//[[:space:]]/} || $line =~ ^[[:space:]]*# ]] && continue
    local records has_match=0 tty=0 usb=0 uaccess=0 mm=0 link=0 ids=0
    records=$(split_rule "$line")
    while IFS=$sep read -r key attr op value; do
      local where="line $lineno: $key${attr:+{$attr\}}$op\"$value\""
      if [[ $key == ERROR ]]; then
        fail "line $lineno: $attr"
        continue
      fi
      local matches
      if [[ $match_keys == *" $key "* ]]; then
        matches=1
      elif [[ $assign_keys == *" $key "* ]]; then
        matches=0
      elif [[ $either_keys == *" $key "* ]]; then
        if [[ $assignments == *" $key "* || $assignments == *" $key{$attr} "* ]]; then matches=0; else matches=1; fi
      else
        fail "$where: unknown key $key"
        continue
      fi
      if ((matches)); then
        [[ $op == "==" || $op == "!=" ]] || fail "$where: a match uses == or !="
        has_match=1
      else
        [[ $op == "=" || $op == "+=" ]] || fail "$where: an assignment uses = or +="
      fi
      case "$key{$attr}" in
        "SUBSYSTEM{}") [[ $value == tty ]] && tty=1; [[ $value == usb ]] && usb=1 ;;
        "ATTRS{idVendor}" | "ATTRS{idProduct}" | "ATTR{idVendor}" | "ATTR{idProduct}")
          ids=$((ids + 1))
          if [[ $state == filled ]]; then
            [[ $value =~ ^[0-9a-f]{4}$ ]] || fail "$where: not four lower-case hex digits"
          else
            [[ $value == VVVV || $value == PPPP ]] || fail "$where: the shipped rule carries the placeholders"
            [[ $attr == idVendor && $value == VVVV || $attr == idProduct && $value == PPPP ]] ||
              fail "$where: vendor is VVVV, product PPPP"
          fi
          ;;
        "TAG{}") [[ $op$value == '+=uaccess' ]] && uaccess=1 ;;
        "ENV{ID_MM_DEVICE_IGNORE}") [[ $op$value == '=1' ]] && mm=1 ;;
        "SYMLINK{}") [[ $op$value == '+=tavrin-box' ]] && link=1 ;;
        "LABEL{}") labels+=" $value " ;;
        "GOTO{}") gotos+=" $value" ;;
      esac
    done <<<"$records"
    [[ $line == LABEL=* ]] || ((has_match)) || fail "line $lineno: a rule without a match applies to every device"
    if ((tty)); then
      tty_rule=1
      ((ids == 2 && uaccess && mm && link)) ||
        fail "line $lineno: the tty rule matches vendor and product and sets uaccess, ID_MM_DEVICE_IGNORE and tavrin-box"
    fi
    if ((usb)); then
      usb_rule=1
      ((ids == 2 && mm)) || fail "line $lineno: the usb rule matches vendor and product and sets ID_MM_DEVICE_IGNORE"
    fi
  done <"$file"
  ((tty_rule)) || fail "$state: no rule for the tty"
  ((usb_rule)) || fail "$state: no rule for the usb device"
  for target in $gotos; do
    [[ $labels == *" $target "* ]] || fail "$state: GOTO=\"$target\" has no LABEL"
  done
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fill() { # vendor:product -> the rule filled in, as a file
  local out=$work/${1/:/-}/60-tavrin.rules
  mkdir -p "${out%/*}"
  sed -e "s/VVVV/${1%%:*}/g" -e "s/PPPP/${1##*:}/g" "$rule" >"$out"
  echo "$out"
}

if [[ $mode == --verify ]]; then
  if ! command -v udevadm >/dev/null || ! udevadm verify --help >/dev/null 2>&1; then
    echo "SKIP: no udevadm with 'verify' on this machine"
    exit 77
  fi
  for sample in "${samples[@]}"; do
    filled=$(fill "$sample")
    udevadm verify --resolve-names=never "$filled" || fail "udevadm verify refuses the rule filled in with $sample"
  done
else
  check_rules "$rule" shipped
  for sample in "${samples[@]}"; do
    check_rules "$(fill "$sample")" filled
  done
fi

if ((failures)); then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "ok: ${#samples[@]} sample ids"
