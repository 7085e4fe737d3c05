#!/usr/bin/env bash
# Stops the Wine server of a test prefix (the prefix itself stays for inspection).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh" "$1"
"$WINESERVER" -k >/dev/null 2>&1 || true
exit 0
