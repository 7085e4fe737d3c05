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
# Each tool works in a copy of its own (w: Windows, n: native) and leaves its output in res.
for side in w n; do
  mkdir -p "$work/$side/files/order" "$work/$side/res"
  cd "$work/$side/files"
  cp "$files"/*.jxp "$files"/*.json .
  # Names that put the listing order to the test: case, and "_" between the upper and lower
  # case letters.
  for n in b.jxp A.jxp _x.jxp a_b.jxp aB.jxp ab.JXP Zeta.jxp a.txt; do cp office.jxp "order/$n"; done
  sed 's/"name": "Office"/"name": "Office with a name of 32 chars"/' office.json > too_long.json
  sed 's/"size": 2540,/"size": 2540/' office.json > syntax.json
done
cd "$work/w/files"

commands=("" "--help" "frobnicate" "show --help" "pack --help" "list ." "list order" "list nowhere")
for f in *.jxp; do
  commands+=("show $f" "show $f --json" "check $f")
done
commands+=("check missing.jxp" "check nowhere/x.jxp" "check order"
           "diff office.jxp two_profiles.jxp" "diff two_profiles.jxp office.jxp Office"
           "diff office.jxp leftovers.jxp" "diff office.jxp western.jxp" "diff office.jxp damaged_trailing.jxp"
           "diff office.jxp two_profiles.jxp Nowhere" "pack office.json nowhere/out.jxp" "pack missing.json out.jxp")
for f in *.json; do
  commands+=("pack $f ../res/${f%.json}.jxp")
done

# The Windows tool runs every command under one cmd.exe: starting Wine once, not per command.
exe="Z:$(echo "$windows" | tr / '\\')"
{
  printf '@echo off\r\n'
  for i in "${!commands[@]}"; do
    printf '"%s" %s >..\\res\\%d.out 2>..\\res\\%d.err\r\necho %%ERRORLEVEL%% >..\\res\\%d.rc\r\n' \
      "$exe" "${commands[$i]}" "$i" "$i" "$i"
  done
} > ../run.bat
"$WINE" cmd /c '..\run.bat' >/dev/null 2>&1 </dev/null
# 9009 is cmd.exe's own "could not start it", never lmprof's: on a loaded machine Wine now and
# then fails to start one process of the batch, and that command alone is run again.
for i in "${!commands[@]}"; do
  [ "$(tr -d ' \r\n' < "../res/$i.rc" 2>/dev/null)" = 9009 ] || continue
  printf '@echo off\r\n"%s" %s >..\\res\\%d.out 2>..\\res\\%d.err\r\necho %%ERRORLEVEL%% >..\\res\\%d.rc\r\n' \
    "$exe" "${commands[$i]}" "$i" "$i" "$i" > ../again.bat
  "$WINE" cmd /c '..\again.bat' >/dev/null 2>&1 </dev/null
done

cd "$work/n/files"
for i in "${!commands[@]}"; do
  read -ra args <<< "${commands[$i]}"
  "$native" "${args[@]}" >"../res/$i.out" 2>"../res/$i.err" </dev/null
  echo $? > "../res/$i.rc"
done

differ=0
for i in "${!commands[@]}"; do
  w=$work/w/res/$i n=$work/n/res/$i what=""
  wrc=$(tr -d ' \r\n' < "$w.rc" 2>/dev/null) nrc=$(cat "$n.rc")
  [ "$wrc" = "$nrc" ] || what+=" exit ${wrc:-none} (Windows) vs $nrc (native);"
  cmp -s "$w.out" "$n.out" || what+=" stdout differs;"
  cmp -s "$w.err" "$n.err" || what+=" stderr differs;"
  if [ -n "$what" ]; then
    differ=$((differ + 1))
    echo "DIFFERS: lmprof ${commands[$i]}:$what"
    diff <(cat -A "$w.out" "$w.err") <(cat -A "$n.out" "$n.err") | head -n 20 | sed 's/^/  /'
  fi
done
# The files pack wrote, and that it wrote nothing where it refused.
for name in $( (cd "$work/w/res" && ls -- *.jxp; cd "$work/n/res" && ls -- *.jxp) 2>/dev/null | sort -u); do
  if ! cmp -s "$work/w/res/$name" "$work/n/res/$name"; then
    differ=$((differ + 1))
    echo "DIFFERS: the $name each tool packed"
  fi
done

echo "compare_native: ${#commands[@]} commands, $differ differ (Windows: $windows, native: $native)"
[ $differ -eq 0 ]
