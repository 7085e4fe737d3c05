#!/usr/bin/env bash
# The native lmprof against lmprof.exe under Wine: the same commands on the same files must give
# the same standard output and standard error, byte for byte, the same exit status, and for
# `pack` the same file.
#   compare_native.sh PREFIX LMPROF_EXE NATIVE_LMPROF FILES_DIR
# LMPROF_NATIVE_TOOL in the environment names another native tool. Exit 0 when every command
# agreed, 1 otherwise (a missing native tool among them).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1 windows=$2 native=${LMPROF_NATIVE_TOOL:-$3} files=$4

if [ ! -x "$native" ]; then
  echo "compare_native: no native lmprof at $native: build it first" \
       "(cmake -S tools/lmprof/native -B build/native && ninja -C build/native; test.sh does)," \
       "or name it in LMPROF_NATIVE_TOOL" >&2
  exit 1
fi
source "$here/../harness/wine_env.sh" "$prefix"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$files"/*.jxp "$files"/*.json "$work"/
cd "$work"
# Names that put the listing order to the test: case, and "_" between the upper and lower case
# letters.
mkdir order
for n in b.jxp A.jxp _x.jxp a_b.jxp aB.jxp ab.JXP Zeta.jxp a.txt; do cp office.jxp "order/$n"; done
sed 's/"name": "Office"/"name": "Office with a name of 32 chars"/' office.json > too_long.json
sed 's/"size": 2540,/"size": 2540/' office.json > syntax.json

runs=0 differ=0
# Runs both tools with the arguments; for `pack`, the file each writes is compared too.
both() {
  local out=${PACK_OUT:-}
  "$WINE" "$windows" "$@" >w.out 2>w.err </dev/null
  local wrc=$?
  [ -n "$out" ] && { mv "$out" w.jxp 2>/dev/null || rm -f w.jxp; }
  "$native" "$@" >n.out 2>n.err </dev/null
  local nrc=$?
  [ -n "$out" ] && { mv "$out" n.jxp 2>/dev/null || rm -f n.jxp; }
  runs=$((runs + 1))
  local what=""
  [ $wrc -eq $nrc ] || what+=" exit $wrc (Windows) vs $nrc (native);"
  cmp -s w.out n.out || what+=" stdout differs;"
  cmp -s w.err n.err || what+=" stderr differs;"
  if [ -n "$out" ] && { [ -e w.jxp ] || [ -e n.jxp ]; } && ! cmp -s w.jxp n.jxp; then
    what+=" the files written differ;"
  fi
  if [ -n "$what" ]; then
    differ=$((differ + 1))
    echo "DIFFERS: lmprof $*:$what"
    diff <(cat -A w.out w.err) <(cat -A n.out n.err) | head -n 20 | sed 's/^/  /'
  fi
  rm -f w.jxp n.jxp
}

both
both --help
both frobnicate
both show --help
both pack --help
both list .
both list order
both list nowhere
for f in *.jxp; do
  both show "$f"
  both show "$f" --json
  both check "$f"
done
both check missing.jxp
both check nowhere/x.jxp
both check order
both diff office.jxp two_profiles.jxp
both diff two_profiles.jxp office.jxp Office
both diff office.jxp leftovers.jxp
both diff office.jxp western.jxp
both diff office.jxp damaged_trailing.jxp
both diff office.jxp two_profiles.jxp Nowhere
for f in *.json; do
  PACK_OUT=out.jxp both pack "$f" out.jxp
done
PACK_OUT=nowhere/out.jxp both pack office.json nowhere/out.jxp
both pack missing.json out.jxp

echo "compare_native: $runs commands, $differ differ (Windows: $windows, native: $native)"
[ $differ -eq 0 ]
