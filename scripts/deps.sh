#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the tools need, only those missing.
# Sourced by run.sh, test.sh and test-package.sh.
set -euo pipefail

CORVANE_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev
    libgtest-dev googletest
    clang libclang-rt-14-dev clang-format
    iproute2 util-linux python3
    # The DHCP server's end-to-end tests: real clients (udhcpc, dhclient, dhcpcd) and a capture.
    busybox isc-dhcp-client dhcpcd-base tshark
    # The Debian package (scripts/test-package.sh): CPack's dependency list, the menu entry's
    # check, the capability, the process look-up.
    dpkg-dev file desktop-file-utils libcap2-bin procps
)

corvane_install_deps() {
    local missing=()
    local pkg
    for pkg in "${CORVANE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [[ ${#missing[@]} -eq 0 ]]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# corvane_build DIR [cmake args...]
corvane_build() {
    local dir=$1
    shift
    cmake -S "$CORVANE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${CORVANE_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
    cmake --build "$dir" -- -j"$(nproc)"
}
