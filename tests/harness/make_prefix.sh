#!/usr/bin/env bash
# Creates a fresh Wine prefix and installs the fixture drivers and printers in it.
# make_prefix.sh PREFIX ARCH(win32|win64) SETUP_EXE DRIVER_DIR VERSION_MAP
set -euo pipefail
prefix=$1 arch=$2 setup=$3 drivers=$4 versions=$5
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$(dirname "$prefix")"
[ -d "$prefix" ] && { source "$here/wine_env.sh" "$prefix"; "$WINESERVER" -k >/dev/null 2>&1 || true; }
rm -rf "$prefix"
source "$here/wine_env.sh" "$prefix" "$arch"
log="$prefix.log"
: > "$log"

start=$(date +%s)
"$WINE" wineboot -i >>"$log" 2>&1 </dev/null
"$WINESERVER" -w
# Every Wine process of the run shares one server, kept alive until the cleanup step stops
# it, so test programs do not each pay for a server start. Its output goes to the log so that
# no test runner waits on a pipe it holds.
"$WINESERVER" -p >>"$log" 2>&1 </dev/null
echo "prefix $prefix ($arch) created in $(( $(date +%s) - start )) s"

windir=$("$WINE" winepath -w "$drivers" 2>>"$log" </dev/null | tr -d '\r')
if ! "$WINE" "$setup" "$windir" "$versions" >"$prefix.setup.log" 2>&1 </dev/null; then
  cat "$prefix.setup.log"
  echo "setup_printers failed"
  exit 1
fi
cat "$prefix.setup.log"
