# Sourced by test.sh, demo.sh and bench.sh: finds out what this machine runs, installs what is
# missing on a Debian machine, and builds.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${LMPROF_BUILD:-$ROOT/build}

BUILD_I686=$BUILD/i686              # the shipped 32-bit library, tool and kit
BUILD_TEST=$BUILD/x64               # the same sources for 64-bit Windows, with the tests
BUILD_I686_TEST=$BUILD/i686-tests   # the 32-bit tests, which run the shipped DLL
BUILD_NATIVE=$BUILD/native          # the native lmprof and its tests (host compiler, no Wine)

PACKAGES="mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          binutils wine wine64 xvfb xauth googletest cmake ninja-build clang libclang-rt-14-dev
          x11-apps imagemagick fonts-ipafont-gothic"

# Whether this machine's kernel runs 32-bit x86 code: some do, some (IA-32 emulation off) run
# 64-bit code only, and then the 32-bit Wine loader cannot start. A 32-bit program of three
# instructions answers without needing Wine. Sets RUNS_32BIT (yes/no) and RUNS_32BIT_WHY.
probe_32bit() {
  local dir
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' > "$dir/p.s"
  RUNS_32BIT=no
  if ! as --32 -o "$dir/p.o" "$dir/p.s" 2>"$dir/err" || ! ld -m elf_i386 -o "$dir/p" "$dir/p.o" 2>>"$dir/err"; then
    RUNS_32BIT_WHY="no 32-bit probe could be built: $(head -n 1 "$dir/err")"
  elif ( "$dir/p" ) 2>"$dir/err"; then
    RUNS_32BIT=yes
    RUNS_32BIT_WHY="this kernel runs 32-bit code"
  else
    RUNS_32BIT_WHY="this kernel runs no 32-bit code ($(sed -e 's/.*: //' "$dir/err" | head -n 1))"
  fi
  rm -rf "$dir"
}

# Installs the packages named, those missing, with apt-get.
install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # The 32-bit Wine comes from the i386 architecture, which apt must know first.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

ensure_packages() {
  # shellcheck disable=SC2086
  install_missing $PACKAGES
  # The probe needs the assembler and linker installed above.
  probe_32bit
  if [ "$RUNS_32BIT" = yes ]; then
    install_missing wine32:i386
  fi
}

# Configures TREE with TOOLCHAIN unless it already is; a tree made with another toolchain file,
# or older versions of the toolchain files, is made anew.
configure_tree() {
  local tree=$1 toolchain=$2 stamp
  shift 2
  # Every toolchain file counts: one may include another.
  stamp="$(cat "$ROOT"/cmake/mingw-*.cmake | sha256sum | cut -d' ' -f1) $(basename "$toolchain") $*"
  if [ -f "$tree/CMakeCache.txt" ] && [ "$(cat "$tree/.toolchain-stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$tree"
  fi
  if [ ! -f "$tree/build.ninja" ]; then
    cmake -S "$ROOT" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@" >/dev/null
    echo "$stamp" > "$tree/.toolchain-stamp"
  fi
}

# The native lmprof is a project of its own (tools/lmprof/native), built with the host compiler.
configure_native() {
  if [ ! -f "$BUILD_NATIVE/build.ninja" ]; then
    cmake -S "$ROOT/tools/lmprof/native" -B "$BUILD_NATIVE" -G Ninja >/dev/null
  fi
}

build_all() {
  # First: the 64-bit bed's comparison test runs the native tool.
  configure_native
  echo "native lmprof: $(ninja -C "$BUILD_NATIVE" | tail -n 1)"
  configure_tree "$BUILD_I686" "$ROOT/cmake/mingw-i686.cmake" -DLMPROF_TESTS=OFF
  configure_tree "$BUILD_TEST" "$ROOT/cmake/mingw-x86_64.cmake" -DLMPROF_PRODUCT_DIR="$BUILD_I686"
  configure_tree "$BUILD_I686_TEST" "$ROOT/cmake/mingw-i686-tests.cmake" -DLMPROF_PRODUCT_DIR="$BUILD_I686"
  echo "32-bit library and kit: $(ninja -C "$BUILD_I686" all kit | tail -n 1)"
  echo "64-bit test bed: $(ninja -C "$BUILD_TEST" | tail -n 1)"
  echo "32-bit tests: $(ninja -C "$BUILD_I686_TEST" | tail -n 1)"
}
