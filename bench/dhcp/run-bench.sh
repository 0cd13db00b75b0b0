#!/usr/bin/env bash
# DHCP server benchmark: the utility's built-in DHCP/BOOTP server (bench/dhcp_serve, the real IP
# Address page offscreen) side by side with dnsmasq, both driven by perfdhcp (Kea) over a veth pair.
#
# Usage (as root): bench/dhcp/run-bench.sh [--quick] [--sizes "10 1000 5000"] [--servers "corvane dnsmasq"]
#                      [--period SECONDS] [--build DIR] [--logs DIR] [--dnsmasq-leases ro|file]
#   --quick           one short step per size and server (1000 exchanges/s for 1 s): a smoke run
#   --period          seconds of traffic per rate step (default 5)
#   --build           build directory with bench/dhcp_serve (default build-bench; configured and
#                     built there when the program is missing)
#   --logs            keep the tables, the server logs and every perfdhcp output in DIR
#   --dnsmasq-leases  ro (default): dnsmasq keeps its leases in memory only, as the utility keeps
#                     none; file: in a lease file of its own in the temporary directory
#
# For each table size it writes "dhcp.ini" (MACs 02:5A:7E:00:xx:xx, one address each in
# 198.18.0.0/16, the range set aside for benchmarks) and "adsvr.ini" (one router), and the same
# reservations as dnsmasq dhcp-host lines. Each server runs in turn in one network namespace and
# perfdhcp in another, joined by a veth pair that lives only inside them; nothing touches the
# host's interfaces and nothing is sent from the machine's own namespace. perfdhcp plays a relay
# (it sends from and listens on 198.18.0.2:67); the utility broadcasts its replies to
# 255.255.255.255:68, which nftables in perfdhcp's namespace hands to that socket.
#
# Reported per server and size: (a) the highest rate of full DORA exchanges per second with under
# 1 % of them lost (rate steps, then bisection; a failed step is tried twice), (b) the median
# DISCOVER->OFFER delay at 1000 exchanges/s from perfdhcp's own timestamps (the middle of three
# runs), with the share lost at that rate, perfdhcp's average DISCOVER->OFFER and REQUEST->ACK
# delays and the server's CPU time per reply. Not a test: not run by CTest or CI.
set -euo pipefail
export PATH="/usr/local/sbin:/usr/sbin:/sbin:$PATH"
export LC_ALL=C

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QUICK=0
SIZES="10 1000 5000"
SERVERS="corvane dnsmasq"
PERIOD=5
BUILD="$REPO/build-bench"
LOGS=""
DNSMASQ_LEASES=ro

while [[ $# -gt 0 ]]; do
    case "$1" in
    --quick) QUICK=1 ;;
    --sizes) SIZES=$2; shift ;;
    --servers) SERVERS=$2; shift ;;
    --period) PERIOD=$2; shift ;;
    --build) BUILD=$2; shift ;;
    --logs) LOGS=$2; shift ;;
    --dnsmasq-leases) DNSMASQ_LEASES=$2; shift ;;
    -h | --help) sed -n '2,27p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1 (see --help)" >&2; exit 2 ;;
    esac
    shift
done
if [[ $QUICK -eq 1 ]]; then
    PERIOD=1
fi
if [[ $DNSMASQ_LEASES != ro && $DNSMASQ_LEASES != file ]]; then
    echo "--dnsmasq-leases takes ro or file" >&2
    exit 2
fi
BUILD=$(realpath -m "$BUILD")
[[ -z "$LOGS" ]] || LOGS=$(realpath -m "$LOGS")

if [[ $(id -u) -ne 0 ]]; then
    echo "run-bench.sh needs root: it makes network namespaces and binds UDP port 67 in them" >&2
    exit 1
fi

# Addresses inside the namespaces (198.18.0.0/15 is reserved for benchmarking, RFC 2544).
SRV_IF=cvb-srv
CLI_IF=cvb-cli
SRV_IP=198.18.0.1
CLI_IP=198.18.0.2
PREFIX=16
NETMASK=255.255.0.0
LATENCY_RATE=1000
LATENCY_RUNS=3
RATE_STEPS=(250 500 1000 2000 4000 8000 12000 16000)

