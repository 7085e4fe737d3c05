#!/usr/bin/env bash
# The demo: builds the library, creates a private Wine prefix with the fixture printers and
# moves a profile from a printer of one model to a printer of another through the DLL.
#   demo.sh [--win98] [--trace]
# --win98 runs it as Windows 98 reports itself (the ANSI road); --trace also prints the
# library's trace lines. Where this machine runs 32-bit code the demo runs the shipped 32-bit
# DLL in a 32-bit prefix; elsewhere the 64-bit build of the same sources.
source "$(dirname "$0")/scripts/common.sh"
version=winxp
args=()
for a in "$@"; do
  case $a in
    --win98) version=win98 ;;
    *) args+=("$a") ;;
  esac
done
ensure_packages
build_all >/dev/null
if [ "$RUNS_32BIT" = yes ]; then
  tree=$BUILD_I686_TEST arch=win32
  echo "demo: the shipped 32-bit LmProfInst.dll, as $version"
else
  tree=$BUILD_TEST arch=win64
  echo "demo: the 64-bit build of the same sources, as $version ($RUNS_32BIT_WHY)"
fi
prefix="$tree/demo-prefix"
"$ROOT/tests/harness/make_prefix.sh" "$prefix" $arch "$tree/tests/harness/setup_printers.exe" \
  "$tree/tests/fixtures/driver" "demo.exe=$version" >/dev/null
trap '"$ROOT/tests/harness/stop_prefix.sh" "$prefix"' EXIT
"$ROOT/tests/harness/run_wine.sh" "$prefix" "$tree/demo.exe" "${args[@]}"
