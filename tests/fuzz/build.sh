#!/usr/bin/env bash
# Builds the fuzz targets natively with clang: libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer over the portable decoders of src/codec, plus the seed generator.
#   build.sh OUTDIR        writes OUTDIR/<target>_fuzz and OUTDIR/make_seeds
# A program is rebuilt only when it is missing or older than a source it may depend on. Nothing
# is installed: without clang the build stops with a message. CXX_FUZZ picks another compiler.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=${1:?usage: build.sh OUTDIR}

CXX=${CXX_FUZZ:-}
if [ -z "$CXX" ]; then
  for c in clang++ clang++-14; do
    if command -v "$c" >/dev/null 2>&1; then CXX=$c; break; fi
  done
fi
if [ -z "$CXX" ] || ! command -v "$CXX" >/dev/null 2>&1; then
  echo "fuzz: clang++ not found. The fuzz targets need clang with its libFuzzer runtime" \
       "(Debian: apt-get install clang); set CXX_FUZZ to use another clang++." >&2
  exit 2
fi

mkdir -p "$OUT"
COMMON=(-std=c++17 -g -fno-omit-frame-pointer -Wall -Wextra -I"$ROOT/src" -I"$HERE")
FUZZ=(-O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

# Every source a program may use: the decoders, the console tool's (pack), the targets' shared
# header, this script.
stale() {
  local bin=$1
  [ -x "$bin" ] || return 0
  [ -n "$(find "$ROOT/src/codec" "$ROOT/tools/lmprof" "$HERE" -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' -o -name build.sh \) \
            -newer "$bin" -print -quit)" ]
}

build() {
  local bin=$1; shift
  if stale "$bin"; then
    echo "fuzz: building $(basename "$bin")"
    # Linked under a temporary name so a failed build leaves no program that looks current.
    "$CXX" "$@" -o "$bin.tmp" && mv "$bin.tmp" "$bin"
  fi
}

build "$OUT/jxp_fuzz" "${COMMON[@]}" "${FUZZ[@]}" "$HERE/jxp_fuzz.cpp" "$ROOT/src/codec/jxp_format.cpp"
build "$OUT/store_fuzz" "${COMMON[@]}" "${FUZZ[@]}" "$HERE/store_fuzz.cpp" "$ROOT/src/codec/store_records.cpp"
build "$OUT/devmode_fuzz" "${COMMON[@]}" "${FUZZ[@]}" "$HERE/devmode_fuzz.cpp" "$ROOT/src/codec/devmode_layout.cpp"
build "$OUT/cmdline_fuzz" "${COMMON[@]}" "${FUZZ[@]}" "$HERE/cmdline_fuzz.cpp" "$ROOT/src/codec/command_line.cpp"
build "$OUT/ini_fuzz" "${COMMON[@]}" "${FUZZ[@]}" "$HERE/ini_fuzz.cpp" "$ROOT/src/codec/ini_text.cpp"
build "$OUT/lang_fuzz" "${COMMON[@]}" "${FUZZ[@]}" "$HERE/lang_fuzz.cpp" "$ROOT/src/codec/lang_table.cpp"
LMPROF=$ROOT/tools/lmprof
build "$OUT/pack_fuzz" "${COMMON[@]}" -I"$LMPROF" "${FUZZ[@]}" "$HERE/pack_fuzz.cpp" "$LMPROF/jxp_pack.cpp" \
  "$LMPROF/json_reader.cpp" "$LMPROF/text_code_page.cpp" "$LMPROF/jxp_document.cpp" "$LMPROF/report.cpp" \
  "$ROOT/src/codec/jxp_format.cpp" "$ROOT/src/codec/devmode_layout.cpp"
build "$OUT/make_seeds" "${COMMON[@]}" -O1 -fsanitize=address,undefined -fno-sanitize-recover=all \
  "$HERE/make_seeds.cpp" "$ROOT/src/codec/jxp_format.cpp" "$ROOT/src/codec/store_records.cpp" \
  "$ROOT/src/codec/devmode_layout.cpp" "$ROOT/src/codec/command_line.cpp" "$ROOT/src/codec/lang_table.cpp"
