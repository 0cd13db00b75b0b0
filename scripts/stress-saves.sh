#!/usr/bin/env bash
# Kills a process in the middle of saving a 5000-client "dhcp.ini", at random moments, for many
# rounds (1000 unless told otherwise), and checks after every kill that the file holds one whole
# generation and that the next load and save leave no temporary file behind. The test suite runs
# the same test with 50 rounds.
#
# Usage: scripts/stress-saves.sh [rounds] [build directory, default build]
set -euo pipefail

rounds=${1:-1000}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}

cmake --build "$build" -j2 --target core_test_killed_saves
CORVANE_SAVE_KILL_ROUNDS=$rounds "$build/tests/core_test_killed_saves" \
    --gtest_filter='KilledSaves.*' --gtest_brief=0
