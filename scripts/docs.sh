#!/usr/bin/env bash
# The API reference: installs Doxygen when missing and generates the pages from the headers into
# build/default/docs/html (start page: docs/integration.md). Fails when Doxygen warns.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh docs
cmake --preset default >/dev/null
cmake --build --preset default --target docs
warnings=build/default/docs/doxygen-warnings.txt
if [ -s "$warnings" ]; then
  cat "$warnings" >&2
  echo "docs: Doxygen warned (above)" >&2
  exit 1
fi
echo "API reference: build/default/docs/html/index.html"
