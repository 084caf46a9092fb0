#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
# Usage: scripts/test.sh [default|asan|tsan]   (default: default, a Debug build)
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-default}"
scripts/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
