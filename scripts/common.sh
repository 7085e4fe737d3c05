# Sourced by test.sh and demo.sh: installs what is missing on a Debian machine and builds.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${LMPROF_BUILD:-$ROOT/build}

BUILD_I686=$BUILD/i686   # the shipped 32-bit library
BUILD_TEST=$BUILD/x64    # the same sources for 64-bit Windows, with the tests

# wine32 is not installed: this machine's kernel runs no 32-bit code, so the 32-bit loader
# cannot start; the tests run the 64-bit build under the 64-bit loader (see the README).
PACKAGES="mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth googletest cmake ninja-build clang libclang-rt-14-dev
          x11-apps imagemagick fonts-ipafont-gothic"

ensure_packages() {
  local missing=()
  for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_all() {
  if [ ! -f "$BUILD_I686/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD_I686" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
      -DLMPROF_TESTS=OFF >/dev/null
  fi
  if [ ! -f "$BUILD_TEST/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD_TEST" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" \
      -DLMPROF_PRODUCT_DLL="$BUILD_I686/LmProfInst.dll" >/dev/null
  fi
  echo "32-bit library: $(ninja -C "$BUILD_I686" | tail -n 1)"
  echo "64-bit test bed: $(ninja -C "$BUILD_TEST" | tail -n 1)"
}
