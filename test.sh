#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the 32-bit library and the 64-bit test bed,
# and runs ctest (unit tests under each emulated Windows version and user locale, the DLLs'
# exports and imports).
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build_all
cd "$BUILD_TEST"
exec ctest --output-on-failure --timeout 600 -j2 "$@"
