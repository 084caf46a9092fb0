#!/usr/bin/env bash
# The performance suite: builds the release preset's suite program and prints one table of the module
# beside the alternatives users would pick (SQLite, bare pugixml, libcurl multi), with instruction counts
# of the main rows under callgrind. The table also goes to build/release/perf/perf.md and perf.json.
# Usage: scripts/bench.sh [--quick] [--no-callgrind] [--filter=TEXT]
#   --quick         smallest sizes, short rounds, no instruction counts: a smoke run of a minute or two
#   --filter=TEXT   only rows whose id (for instance local/1030/lookup-hit) contains TEXT
# Exits non-zero when a row misses its goal. Figures are steadier on an idle machine: the ratios hold on a
# busy one, since both sides of a row run in alternating rounds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh bench
cmake --preset release > /dev/null
cmake --build --preset release -j "$(nproc)" --target directory_perf
exec build/release/bench/directory_perf --out=build/release/perf "$@"
