#!/usr/bin/env bash
# Runs each libFuzzer target of build-fuzz/ (made by `make fuzz-build`) for a
# number of seconds, starting from its seed corpus in fuzz/corpus/<target>/,
# and prints the executions and findings of each.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 60 s, every target)
#
# New corpus entries go to fuzz-out/corpus/<target>/ (the committed seeds are
# never changed); a crashing or invariant-breaking input is saved as
# fuzz-out/findings/<target>/crash-... with its log beside it. Exits 1 when any
# target had a finding, so CI fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ini_read_fuzzer ini_write_fuzzer saved_texts_fuzzer engine_fuzzer)
build=${FUZZ_BUILD:-build-fuzz}
out=fuzz-out

# The file targets write a small file per input: a memory file system keeps
# that fast and spares the disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

summary=()
failed=0
for target in "${targets[@]}"; do
    program=$build/fuzz/$target
    if [ ! -x "$program" ]; then
        echo "fuzz.sh: $program is missing; run 'make fuzz-build' first" >&2
        exit 2
    fi
    mkdir -p "$out/corpus/$target" "$out/findings/$target"
    log=$out/findings/$target/last-run.log
    before=$(find "$out/findings/$target" -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' | wc -l)
    echo "== $target: ${seconds} s"
    set +e
    "$program" "$out/corpus/$target" "fuzz/corpus/$target" \
        -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$out/findings/$target/" >"$log" 2>&1
    status=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    after=$(find "$out/findings/$target" -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' | wc -l)
    findings=$((after - before))
    if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then
        findings=1 # stopped by something that left no input behind
    fi
    summary+=("$(printf '%-20s %12s executions  %d findings' "$target" "${runs:-?}" "$findings")")
    if [ "$findings" -ne 0 ]; then
        failed=1
        echo "-- $target stopped (exit $status); the end of its log:"
        grep -v '^#' "$log" | tail -n 40
    fi
done

echo
echo "Fuzzing summary (${seconds} s per target):"
printf '  %s\n' "${summary[@]}"
exit "$failed"
