#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for RAVLO_FUZZ_SECONDS (60) seconds with seed
# RAVLO_FUZZ_SEED (1), two at a time, from a copy of its committed seed corpus under
# fuzz/corpus/. A crash, leak, time-out or sanitizer report fails the run; its input is kept
# under build-fuzz/findings/<target>/.
# Arguments: target names to run only those (default: every target).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RAVLO_WITH_FUZZ=1 "$root/tools/setup-deps.sh"
source "$root/tools/sanitizers/env.sh"

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="${RAVLO_CLANGXX:-clang++-14}" -DRAVLO_BUILD_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target ravlo_fuzz_targets

seconds="${RAVLO_FUZZ_SECONDS:-60}"
jobs="${RAVLO_FUZZ_JOBS:-2}"
# A fixed seed makes a run repeatable: a slower machine walks a shorter stretch of the same path,
# so a longer run by hand with the same seed has already met whatever CI can meet.
# RAVLO_FUZZ_SEED=0 lets libFuzzer draw one, to explore further.
seed="${RAVLO_FUZZ_SEED:-1}"
if [ "$#" -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for dir in "$root"/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

# Every run works on a copy of the corpus: what the fuzzer finds never lands in the repository.
# Files the targets write (settings files) go to memory when it can hold them: a disk's
# flushes would set the pace.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR="${RAVLO_FUZZ_TMPDIR:-/dev/shm}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run_target() {
    local target="$1" dir="$work/$1"
    mkdir -p "$dir/corpus" "$dir/findings"
    cp -r "$root/fuzz/corpus/$target/." "$dir/corpus/"
    local status=0
    (cd "$dir" && "$build/fuzz/$target" -max_total_time="$seconds" -seed="$seed" -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$dir/findings/" "$dir/corpus" >"$dir/log" 2>&1) || status=$?
    echo "$status" >"$dir/status"
}

rm -rf "$build/findings"
echo "Fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time."
running=0
for target in "${targets[@]}"; do
    [ -x "$build/fuzz/$target" ] || { echo "fuzz.sh: no fuzz target $target" >&2; exit 1; }
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
wait

failed=0
printf '%-20s %14s  %s\n' target executions result
for target in "${targets[@]}"; do
    dir="$work/$target"
    executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)"
    if [ "$(cat "$dir/status")" = 0 ] && ! grep -q -e '^==[0-9]*==ERROR' -e 'runtime error:' "$dir/log"; then
        result=ok
    else
        result=FAILED
        failed=1
    fi
    printf '%-20s %14s  %s\n' "$target" "${executions:-?}" "$result"
done

for target in "${targets[@]}"; do
    dir="$work/$target"
    [ "$(cat "$dir/status")" = 0 ] && ! grep -q -e '^==[0-9]*==ERROR' -e 'runtime error:' "$dir/log" && continue
    mkdir -p "$build/findings/$target"
    cp -r "$dir/findings/." "$build/findings/$target/" 2>/dev/null || true
    cp "$dir/log" "$build/findings/$target/log"
    echo "---- $target (log and inputs in build-fuzz/findings/$target/) ----"
    tail -n 60 "$dir/log"
done
exit "$failed"
