#!/usr/bin/env bash
# The benchmark: each exchange call against the raw spooler and file calls it must make, in a
# private prefix with the fixture printers. bench.sh [ROUNDS]
# Where this machine runs 32-bit code it measures the shipped 32-bit DLL in a 32-bit prefix as
# well as the 64-bit build.
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build_all >/dev/null
run_bench() {
  local tree=$1 arch=$2 prefix
  prefix="$tree/bench-prefix"
  "$ROOT/tests/harness/make_prefix.sh" "$prefix" "$arch" "$tree/tests/harness/setup_printers.exe" \
    "$tree/tests/fixtures/driver" "bench.exe=winxp" >/dev/null
  "$ROOT/tests/harness/run_wine.sh" "$prefix" "$tree/bench.exe" "${@:3}"
  "$ROOT/tests/harness/stop_prefix.sh" "$prefix"
}
if [ "$RUNS_32BIT" = yes ]; then
  echo "== the shipped 32-bit DLL, 32-bit prefix"
  run_bench "$BUILD_I686_TEST" win32 "$@"
fi
echo "== the 64-bit build, 64-bit prefix"
run_bench "$BUILD_TEST" win64 "$@"
