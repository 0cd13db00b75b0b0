#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get and checks what it installed: the files, the
# menu entry, the capability for UDP port 67, the profile value "path", the menu entry's data
# directory, and "--dhcp-start" taking port 67 as an ordinary user; then removes it again.
# Needs root on a machine apt and dpkg can install on (Debian 12); elsewhere it says why and exits 0.
# Every start of the utility runs in a private network namespace (tests/netns-run): none of them
# opens a socket on the machine's own network. Builds in build/ as scripts/test.sh does
# (CORVANE_PACKAGE_BUILD_DIR overrides it).
set -euo pipefail
CORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NETNS_RUN=$CORVANE_ROOT/tests/netns-run

# What the package holds, every file of it.
EXPECTED_FILES=(
    /usr/bin/Corvane
    /usr/bin/corvane-cli
    /usr/bin/devicesim
    /usr/share/applications/corvane.desktop
    /usr/share/icons/hicolor/scalable/apps/corvane.svg
    /usr/share/man/man1/corvane-cli.1
)
PROFILE_SECTION='[Corvane%20Utility%20Software%20for%20CV%2048x]'

skip() {
    echo "test-package: SKIPPED: $*"
    exit 0
}
fail() {
    echo "test-package: FAILED: $*" >&2
    exit 1
}
step() {
    echo "test-package: $*"
}

[[ $(id -u) -eq 0 ]] || skip "installing the package needs root"
for tool in apt-get dpkg dpkg-query; do
    command -v "$tool" >/dev/null || skip "no $tool here, so no Debian package can be installed"
done
[[ -w /var/lib/dpkg ]] || skip "the dpkg database (/var/lib/dpkg) is not writable here"

start=$(date +%s)
source "$CORVANE_ROOT/scripts/deps.sh"
corvane_install_deps

