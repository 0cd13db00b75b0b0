#!/usr/bin/env bash
# Installs what is missing, builds, and starts the utility from the current directory (its data
# files live where it is started).
set -euo pipefail
CORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$CORVANE_ROOT/scripts/deps.sh"

corvane_install_deps
corvane_build "$CORVANE_ROOT/build"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: starting with QT_QPA_PLATFORM=offscreen (nothing will be visible)." >&2
    export QT_QPA_PLATFORM=offscreen
fi
exec "$CORVANE_ROOT/build/Corvane" "$@"
