#!/usr/bin/env bash
# Builds the fuzz drivers (clang, libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer) and runs each
# for a while on a corpus seeded from the test fixtures and the real-world documents beside the repository.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]     (default 60 seconds, every target)
#   FUZZ_SEED=n     libFuzzer's random seed (default 0: a fresh one each run)
#   REALDOCS=dir    the real-world documents (default ../shared/realdocs; skipped when absent)
# Corpora grow in build/fuzz/corpus/<target>; what a driver finds lands in build/fuzz/findings/<target>.
# Exits non-zero when any driver found a crash, a leak or a broken property.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"

seconds="${1:-60}"
[ $# -gt 0 ] && shift
wanted=("$@")
realdocs="${REALDOCS:-$repo/../shared/realdocs}"

scripts/deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzz_drivers

# The seed folders a driver names on its "// Seeds:" line (paths in the repository, or realdocs/... for the
# real-world documents), and the inputs kept in fuzz/regressions/<target> that once found a fault.
seed_dirs() {
  echo "$repo/fuzz/regressions/$1"
  local line
  line="$(grep -m1 '^// Seeds:' "fuzz/${1}Fuzz.cpp" || true)"
  for dir in ${line#// Seeds:}; do
    case "$dir" in
      realdocs/*) echo "$realdocs/${dir#realdocs/}" ;;
      *) echo "$repo/$dir" ;;
    esac
  done
}

summary=()
failed=0
for driver in build/fuzz/fuzz/fuzz_*; do
  name="${driver##*/fuzz_}"
  if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx "$name"; then
    continue
  fi
  corpus="build/fuzz/corpus/$name"
  findings="build/fuzz/findings/$name"
  mkdir -p "$corpus" "$findings"
  while read -r dir; do
    [ -d "$dir" ] && find "$dir" -maxdepth 1 -type f -exec cp -n {} "$corpus/" \;
  done < <(seed_dirs "$name")
  log="build/fuzz/findings/$name.log"
  echo "== $name: ${seconds}s on $(find "$corpus" -type f | wc -l) inputs"
  status=0
  "$driver" -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -timeout=20 -rss_limit_mb=3072 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)"
  if [ "$status" -ne 0 ]; then
    failed=1
    summary+=("$(printf '%-22s FAILED after %s runs, see %s' "$name" "$runs" "$log")")
    grep -E '^==[0-9]+==ERROR|fuzz property broken|SUMMARY|Test unit written' "$log" | head -5 || true
  else
    summary+=("$(printf '%-22s %10s runs' "$name" "$runs")")
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit "$failed"
