#!/usr/bin/env bash
# Runs one GUI test program in the test prefix on a private X screen (Xvfb, 640 x 480) inside
# a Wine virtual desktop, which draws the windows' frames and captions, and takes screenshots
# when the program asks: it writes <name>.req into the shots folder and waits for <name>.png
# (and <name>.bmp, which it reads).
# run_gui.sh PREFIX SHOTS_DIR PROGRAM [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${LMGUI_IN_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "run_gui: xvfb-run missing (package xvfb)"; exit 1; }
  LMGUI_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi
prefix=$1 shots=$2
shift 2
display=$DISPLAY
source "$here/wine_env.sh" "$prefix"
export DISPLAY=$display
mkdir -p "$shots"
export LMGUI_SHOTS="Z:${shots//\//\\}"
result=$(mktemp)
rm -f "$result"
export LMGUI_RESULT="Z:${result//\//\\}"

watch_shots() {
  while :; do
    for req in "$shots"/*.req; do
      [ -e "$req" ] || continue
      name=${req%.req}
      # The PNG for people, a 24-bit BMP of the same picture for the test to read its pixels;
      # the PNG lands last, as the sign that both are there.
      if xwd -root -silent | convert xwd:- "$name.part.png" &&
         convert "$name.part.png" -alpha off -type TrueColor "BMP3:$name.bmp"; then
        mv -f "$name.part.png" "$name.png"
      fi
      rm -f "$req"
    done
    sleep 0.1
  done
}
watch_shots &
watcher=$!

program=$("$WINE" winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r')
shift
out=$(mktemp)
# Output through a file, as in run_wine.sh: Wine's helpers must not hold the runner's pipe.
"$WINE" explorer "/desktop=lmgui$$,640x480" "$program" "$@" >"$out" 2>&1 </dev/null
cat "$out"
rm -f "$out"
kill "$watcher" 2>/dev/null
wait "$watcher" 2>/dev/null
if [ ! -s "$result" ]; then
  echo "run_gui: the program left no exit code"
  exit 1
fi
rc=$(tr -d '\r\n ' <"$result")
rm -f "$result"
exit "$rc"
