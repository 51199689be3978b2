#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer (leak detection on) and
# UndefinedBehaviorSanitizer into build-asan/ (clang) and runs it; any report fails the run.
# Extra arguments go to ctest (e.g. -R tst_parser).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RAVLO_WITH_SANITIZE=1 "$root/tools/setup-deps.sh"
source "$root/tools/sanitizers/env.sh"
# Allocation stacks by the slow unwinder (Qt is built without frame pointers), so that a leak names its
# origin and the suppressions of Qt's offscreen platform match it exactly.
export ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=0:malloc_context_size=16"
export LSAN_OPTIONS="suppressions=$root/tools/sanitizers/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="${RAVLO_CLANGXX:-clang++-14}" -DRAVLO_SANITIZE=ON >/dev/null
cmake --build "$root/build-asan" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build-asan" --output-on-failure "$@"
