#!/usr/bin/env bash
# Crash safety of the local phone book: saves (contact edits, group edits, imports, background reloads) in
# a child process killed with SIGKILL at random moments; after every kill each file must hold exactly a
# version it had before or that the work wrote, both files must load, and no temporary file may stay.
# Usage: scripts/crash.sh [kills] [seed] [preset]     (default 1000 kills, a fresh seed, preset default)
#   The default test run (ctest) makes 200 kills. A failed round's folder is kept and named on stderr.
set -euo pipefail
cd "$(dirname "$0")/.."

kills="${1:-1000}"
seed="${2:-}"
preset="${3:-default}"
scripts/deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target crash_safety
args=(--kills "$kills" --keep)
[ -n "$seed" ] && args+=(--seed "$seed")
"build/$preset/tests/crash/crash_safety" "${args[@]}"
