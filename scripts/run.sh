#!/usr/bin/env bash
# Installs what is missing, builds dirsim and starts it on the embedded demo: a shell on the phone's
# directory with a demo phone book in ./dirsim-data and a demo remote phonebook served on 127.0.0.1.
# Arguments go to dirsim (for example: scripts/run.sh --exec "status; search 627").
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake --preset run > /dev/null
cmake --build --preset run -j "$(nproc)" --target dirsim
exec build/run/tools/dirsim/dirsim "$@"
