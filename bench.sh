#!/usr/bin/env bash
# The benchmark: each exchange call against the raw spooler and file calls it must make, in a
# private prefix with the fixture printers. bench.sh [ROUNDS]
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build_all >/dev/null
prefix="$BUILD_TEST/bench-prefix"
"$ROOT/tests/harness/make_prefix.sh" "$prefix" win64 "$BUILD_TEST/tests/harness/setup_printers.exe" \
  "$BUILD_TEST/tests/fixtures/driver" "bench.exe=winxp" >/dev/null
trap '"$ROOT/tests/harness/stop_prefix.sh" "$prefix"' EXIT
"$ROOT/tests/harness/run_wine.sh" "$prefix" "$BUILD_TEST/bench.exe" "$@"
