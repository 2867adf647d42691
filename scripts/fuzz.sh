#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang and runs each for SECONDS
# (default 60), seeded with the real workbooks (tests/data/real), the project's own fixtures
# and the earlier finds. What a run learns goes to a scratch corpus under build-fuzz/ (never
# committed); a crash, leak, timeout or memory blow-up is saved under fuzz/regressions/<target>/,
# where the tests replay it. Prints executions, coverage and findings per target; exits 1
# when anything was found.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${JOBS:-2}
build=build-fuzz

# Debian's clang and its runtime (libFuzzer and the sanitizers), beside what the build needs.
./scripts/install-deps.sh fuzz

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DROWBIT_FUZZ=ON -DROWBIT_BUILD_UI=OFF -DROWBIT_BUILD_TESTS=OFF >/dev/null
targets=()
for src in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$src" .cpp)")
done
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

found_any=0
summary=()
for target in "${targets[@]}"; do
    format=${target%%_*} # xls_load_fuzz -> xls
    corpus="$build/corpus/$target"
    regressions="fuzz/regressions/$target"
    log="$build/$target.log"
    mkdir -p "$corpus" "$regressions"
    before=$(find "$regressions" -type f | wc -l)
    echo "== $target: $seconds s (log: $log)"
    # The first folder is the scratch corpus the run adds to; the others are only read.
    status=0
    "$build/fuzz/$target" "$corpus" "tests/data/real/$format" "tests/data/$format" "$regressions" \
        -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$regressions/" >"$log" 2>&1 || status=$?
    after=$(find "$regressions" -type f | wc -l)
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
    cov=$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
    features=$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
    units=$(grep -o 'corp: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
    findings=$((after - before))
    line="$target: ${runs:-?} executions (${speed:-?}/s), coverage ${cov:-?} edges, ${features:-?} features, corpus ${units:-?} inputs, findings $findings"
    if [[ $findings -gt 0 || $status -ne 0 ]]; then
        found_any=1
        line+=" (exit $status; see $log and $regressions)"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' "$log" | head -5 || true
    fi
    echo "$line"
    summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
exit $found_any
