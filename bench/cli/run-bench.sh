#!/usr/bin/env bash
# corvane-cli apply against many stand-in devices: one devicesim plays them all, a plan gives each a
# login, a Network Mode and a Serial setting (three exchanges per device), and the batch is timed.
# Everything runs inside a private network namespace made by tests/netns-run.
#
#   bench/cli/run-bench.sh [--build DIR] [--devices N] [--runs N]
#
# Prints per run the batch's wall time and devices per second, then the median.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build"
devices=200
runs=5
while [[ $# -gt 0 ]]; do
    case "$1" in
        --build) build=$2; shift 2 ;;
        --devices) devices=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done

build=$(cd "$build" && pwd)
cli="$build/corvane-cli"
sim="$build/tools/devicesim/devicesim"
if [[ ! -x "$cli" || ! -x "$sim" ]]; then
    echo "build corvane-cli and devicesim in $build first (cmake --build $build --target corvane-cli devicesim)" >&2
    exit 2
fi

if [[ "${CORVANE_IN_NETNS:-}" != "1" ]]; then
    exec "$root/tests/netns-run" bash "$0" --build "$build" --devices "$devices" --runs "$runs"
fi

work=$(mktemp -d)
trap 'kill "$simpid" 2>/dev/null || true; rm -rf "$work"' EXIT
simpid=
: > "$work/devices.conf"
echo "mac,id,password,tcp-mode,server-ip,data-server-ip,notifier,baud,parity" > "$work/plan.csv"
for ((n = 0; n < devices; n++)); do
    mac=$(printf '02:00:00:00:%02x:%02x' $((n / 256)) $((n % 256)))
    echo "mac=$mac,id=abc,password=pw" >> "$work/devices.conf"
    echo "$mac,abc,pw,client,10.0.0.2,10.0.0.3,0:10,38400,even" >> "$work/plan.csv"
done

"$sim" --config "$work/devices.conf" --max-seconds 600 > "$work/sim.out" 2>&1 &
simpid=$!
for _ in $(seq 50); do
    grep -q "listening" "$work/sim.out" 2>/dev/null && break
    sleep 0.1
done

echo "corvane-cli apply: $devices devices, 3 exchanges each (login, netmode, serial), $runs runs"
times=()
for ((r = 1; r <= runs; r++)); do
    rm -f "$work"/pwd.ini "$work"/mach.ini
    start=$(date +%s%N)
    (cd "$work" && "$cli" apply plan.csv --json --timeout 30 > "$work/results.json") || echo "exit status $?"
    end=$(date +%s%N)
    ok=$(grep -c '"result":"ok"' "$work/results.json" || true)
    ms=$(( (end - start) / 1000000 ))
    times+=("$ms")
    rate=$(awk -v n="$devices" -v ms="$ms" 'BEGIN { printf "%.0f", n * 1000 / ms }')
    echo "run $r: $ms ms, $rate devices/s, $ok of $devices ok"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
rate=$(awk -v n="$devices" -v ms="$median" 'BEGIN { printf "%.0f", n * 1000 / ms }')
echo "median: $median ms for $devices devices, $rate devices/s"
