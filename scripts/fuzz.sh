#!/usr/bin/env bash
# Fuzzes the parsers of outside text with libFuzzer: INI documents, the data
# holder's paths, the box's answers, the help file (tests/fuzz/).
# Usage: scripts/fuzz.sh [seconds per target] [target...]
#        (default 120 s; all targets: fuzz_ini_document fuzz_data_holder
#        fuzz_at_reply fuzz_help_file fuzz_control_request)
#
# Builds the preset "fuzz" (clang, ASan, UBSan) and runs the targets one
# after the other, each with its stored corpus tests/fuzz/corpus/<target>/
# as seeds and a scratch corpus outside the tree (FUZZ_WORK, default
# /tmp/tavrin-fuzz). Afterwards new inputs that add coverage are merged into
# the stored corpus (-merge=1), only files below 4 KB and only up to
# FUZZ_CORPUS_MAX files per target. A crash is minimised
# (-minimize_crash=1) and added to the stored corpus as crash-<target>-<n>,
# so that the corpus replay of the normal build (ctest -L fuzz) shows it
# until it is fixed; the script then fails. Prints libFuzzer's final
# statistics and coverage of every target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"
work="${FUZZ_WORK:-/tmp/tavrin-fuzz}"
corpus_max="${FUZZ_CORPUS_MAX:-48}"
max_len=4000
targets=(fuzz_ini_document fuzz_data_holder fuzz_at_reply fuzz_help_file fuzz_control_request)
if [ $# -gt 1 ]; then targets=("${@:2}"); fi

cmake --preset fuzz >/dev/null
nice -n 10 cmake --build --preset fuzz -j 2 --target "${targets[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$work"
summary="$work/summary.txt"
printf '%-18s %7s %12s %9s %7s %7s %7s %s\n' target seconds executions exec/s cov ft corpus result >"$summary"
failed=0

for t in "${targets[@]}"; do
    bin="build/fuzz/tests/fuzz/$t"
    stored="tests/fuzz/corpus/$t"
    scratch="$work/$t/corpus"
    artifacts="$work/$t/artifacts"
    log="$work/$t/fuzz.log"
    mkdir -p "$scratch" "$artifacts" "$stored"
    rm -f "$artifacts"/*
    echo "fuzz: --- $t for $seconds s"
    set +e
    nice -n 10 "$bin" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$scratch" "$stored" >"$log" 2>&1
    rc=$?
    set -e
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$log" || tail -n 5 "$log"
    done_line=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -n 1 || true)
    cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$done_line")
    ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$done_line")
    execs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    result=ok
    crash=$(find "$artifacts" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | sort | head -n 1 || true)
    if [ "$rc" -ne 0 ] || [ -n "$crash" ]; then
        failed=1
        result="FAILED (exit $rc)"
        if [ -n "$crash" ]; then
            minimized="$artifacts/minimized"
            nice -n 10 "$bin" -minimize_crash=1 -max_total_time=60 -runs=100000 \
                -exact_artifact_path="$minimized" "$crash" >"$work/$t/minimize.log" 2>&1 || true
            [ -s "$minimized" ] || cp "$crash" "$minimized"
            n=1
            while [ -e "$stored/crash-$t-$n" ]; do n=$((n + 1)); done
            cp "$minimized" "$stored/crash-$t-$n"
            result="CRASH -> $stored/crash-$t-$n"
            echo "fuzz: $t: $(basename "$crash") minimised to $(stat -c %s "$minimized") bytes and stored as" \
                "$stored/crash-$t-$n; the fault:"
            grep -m 3 -E 'ERROR: |invariant broken|runtime error' "$log" || true
        fi
    fi

    # New inputs that add coverage, smallest first, while the corpus has room.
    staging="$work/$t/merge"
    rm -rf "$staging"
    mkdir -p "$staging"
    cp "$stored"/* "$staging"/ 2>/dev/null || true
    if "$bin" -merge=1 -max_len="$max_len" -timeout=10 "$staging" "$scratch" >"$work/$t/merge.log" 2>&1; then
        added=0
        room=$((corpus_max - $(find "$stored" -maxdepth 1 -type f | wc -l)))
        while read -r size file; do
            [ "$room" -gt 0 ] || break
            [ "$size" -lt 4096 ] || continue
            [ -e "$stored/$(basename "$file")" ] && continue
            cp "$file" "$stored/"
            added=$((added + 1))
            room=$((room - 1))
        done < <(find "$staging" -maxdepth 1 -type f -printf '%s %p\n' | sort -n)
        echo "fuzz: $t: $added new inputs merged into $stored"
    else
        echo "fuzz: $t: merge failed, see $work/$t/merge.log"
    fi
    printf '%-18s %7s %12s %9s %7s %7s %7s %s\n' "$t" "$seconds" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
        "$(find "$stored" -maxdepth 1 -type f | wc -l)" "$result" >>"$summary"
done

echo "fuzz: --- summary (also in $summary)"
cat "$summary"
exit "$failed"
