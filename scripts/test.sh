#!/usr/bin/env bash
# Runs every test under Wine with one wineserver kept alive for the whole run.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ensure_prefix
"$WINESERVER" -p
# Start Wine's own services now, detached from our output: started by the first test
# they would inherit CTest's pipes and keep CTest waiting after the test ended.
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
cd "$BUILD" && ctest --output-on-failure "$@"
