#!/usr/bin/env bash
# Installs what is missing, builds and runs the host smoke program against a fresh data folder.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release -DDIRECTORY_BUILD_BENCH=OFF
cmake --build --preset release -j "$(nproc)" --target host_smoke
build/release/tools/host_smoke "$@"
