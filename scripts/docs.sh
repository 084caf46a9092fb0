#!/usr/bin/env bash
# The API reference: installs Doxygen when missing and generates the pages from the headers into
# build/default/docs/html (start page: docs/integration.md). Doxygen's warnings, if any, are shown; they
# are kept in build/default/docs/doxygen-warnings.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh docs
cmake --preset default >/dev/null
cmake --build --preset default --target docs
warnings=build/default/docs/doxygen-warnings.txt
if [ -s "$warnings" ]; then
  echo "docs: Doxygen warned ($(wc -l <"$warnings") lines of $warnings):" >&2
  head -n 20 "$warnings" >&2
fi
[ -s build/default/docs/html/index.html ] || { echo "docs: no index.html" >&2; exit 1; }
echo "API reference: build/default/docs/html/index.html"
