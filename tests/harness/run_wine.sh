#!/usr/bin/env bash
# Runs one test program in a test prefix and passes on its exit code.
# run_wine.sh PREFIX PROGRAM [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh" "$1"
shift
# The output goes through a file: Wine's helper processes inherit the program's descriptors
# and would otherwise keep the runner's pipe open after the program ended.
out=$(mktemp)
"$WINE" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
