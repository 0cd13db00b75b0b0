#!/usr/bin/env bash
# Builds the store loader fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for a bounded time, seeded from tests/data/stores.
#
# Usage: scripts/fuzz-stores.sh [seconds per target, default 30]
# Findings land in build-fuzz/fuzz-artifacts/; the script fails when a target finds one.
set -euo pipefail

seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCORVANE_FUZZ=ON -DCORVANE_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j2 fuzz_mach_load fuzz_pwd_load fuzz_dhcp_load fuzz_adsvr_load

mkdir -p "$build/fuzz-artifacts"
status=0
for store in mach pwd dhcp adsvr; do
    corpus="$build/fuzz-corpus/$store"
    mkdir -p "$corpus"
    cp "$root"/tests/data/stores/"$store"*.ini "$corpus"/
    echo "== $store.ini: $seconds s"
    if ! "$build/tests/fuzz/fuzz_${store}_load" -max_total_time="$seconds" -timeout=10 -max_len=8192 \
        -dict="$root/tests/fuzz/$store.dict" -artifact_prefix="$build/fuzz-artifacts/$store-" \
        -print_final_stats=1 "$corpus" 2>"$build/fuzz-artifacts/$store.log"; then
        status=1
        tail -40 "$build/fuzz-artifacts/$store.log"
    else
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done)" "$build/fuzz-artifacts/$store.log" || true
    fi
done
exit $status
