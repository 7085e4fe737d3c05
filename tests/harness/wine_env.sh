# Sourced by the harness scripts: the environment every Wine call of the test bed runs in.
# $1: the prefix folder; $2 (when creating it): win32 or win64. The prefix's architecture is
# kept beside it so later calls pick the matching loader.
export WINEPREFIX="$1"
if [ -n "${2:-}" ]; then
  export WINEARCH=$2
  echo "$2" > "$WINEPREFIX.arch"
else
  export WINEARCH=$(cat "$WINEPREFIX.arch" 2>/dev/null || echo win64)
fi
# The loaders are called directly: /usr/bin/wine prefers the 32-bit loader whenever wine32 is
# installed, and that loader cannot start where the kernel runs no 32-bit code.
if [ "$WINEARCH" = win64 ]; then
  WINE=/usr/lib/wine/wine64
else
  WINE=/usr/lib/wine/wine
fi
export WINELOADER=$WINE
# The wineserver wrapper adds -p0, which ends the server with its last client; the harness
# keeps one server for the whole run instead.
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompt in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
export GTEST_COLOR=no
unset DISPLAY
