#!/usr/bin/env bash
# The soak under the thread sanitizer: remote refreshes, cancels and reloads with background remote searches,
# network directory pages, refreshes and Personal edits with searches and caller lookups on other threads,
# local edits, background local searches and reloads, all at once for a bounded time; then the counters are
# checked and nothing may be left running. A race, a deadlock or a broken counter fails the run.
# Usage: scripts/soak.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
scripts/deps.sh
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$(nproc)" --target soak_tests
DIRECTORY_SOAK_SECONDS="$seconds" TSAN_OPTIONS="halt_on_error=1 suppressions=$(pwd)/tests/tsan.supp" \
  timeout $((seconds + 600)) build/tsan/tests/soak_tests