tmp=$(mktemp -d /tmp/corvane-package.XXXXXX)
# The user nobody must reach its own directories below.
chmod 711 "$tmp"
corvane_pid=
installed=0
data_home_case=0
cleanup() {
    if [[ -n "$corvane_pid" ]]; then
        kill "$corvane_pid" 2>/dev/null || true
        wait "$corvane_pid" 2>/dev/null || true
    fi
    if [[ $installed -eq 1 ]]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq corvane >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# --- Build -------------------------------------------------------------------------------------
dir=${CORVANE_PACKAGE_BUILD_DIR:-$CORVANE_ROOT/build}
step "building in $dir"
corvane_build "$dir" -DCORVANE_WERROR=ON
rm -f "$dir"/corvane_*.deb
if ! cmake --build "$dir" --target package >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    fail "cmake --build $dir --target package"
fi
debs=("$dir"/corvane_*_"$(dpkg --print-architecture)".deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one corvane_<version>_<arch>.deb in $dir, found: ${debs[*]}"
deb=${debs[0]}
step "built $(basename "$deb")"

[[ $(dpkg-deb -f "$deb" Package) == corvane ]] || fail "the package is not named corvane"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6network6 qt6-qpa-plugins libcap2-bin; do
    [[ ",$depends," =~ [,\ ]${dep}[,\ ] ]] || fail "Depends lacks $dep: $depends"
done
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort)
expected=$(printf '%s\n' "${EXPECTED_FILES[@]}" | sort)
[[ "$files" == "$expected" ]] || fail "the package holds"$'\n'"$files"$'\n'"instead of"$'\n'"$expected"

# --- Install -----------------------------------------------------------------------------------
if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q "install ok installed"; then
    step "corvane is installed already; removing it first"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq corvane >/dev/null
fi
# apt reads a local file as its sandbox user: give it a copy it can read.
cp "$deb" "$tmp/" && chmod 644 "$tmp/$(basename "$deb")"
installed=1
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$tmp/$(basename "$deb")" >"$tmp/apt.log" 2>&1; then
    cat "$tmp/apt.log" >&2
    fail "apt-get install"
fi
for file in "${EXPECTED_FILES[@]}"; do
    [[ -f $file ]] || fail "$file is not installed"
done
[[ -x /usr/bin/Corvane && -x /usr/bin/devicesim ]] || fail "the programs are not executable"

desktop=/usr/share/applications/corvane.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
for line in "Name=Corvane" "Exec=Corvane --data-home" "Icon=corvane" "Type=Application"; do
    grep -qxF "$line" "$desktop" || fail "$desktop has no line \"$line\""
done

caps=$(getcap /usr/bin/Corvane)
[[ "$caps" == "/usr/bin/Corvane cap_net_bind_service=ep" ]] ||
    fail "getcap /usr/bin/Corvane: \"$caps\" (apt said: $(grep -i corvane: "$tmp/apt.log" || true))"
step "installed; $desktop is valid; $caps"

# --- Starting it -------------------------------------------------------------------------------
# start_corvane START_DIR [ENV=VALUE...] -- [ARG...]: the installed utility, offscreen, in
# a private network namespace, as a background process of this shell (corvane_pid).
start_corvane() {
    local start_dir=$1
    shift
    local env_args=()
    while [[ $1 != -- ]]; do
        env_args+=("$1")
        shift
    done
    shift
    (cd "$start_dir" && exec env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/runtime" \
        "${env_args[@]}" \
        "$NETNS_RUN" /usr/bin/Corvane "$@" >"$tmp/corvane.out" 2>&1) &
    corvane_pid=$!
}
stop_corvane() {
    kill "$corvane_pid" 2>/dev/null || true
    wait "$corvane_pid" 2>/dev/null || true
    corvane_pid=
}
# profile_path CONFIG_HOME: the profile value "path", or nothing.
profile_path() {
    local conf=$1/Tamsel/Corvane.conf
    [[ -f $conf ]] || return 0
    awk -v section="$PROFILE_SECTION" '/^\[/ { in_section = ($0 == section) }
        in_section && /^path=/ { sub(/^path=/, ""); print }' "$conf"
}
# wait_for_path CONFIG_HOME EXPECTED: the profile records EXPECTED within 10 s, while running.
wait_for_path() {
    local i
    for ((i = 0; i < 100; i++)); do
        [[ $(profile_path "$1") == "$2" ]] && break
        kill -0 "$corvane_pid" 2>/dev/null || { cat "$tmp/corvane.out" >&2; fail "Corvane ended early"; }
        sleep 0.1
    done
    [[ $(profile_path "$1") == "$2" ]] || fail "profile path is \"$(profile_path "$1")\", not \"$2\""
    # Still running once the path is recorded: the window came up.
    sleep 0.5
    kill -0 "$corvane_pid" 2>/dev/null || { cat "$tmp/corvane.out" >&2; fail "Corvane ended after start"; }
}

mkdir -m 700 "$tmp/runtime"

# Without an option: the directory it is started from, recorded as "path", with the client table
# ("dhcp.ini") the IP Address page saves at start.
mkdir -p "$tmp/plain/home" "$tmp/plain/start"
start_corvane "$tmp/plain/start" HOME="$tmp/plain/home" XDG_CONFIG_HOME="$tmp/plain/config" \
    XDG_DATA_HOME="$tmp/plain/data" --
wait_for_path "$tmp/plain/config" "$tmp/plain/start"
stop_corvane
[[ ! -e $tmp/plain/data ]] || fail "a start without --data-home made $tmp/plain/data"
[[ -f $tmp/plain/start/dhcp.ini ]] || fail "no dhcp.ini in the start directory"
step "started without options: profile path is the start directory"

# --data-home: case, the environment it starts with (@ is the case's directory, whose home/ is
# HOME), the data directory expected.
data_home_cases=(
    "XDG_DATA_HOME set|XDG_DATA_HOME=@/xdg/data|@/xdg/data/corvane"
    "XDG_DATA_HOME with a trailing slash|XDG_DATA_HOME=@/xdg/|@/xdg/corvane"
    "XDG_DATA_HOME unset||@/home/.local/share/corvane"
    "XDG_DATA_HOME empty|XDG_DATA_HOME=|@/home/.local/share/corvane"
    "XDG_DATA_HOME relative|XDG_DATA_HOME=relative/data|@/home/.local/share/corvane"
)
for row in "${data_home_cases[@]}"; do
    IFS='|' read -r name env_arg expected <<<"$row"
    case_dir=$tmp/data-home-$((++data_home_case))
    env_args=(HOME="$case_dir/home" XDG_CONFIG_HOME="$case_dir/config")
    [[ -n $env_arg ]] && env_args+=("${env_arg//@/$case_dir}")
    expected=${expected//@/$case_dir}
    mkdir -p "$case_dir/start" "$case_dir/home"
    start_corvane "$case_dir/start" "${env_args[@]}" -- --data-home
    wait_for_path "$case_dir/config" "$expected"
    stop_corvane
    [[ -d $expected ]] || fail "$name: --data-home did not make $expected"
    [[ $(stat -c %a "$expected") == 700 ]] || fail "$name: $expected has mode $(stat -c %a "$expected"), not 700"
    [[ -f $expected/dhcp.ini ]] || fail "$name: no dhcp.ini in $expected"
    [[ -z $(ls -A "$case_dir/start") ]] || fail "$name: files in the start directory: $(ls -A "$case_dir/start")"
    step "--data-home, $name: $expected"
done

# --data-home where the directory cannot be made: the reason, and the profile left alone.
mkdir -p "$tmp/blocked/home" "$tmp/blocked/start"
: >"$tmp/blocked/file"
start_corvane "$tmp/blocked/start" HOME="$tmp/blocked/home" XDG_CONFIG_HOME="$tmp/blocked/config" \
    XDG_DATA_HOME="$tmp/blocked/file" -- --data-home
want="Corvane: Cannot use the data directory $tmp/blocked/file/corvane: Not a directory"
for ((i = 0; i < 50; i++)); do
    grep -qxF "$want" "$tmp/corvane.out" && break
    sleep 0.1
done
stop_corvane
grep -qxF "$want" "$tmp/corvane.out" || fail "a data directory under a file: got \"$(cat "$tmp/corvane.out")\""
[[ -z $(profile_path "$tmp/blocked/config") ]] || fail "the profile was written although the start failed"
step "--data-home under a file: \"$want\""

# --dhcp-start as the user nobody: the file capability lets it take UDP port 67, inside the
# namespace, where ports below 1024 are privileged as usual.
serve=$tmp/serve
mkdir -p "$serve/data" "$serve/home" "$serve/runtime"
chmod 700 "$serve/runtime"
printf '%s\n' "[Router]" "number = 1" "10.0.0.1" "" "[DNS]" "number = 0" "" "[NetBios]" "number = 0" "" \
    "[Server IP]" "1 10.0.0.2" "" "[Domain Name]" "1 removed" "" "[Lease Time]" "-1" >"$serve/data/adsvr.ini"
chown -R nobody:nogroup "$serve"
chmod 755 "$serve"
cat >"$tmp/serve.sh" <<'INNER'
set -euo pipefail
serve=$1
out=$2
first=$(cut -f1 /proc/sys/net/ipv4/ip_unprivileged_port_start)
if ((first <= 67)); then
    echo "ports from $first on are open to everyone in this namespace: the check would prove nothing" >&2
    exit 1
fi
cd "$serve/data"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$serve/home" XDG_RUNTIME_DIR="$serve/runtime" QT_QPA_PLATFORM=offscreen \
    /usr/bin/Corvane --dhcp-start \
    >"$serve/corvane.out" 2>&1 &
pid=$!
bound=
for ((i = 0; i < 100; i++)); do
    bound=$(ss -Hulnp 'sport = :67')
    [[ $bound == *"pid=$pid,"* ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
user=$(ps -o user= -p "$pid" || true)
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
printf '%s\n%s\n%s\n' "$pid" "$user" "$bound" >"$out"
INNER
"$NETNS_RUN" bash "$tmp/serve.sh" "$serve" "$tmp/serve.result" || fail "the namespace for --dhcp-start"
pid=$(sed -n 1p "$tmp/serve.result")
user=$(sed -n 2p "$tmp/serve.result")
bound=$(sed -n '3,$p' "$tmp/serve.result")
[[ $user == nobody ]] || fail "--dhcp-start ran as \"$user\", not nobody: $(cat "$serve/corvane.out")"
[[ $bound =~ ^UNCONN\ +0\ +0\ +0\.0\.0\.0:67\ +0\.0\.0\.0:\*\ +users:\(\(\"Corvane\",pid=$pid,fd=[0-9]+\)\)$ ]] ||
    fail "UDP port 67 as seen by ss: \"$bound\"; Corvane said: $(cat "$serve/corvane.out")"
step "--dhcp-start as nobody: $bound"

# --- Remove ------------------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq corvane >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log" >&2; fail "apt-get remove"; }
installed=0
for file in "${EXPECTED_FILES[@]}"; do
    [[ ! -e $file ]] || fail "$file is still there after apt-get remove"
done
! dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q "install ok installed" || fail "still installed"
step "removed; passed in $(($(date +%s) - start)) s"