# --- tools ------------------------------------------------------------------------------------

need_packages=()
command -v perfdhcp >/dev/null || need_packages+=(kea-admin)
command -v dnsmasq >/dev/null || need_packages+=(dnsmasq-base)
command -v ip >/dev/null || need_packages+=(iproute2)
command -v ss >/dev/null || need_packages+=(iproute2)
command -v nft >/dev/null || need_packages+=(nftables)
command -v nsenter >/dev/null || need_packages+=(util-linux)
if [[ ${#need_packages[@]} -gt 0 ]]; then
    echo "installing ${need_packages[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "${need_packages[@]}" >/dev/null ||
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 \
            "${need_packages[@]}" >/dev/null; }
fi

DHCP_SERVE="$BUILD/bench/dhcp_serve"
if [[ " $SERVERS " == *" corvane "* && ! -x "$DHCP_SERVE" ]]; then
    echo "building dhcp_serve in $BUILD"
    if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
        cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=ON >/dev/null
    fi
    cmake --build "$BUILD" --target dhcp_serve -j2 >/dev/null
fi

# --- namespaces, processes and clean-up -------------------------------------------------------

WORK=$(mktemp -d /tmp/corvane-dhcp-bench.XXXXXX)
cd "$WORK"
SRV_NS=""
CLI_NS=""
SERVER_PID=""
PERF_PID=""

stop_pid() { # PID: TERM, then KILL after 5 s; only processes this script started
    local pid=$1
    [[ -n "$pid" ]] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    stop_pid "$PERF_PID"
    stop_pid "$SERVER_PID"
    # The namespaces end with their holders, and the veth pair with them.
    stop_pid "$CLI_NS"
    stop_pid "$SRV_NS"
    if [[ -n "$LOGS" ]]; then
        mkdir -p "$LOGS"
        cp -r "$WORK"/. "$LOGS"/
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

in_srv() { nsenter -t "$SRV_NS" -n -- "$@"; }
in_cli() { nsenter -t "$CLI_NS" -n -- "$@"; }

# Each side is a network namespace held by a sleeping process of its own.
unshare --net -- sleep infinity &
SRV_NS=$!
unshare --net -- sleep infinity &
CLI_NS=$!
own_ns=$(readlink /proc/self/ns/net)
for pid in "$SRV_NS" "$CLI_NS"; do
    for _ in $(seq 50); do
        ns=$(readlink "/proc/$pid/ns/net" 2>/dev/null || true)
        [[ -n "$ns" && "$ns" != "$own_ns" ]] && break
        sleep 0.05
    done
    if [[ -z "$ns" || "$ns" == "$own_ns" ]]; then
        echo "could not make a private network namespace" >&2
        exit 1
    fi
done

# The veth pair is made inside the server's namespace with its peer end in perfdhcp's.
in_srv ip link set lo up
in_srv ip link add "$SRV_IF" type veth peer name "$CLI_IF" netns "/proc/$CLI_NS/ns/net"
in_srv ip addr add "$SRV_IP/$PREFIX" dev "$SRV_IF"
in_srv ip link set "$SRV_IF" up
in_srv ip route add 255.255.255.255/32 dev "$SRV_IF"
in_cli ip link set lo up
in_cli ip addr add "$CLI_IP/$PREFIX" dev "$CLI_IF"
in_cli ip link set "$CLI_IF" up
# perfdhcp's socket is bound to its own address, port 67: the utility's broadcasts to port 68 are
# handed to it. dnsmasq answers a relay unicast to port 67 and needs no such help.
in_cli nft -f - <<EOF
table ip corvane_bench {
    chain prerouting {
        type nat hook prerouting priority dstnat; policy accept;
        ip daddr 255.255.255.255 udp dport 68 dnat to $CLI_IP:67
    }
}
EOF
for side in in_srv in_cli; do
    if [[ -n "$($side ip route show default)" ]]; then
        echo "a namespace of the bench has a default route; giving up" >&2
        exit 1
    fi
done
for _ in $(seq 50); do
    in_cli ip link show dev "$CLI_IF" | grep -q LOWER_UP && break
    sleep 0.1
done

# --- tables -----------------------------------------------------------------------------------

write_tables() { # DIR SIZE
    local dir=$1 size=$2
    mkdir -p "$dir"
    {
        echo "port=0"
        echo "interface=$SRV_IF"
        echo "bind-interfaces"
        echo "no-resolv"
        echo "no-hosts"
        if [[ $DNSMASQ_LEASES == ro ]]; then
            echo "leasefile-ro"
        else
            echo "dhcp-leasefile=$dir/dnsmasq.leases"
        fi
        echo "no-ping"
        echo "quiet-dhcp"
        echo "dhcp-lease-max=65536"
        echo "dhcp-range=${SRV_IP%.*}.0,static,$NETMASK,infinite"
        echo "dhcp-option=option:router,$SRV_IP"
        echo "dhcp-option=option:domain-name,removed"
    } >"$dir/dnsmasq.conf"
    # Entry n: MAC 02:5a:7e:00:(n / 256):(n % 256), address 198.18.(1 + (n - 1) / 250).(1 + (n - 1) % 250).
    # "dhcp.ini" holds each record as the store writes it: addresses in "%3d.%3d.%3d.%3d", the MAC
    # as twelve upper-case digits.
    awk -v size="$size" -v dir="$dir" -v gw="$SRV_IP" -v mask="$NETMASK" '
        function padded(ip, p) { split(ip, p, "."); return sprintf("%3d.%3d.%3d.%3d", p[1], p[2], p[3], p[4]) }
        BEGIN {
            for (n = 1; n <= size; n++) {
                hi = int(n / 256); lo = n % 256
                ip = sprintf("198.18.%d.%d", 1 + int((n - 1) / 250), 1 + (n - 1) % 250)
                printf "02:5a:7e:00:%02x:%02x\n", hi, lo > (dir "/macs.txt")
                printf "dhcp-host=02:5a:7e:00:%02x:%02x,%s\n", hi, lo, ip >> (dir "/dnsmasq.conf")
                printf "\n[%d]\nHType : %d \nhlen : %d \nIP : %s \nMAC : 025A7E00%02X%02X \nGateway : %s \nSubnet : %s\n",
                       n, 1, 6, padded(ip), hi, lo, padded(gw), padded(mask) > (dir "/dhcp.ini")
            }
        }'
    # What the Advanced Server Setting dialog writes: one router, the server's own address, the
    # domain name "removed" and an unlimited lease.
    printf '[Router]\nnumber = 1\n%s\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n[Server IP]\n1 %s\n\n[Domain Name]\n1 removed\n\n[Lease Time]\n-1\n' \
        "$SRV_IP" "$SRV_IP" >"$dir/adsvr.ini"
}

# --- servers ----------------------------------------------------------------------------------

listening_on_67() { # PID
    in_srv ss -Hulnp 'sport = :67' 2>/dev/null | grep -q "pid=$1,"
}

start_server() { # NAME DIR
    local name=$1 dir=$2
    case "$name" in
    dnsmasq)
        (cd "$dir" && exec nsenter -t "$SRV_NS" -n -- dnsmasq --no-daemon --conf-file="$dir/dnsmasq.conf") \
            >"$dir/dnsmasq.log" 2>&1 &
        ;;
    corvane)
        (cd "$dir" && exec nsenter -t "$SRV_NS" -n -- "$DHCP_SERVE" --interface "$SRV_IF") \
            >"$dir/corvane.log" 2>&1 &
        ;;
    esac
    SERVER_PID=$!
    for _ in $(seq 100); do
        if ! kill -0 "$SERVER_PID" 2>/dev/null; then
            echo "$name did not start:" >&2
            cat "$dir/$name.log" >&2
            SERVER_PID=""
            return 1
        fi
        listening_on_67 "$SERVER_PID" && return 0
        sleep 0.1
    done
    echo "$name does not listen on UDP port 67:" >&2
    cat "$dir/$name.log" >&2
    return 1
}

stop_server() {
    stop_pid "$SERVER_PID"
    SERVER_PID=""
}

# --- perfdhcp ---------------------------------------------------------------------------------

# Runs perfdhcp at RATE for PERIOD seconds with the table's MACs; writes its output to OUT.
# Extra arguments go to perfdhcp. Prints: sent-discovers offers sent-requests acks do-avg ra-avg
# (delays in ms), or "error TEXT".
run_perfdhcp() { # OUT MACS SIZE RATE PERIOD [ARGS...]
    local out=$1 macs=$2 size=$3 rate=$4 period=$5
    shift 5
    in_cli timeout --kill-after=5 $((${period%.*} + 30)) \
        perfdhcp -4 -l "$CLI_IF" -M "$macs" -R "$size" -r "$rate" -p "$period" -W 500000 "$@" >"$out" 2>&1 &
    PERF_PID=$!
    wait "$PERF_PID" || true
    PERF_PID=""
    if grep -q '^ERROR' "$out"; then
        echo "error $(grep -m1 '^ERROR' "$out" | sed 's/^ERROR: *//')"
        return
    fi
    awk '
        /Statistics for: DISCOVER-OFFER/ { s = "do" }
        /Statistics for: REQUEST-ACK/ { s = "ra" }
        /Timestamps for packets/ { s = "" }
        s != "" && /^sent packets:/ { sent[s] = $3 }
        s != "" && /^received packets:/ { recv[s] = $3 }
        s != "" && /^avg delay:/ { avg[s] = $3 }
        END { printf "%d %d %d %d %s %s\n", sent["do"], recv["do"], sent["ra"], recv["ra"],
                     avg["do"] == "" ? "-" : avg["do"], avg["ra"] == "" ? "-" : avg["ra"] }' "$out"
}

# Median DISCOVER->OFFER delay in ms from perfdhcp's -x t timestamps in FILE.
median_offer_delay() {
    awk '/Timestamps for packets: DISCOVER-OFFER/ { t = 1; next }
         /^\*\*\*/ { t = 0 }
         t && /^sent \/ received:/ { printf "%.3f\n", ($6 - $4) * 1000 }' "$1" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
                                  else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

CLK_TCK=$(getconf CLK_TCK)
# User and system CPU time the running server has used so far, in clock ticks.
server_cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$SERVER_PID/stat" 2>/dev/null || echo 0
}

PROBE_N=0
# One rate step; extra arguments go to perfdhcp. Sets PROBE_OUT (perfdhcp's output), PROBE_FIELDS
# (what run_perfdhcp printed), PROBE_PASS (1 when under 1 % of the exchanges were lost),
# PROBE_RATE (completed exchanges per second), PROBE_LOSS (percent) and PROBE_SHORT (1 when
# perfdhcp itself sent fewer than 95 % of the discovers asked for: the bed's limit, not the
# server's).
probe() { # DIR NAME SIZE RATE [ARGS...]
    local dir=$1 name=$2 size=$3 rate=$4 d o q a cpu0 cpu1
    shift 4
    PROBE_N=$((PROBE_N + 1))
    cpu0=$(server_cpu_ticks)
    PROBE_OUT="$dir/perfdhcp-$name-$(printf '%03d' $PROBE_N)-r$rate.txt"
    PROBE_FIELDS=$(run_perfdhcp "$PROBE_OUT" "$dir/macs.txt" "$size" "$rate" "$PERIOD" "$@")
    PROBE_PASS=0
    PROBE_RATE=0
    PROBE_LOSS=100
    PROBE_SHORT=0
    if [[ $PROBE_FIELDS == error* ]]; then
        printf '  %-8s %6d/s  perfdhcp: %s\n' "$name" "$rate" "${PROBE_FIELDS#error }" >&2
        return
    fi
    cpu1=$(server_cpu_ticks)
    read -r d o q a _ _ <<<"$PROBE_FIELDS"
    PROBE_CPU=$(awk -v t=$((cpu1 - cpu0)) -v hz="$CLK_TCK" -v n="$((o + a))" \
        'BEGIN { if (n > 0) printf "%.3f", 1000 * t / hz / n; else print "-" }')
    PROBE_RATE=$(awk -v a="$a" -v p="$PERIOD" 'BEGIN { printf "%d", a / p }')
    PROBE_LOSS=$(awk -v a="$a" -v d="$d" 'BEGIN { printf "%.2f", (d > 0 ? 100 * (d - a) / d : 100) }')
    PROBE_PASS=$(awk -v a="$a" -v d="$d" 'BEGIN { print ((d > 0 && (d - a) < 0.01 * d) ? 1 : 0) }')
    PROBE_SHORT=$(awk -v d="$d" -v r="$rate" -v p="$PERIOD" 'BEGIN { print ((d < 0.95 * r * p) ? 1 : 0) }')
    printf '  %-8s %6d/s  discovers %7d offers %7d requests %7d acks %7d  lost %6.2f %%  %s ms CPU/reply  %s\n' \
        "$name" "$rate" "$d" "$o" "$q" "$a" "$PROBE_LOSS" "$PROBE_CPU" \
        "$([[ $PROBE_PASS -eq 1 ]] && echo pass || echo FAIL)" >&2
    # Let a server that fell behind empty its socket before the next step.
    [[ $PROBE_PASS -eq 1 ]] || sleep 2
}

# A failed step is tried once more: the machine is shared, and a burst of other work can make a
# server miss a step it holds.
probe_step() { # DIR NAME SIZE RATE
    probe "$@"
    if [[ $PROBE_PASS -eq 0 && $PROBE_FIELDS != error* ]]; then
        probe "$@"
    fi
}

# The highest rate with under 1 % lost: rate steps up to the first failure, then bisection.
# Sets BEST (completed exchanges/s, 0 when even the lowest step failed) and BEST_NOTE.
search_rate() { # DIR NAME SIZE
    local dir=$1 name=$2 size=$3 lo=0 hi=0 r mid
    BEST=0
    BEST_NOTE=""
    for r in "${RATE_STEPS[@]}"; do
        probe_step "$dir" "$name" "$size" "$r"
        if [[ $PROBE_PASS -eq 1 ]]; then
            lo=$r
            BEST=$PROBE_RATE
            if [[ $PROBE_SHORT -eq 1 ]]; then
                BEST_NOTE="perfdhcp at its limit"
                return
            fi
        else
            hi=$r
            break
        fi
    done
    if [[ $hi -eq 0 ]]; then
        BEST_NOTE="passed every step"
        return
    fi
    while ((hi - lo > (lo / 16 > 25 ? lo / 16 : 25))); do
        mid=$(((lo + hi) / 2))
        probe_step "$dir" "$name" "$size" "$mid"
        if [[ $PROBE_PASS -eq 1 ]]; then
            lo=$mid
            BEST=$PROBE_RATE
        else
            hi=$mid
        fi
    done
}

# --- the run ----------------------------------------------------------------------------------

declare -A RATE NOTE MEDIAN LOSS1K DOAVG RAAVG CPU
echo "DHCP server benchmark: perfdhcp $(perfdhcp -v 2>&1 | awk '{ print $2 }'), $(dnsmasq --version | head -1 | awk '{ print $1, $3 }'), " \
    "$PERIOD s per step, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for size in $SIZES; do
    dir="$WORK/size-$size"
    write_tables "$dir" "$size"
    for name in $SERVERS; do
        echo "-- $name, $size entries (load $(cut -d' ' -f1 /proc/loadavg))" >&2
        if ! start_server "$name" "$dir"; then
            RATE[$name,$size]="-"
            NOTE[$name,$size]="did not start"
            MEDIAN[$name,$size]="-"
            continue
        fi
        # A first exchange for every server: it must answer before it is measured.
        warm="$dir/perfdhcp-$name-warmup.txt"
        fields=$(run_perfdhcp "$warm" "$dir/macs.txt" "$size" 50 1)
        read -r _ _ _ acks _ _ <<<"$fields"
        if [[ $fields == error* || ${acks:-0} -eq 0 ]]; then
            echo "  $name does not answer: ${fields}" >&2
            RATE[$name,$size]="-"
            NOTE[$name,$size]="no answer"
            MEDIAN[$name,$size]="-"
            stop_server
            continue
        fi
        if [[ $QUICK -eq 1 ]]; then
            probe "$dir" "$name" "$size" "$LATENCY_RATE" -x t
            RATE[$name,$size]=$([[ $PROBE_PASS -eq 1 ]] && echo "$PROBE_RATE" || echo "<$LATENCY_RATE")
            NOTE[$name,$size]="quick: one step"
            latency_runs=1
        else
            search_rate "$dir" "$name" "$size"
            RATE[$name,$size]=$BEST
            NOTE[$name,$size]=$BEST_NOTE
            latency_runs=$LATENCY_RUNS
        fi
        # The delay figures: the run with the middle median of LATENCY_RUNS runs at 1000/s.
        results=()
        for ((run = 0; run < latency_runs; run++)); do
            [[ $QUICK -eq 1 ]] || { sleep 1; probe "$dir" "$name" "$size" "$LATENCY_RATE" -x t; }
            if [[ $PROBE_FIELDS == error* ]]; then
                NOTE[$name,$size]="${PROBE_FIELDS#error }"
                continue
            fi
            read -r _ _ _ _ doavg raavg <<<"$PROBE_FIELDS"
            results+=("$(median_offer_delay "$PROBE_OUT") $PROBE_LOSS $doavg $raavg $PROBE_CPU")
        done
        if [[ ${#results[@]} -gt 0 ]]; then
            middle=$(printf '%s\n' "${results[@]}" | sort -g | sed -n "$(((${#results[@]} + 1) / 2))p")
            read -r median loss doavg raavg cpu <<<"$middle"
            MEDIAN[$name,$size]=$median
            LOSS1K[$name,$size]=$(awk -v l="$loss" 'BEGIN { printf "%.1f", l }')
            DOAVG[$name,$size]=$doavg
            RAAVG[$name,$size]=$raavg
            CPU[$name,$size]=$cpu
        else
            MEDIAN[$name,$size]="-"
        fi
        stop_server
        grep '^dhcp_serve: status' -A20 "$dir/$name.log" 2>/dev/null | sed 's/^/  /' >&2 || true
    done
done

ratio() { # A B: "A / B" x, or "-"
    awk -v a="$1" -v b="$2" 'BEGIN { if (a ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && b > 0) printf "%.2fx", a / b; else print "-" }'
}

echo
printf '%-8s %-8s %14s %12s %9s %9s %9s %9s  %s\n' "entries" "server" "DORA/s <1%lost" "D->O median" "lost@1k" \
    "D->O avg" "R->A avg" "CPU/reply" "note"
for size in $SIZES; do
    for name in $SERVERS; do
        printf '%-8s %-8s %14s %9s ms %8s%% %6s ms %6s ms %6s ms  %s\n' "$size" "$name" "${RATE[$name,$size]}" \
            "${MEDIAN[$name,$size]}" "${LOSS1K[$name,$size]:--}" "${DOAVG[$name,$size]:--}" \
            "${RAAVG[$name,$size]:--}" "${CPU[$name,$size]:--}" "${NOTE[$name,$size]:-}"
    done
    if [[ " $SERVERS " == *" corvane "* && " $SERVERS " == *" dnsmasq "* ]]; then
        printf '%-8s %-8s %14s %12s\n' "$size" "ratio" "$(ratio "${RATE[corvane,$size]}" "${RATE[dnsmasq,$size]}")" \
            "$(ratio "${MEDIAN[corvane,$size]}" "${MEDIAN[dnsmasq,$size]}")"
    fi
done
echo "(lost@1k, the averages and the server's CPU time per reply sent come from the run at $LATENCY_RATE"
echo " exchanges/s; ratio is corvane / dnsmasq)"
