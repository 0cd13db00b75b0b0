#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Network tests run inside private network
# namespaces (tests/netns-run); they need root or unprivileged user namespaces.
# CORVANE_SANITIZE=1 builds in build-asan with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
CORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$CORVANE_ROOT/scripts/deps.sh"

corvane_install_deps
dir="$CORVANE_ROOT/build"
args=(-DCORVANE_WERROR=ON)
if [[ "${CORVANE_SANITIZE:-0}" == "1" ]]; then
    dir="$CORVANE_ROOT/build-asan"
    # -O1 with line tables only is what the sanitizers need for their reports, and builds faster;
    # the benchmarks are not run here.
    args+=(-DCORVANE_SANITIZE=ON -DCORVANE_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
corvane_build "$dir" "${args[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 300
