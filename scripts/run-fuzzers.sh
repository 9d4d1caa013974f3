#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build, one after the other, each for a bounded time.
#   scripts/run-fuzzers.sh BUILD_DIR [SECONDS_PER_TARGET] [TARGET...]
# Each target works on its own corpus folder under BUILD_DIR/fuzz-work/<target>/, seeded from
# tests/fuzz/corpus/<target>/ (the repository is never written); the corpus grows from run to run.
# Crash inputs land in BUILD_DIR/fuzz-work/<target>/crashes/. Fuzzing time per target adds up in
# BUILD_DIR/fuzz-work/time.log. Exits non-zero when any target crashed.
set -uo pipefail

build=${1:?usage: run-fuzzers.sh BUILD_DIR [SECONDS] [TARGET...]}
seconds=${2:-60}
shift $(($# >= 2 ? 2 : $#))
repo=$(cd "$(dirname "$0")/.." && pwd)
bin_dir=$build/tests/fuzz
work=$build/fuzz-work
mkdir -p "$work"

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for seeds in "$repo"/tests/fuzz/corpus/*/; do
        targets+=("$(basename "$seeds")")
    done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for name in "${targets[@]}"; do
    program=$bin_dir/fuzz_$name
    if [ ! -x "$program" ]; then
        echo "run-fuzzers: $program is missing (build the fuzz preset first)" >&2
        failed+=("$name(missing)")
        continue
    fi
    dir=$work/$name
    mkdir -p "$dir/corpus" "$dir/crashes"
    cp -n "$repo/tests/fuzz/corpus/$name"/* "$dir/corpus/" 2>/dev/null
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192
             -artifact_prefix="$dir/crashes/" -print_final_stats=1)
    [ -f "$repo/tests/fuzz/dict/$name.dict" ] && options+=(-dict="$repo/tests/fuzz/dict/$name.dict")

    start=$(date +%s)
    "$program" "${options[@]}" "$dir/corpus" >"$dir/last-run.log" 2>&1
    status=$?
    elapsed=$(($(date +%s) - start))
    echo "$name $elapsed $status $(date -u +%FT%TZ)" >>"$work/time.log"
    total=$(awk -v n="$name" '$1 == n { s += $2 } END { print s + 0 }' "$work/time.log")
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/last-run.log" | grep -o '[0-9]*$')
    corpus=$(find "$dir/corpus" -type f | wc -l)
    if [ $status -ne 0 ]; then
        failed+=("$name")
        echo "FAIL $name after ${elapsed}s (exit $status); log: $dir/last-run.log"
        grep -E 'ERROR|check failed|runtime error|Test unit written' "$dir/last-run.log" | head -5
    else
        echo "ok   $name ${elapsed}s, ${runs:-?} runs, corpus $corpus, ${total}s in total"
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "run-fuzzers: failed: ${failed[*]}" >&2
    exit 1
fi
echo "run-fuzzers: ${#targets[@]} targets ran ${seconds}s each without a crash"
