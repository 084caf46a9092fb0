#!/usr/bin/env bash
# Runs test programs of the Debug build under valgrind memcheck: any leak (definite, indirect or possible)
# or invalid access fails the run.
# Usage: scripts/memcheck.sh [program...]   (default: entry_tests, the end-to-end suite, when it is built,
#                                           else every test program but the crash and disk-fault children)
#   MEMCHECK_FILTER=pattern   a gtest filter for the programs (default: every test)
# Logs go to build/memcheck/<program>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh memcheck
cmake --preset default >/dev/null
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
  if [ -f tests/entry/EntryFixture.cpp ]; then
    programs=(entry_tests)
  else
    programs=(host_tests local_tests remote_tests broadsoft_tests shortcut_tests)
  fi
fi
cmake --build --preset default -j "$(nproc)" --target "${programs[@]}"

mkdir -p build/memcheck
failed=0
for program in "${programs[@]}"; do
  log="build/memcheck/$program.log"
  echo "== $program under memcheck"
  status=0
  # Threads are many and short-lived; --fair-sched keeps the lock-heavy tests from starving under valgrind.
  valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes --fair-sched=yes \
    --suppressions=tests/memcheck.supp --log-file="$log" \
    "build/default/tests/$program" --gtest_filter="${MEMCHECK_FILTER:-*}" >"$log.out" 2>&1 || status=$?
  tail -3 "$log.out"
  grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost' "$log" | head -4 || true
  if [ "$status" -ne 0 ]; then
    echo "$program: memcheck found a fault (exit $status), see $log"
    failed=1
  fi
done
exit "$failed"
