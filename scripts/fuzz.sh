#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each for a bounded time: the four store loaders, seeded from
# tests/data/stores, and the three device reply decoders, seeded with the stand-in's real replies
# in tests/data/replies (scripts/capture-replies.py makes them), and the DHCP server's request
# handling, seeded with the requests in tests/data/dhcp-requests.
#
# Usage: scripts/fuzz.sh [seconds per target, default 30]
# Findings land in build-fuzz/fuzz-artifacts/; the script fails when a target finds one.
set -euo pipefail

seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_FUZZ_BUILD:-$root/build-fuzz}

stores=(mach pwd dhcp adsvr)
replies=(find clear config)
targets=()
for store in "${stores[@]}"; do targets+=("fuzz_${store}_load"); done
for reply in "${replies[@]}"; do targets+=("fuzz_${reply}_reply"); done
targets+=(fuzz_dhcp_request)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCORVANE_FUZZ=ON -DCORVANE_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j2 "${targets[@]}"

mkdir -p "$build/fuzz-artifacts"
status=0
# run NAME TARGET CORPUS [libFuzzer options...]
run() {
    local name=$1 target=$2 corpus=$3
    shift 3
    echo "== $name: $seconds s"
    if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 "$@" \
        -artifact_prefix="$build/fuzz-artifacts/$name-" -print_final_stats=1 "$corpus" \
        2>"$build/fuzz-artifacts/$name.log"; then
        status=1
        tail -40 "$build/fuzz-artifacts/$name.log"
    else
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done)" "$build/fuzz-artifacts/$name.log" || true
    fi
}

for store in "${stores[@]}"; do
    corpus="$build/fuzz-corpus/$store"
    mkdir -p "$corpus"
    cp "$root"/tests/data/stores/"$store"*.ini "$corpus"/
    run "$store.ini" "fuzz_${store}_load" "$corpus" -max_len=8192 -dict="$root/tests/fuzz/$store.dict"
done
for reply in "${replies[@]}"; do
    corpus="$build/fuzz-corpus/$reply-reply"
    mkdir -p "$corpus"
    cp "$root"/tests/data/replies/*.bin "$corpus"/
    run "$reply reply" "fuzz_${reply}_reply" "$corpus" -max_len=512
done

corpus="$build/fuzz-corpus/dhcp-request"
mkdir -p "$corpus"
cp "$root"/tests/data/dhcp-requests/*.bin "$corpus"/
run "dhcp request" fuzz_dhcp_request "$corpus" -max_len=576 -dict="$root/tests/fuzz/dhcp-request.dict"
exit $status
