#!/usr/bin/env bash
# The demo: builds the library, creates a private Wine prefix with the fixture printers and
# moves a profile from a printer of one model to a printer of another through the DLL (demo.sh
# --trace also prints the library's trace lines).
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build_all
prefix="$BUILD_TEST/demo-prefix"
"$ROOT/tests/harness/make_prefix.sh" "$prefix" win64 "$BUILD_TEST/tests/harness/setup_printers.exe" \
  "$BUILD_TEST/tests/fixtures/driver" "demo.exe=winxp" >/dev/null
trap '"$ROOT/tests/harness/stop_prefix.sh" "$prefix"' EXIT
"$ROOT/tests/harness/run_wine.sh" "$prefix" "$BUILD_TEST/demo.exe" "$@"
