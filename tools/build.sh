#!/usr/bin/env bash
# Configures and builds Ravlo (program, tools and tests) into build/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup-deps.sh"
# RAVLO_WERROR=ON (as CI sets it) turns every compiler warning into an error.
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVLO_WERROR="${RAVLO_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$root/build" -j"$(nproc)"
