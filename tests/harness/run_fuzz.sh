#!/usr/bin/env bash
# Fuzzes the decoders of outside bytes natively (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer): builds the targets when missing or stale, replays every kept
# regression input of each target, then fuzzes each target for SECONDS (default 30) from its
# seed corpus and a working corpus kept under the build tree.
#   run_fuzz.sh [SECONDS]
# Environment: LMPROF_FUZZ_BUILD  build folder (default: $LMPROF_BUILD/fuzz, else build/fuzz)
#              FUZZ_TARGETS        targets to run (default: jxp store devmode cmdline ini lang pack)
#              CXX_FUZZ            the clang++ to build with
# Exit status: 0 nothing found, 1 a finding (reproducer under <build>/fuzz/findings/<target>/),
# 2 the targets could not be built. Installs nothing.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
FUZZ_SRC=$ROOT/tests/fuzz
OUT=${LMPROF_FUZZ_BUILD:-${LMPROF_BUILD:-$ROOT/build}/fuzz}
PER_TARGET=${1:-30}
TARGETS=${FUZZ_TARGETS:-jxp store devmode cmdline ini lang pack}

case $PER_TARGET in
  ''|*[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac

bash "$FUZZ_SRC/build.sh" "$OUT" || { echo "fuzz: the targets could not be built" >&2; exit 2; }

# Inputs may grow to a few times their seeds: room for ~10 .jxp entries, ~7 list records, a
# DEVMODE with several plug-in blocks, a line of 32 arguments near their longest, INI text with
# lines past the 4096-character buffer, a table with lines past its 1024-character limit.
max_len() {
  case $1 in
    jxp) echo 8192 ;;
    store) echo 4096 ;;
    devmode) echo 4096 ;;
    cmdline) echo 12288 ;;
    ini) echo 12288 ;;
    lang) echo 8192 ;;
    pack) echo 16384 ;;
  esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
for t in $TARGETS; do
  bin=$OUT/${t}_fuzz
  if [ ! -x "$bin" ]; then
    echo "fuzz $t: no such target" >&2
    status=2
    continue
  fi
  mkdir -p "$OUT/work/$t" "$OUT/findings/$t" "$OUT/logs"
  log=$OUT/logs/$t.log

  # Every input that once broke a decoder is run again first.
  regressions=()
  if [ -d "$FUZZ_SRC/regressions/$t" ]; then
    while IFS= read -r -d '' f; do regressions+=("$f"); done \
      < <(find "$FUZZ_SRC/regressions/$t" -maxdepth 1 -type f ! -name '.*' -print0 | sort -z)
  fi
  if [ ${#regressions[@]} -gt 0 ]; then
    if ! "$bin" "${regressions[@]}" >"$OUT/logs/$t.regressions.log" 2>&1; then
      echo "fuzz $t: FAILED replaying its regression inputs (log: $OUT/logs/$t.regressions.log)"
      grep -E "check failed|ERROR: |runtime error|Running: " "$OUT/logs/$t.regressions.log" | tail -n 6 | sed 's/^/  /'
      status=1
      continue
    fi
  fi

  # pack starts from the JSON of the console tool's test files.
  seeds=$FUZZ_SRC/corpus/$t
  [ "$t" = pack ] && seeds=$ROOT/tests/lmprof/files
  "$bin" -max_total_time="$PER_TARGET" -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$OUT/findings/$t/" \
    "$OUT/work/$t" "$seeds" >"$log" 2>&1
  rc=$?

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  cov=$(grep -E '^#[0-9]+.* cov: ' "$log" | tail -n 1 | sed -E 's/.* cov: ([0-9]+) ft: ([0-9]+) corp: ([0-9]+)\/.*/cov \1 ft \2 corpus \3/')
  if [ $rc -eq 0 ]; then
    echo "fuzz $t: ok, ${PER_TARGET} s, ${runs:-?} runs (${speed:-?} exec/s), ${cov:-no coverage line}, ${#regressions[@]} regression inputs replayed"
  else
    newest=$(ls -t "$OUT/findings/$t" 2>/dev/null | head -n 1)
    echo "fuzz $t: FINDING (exit $rc) after ${runs:-?} runs; reproducer: ${newest:+$OUT/findings/$t/$newest}; log: $log"
    grep -E "check failed|ERROR: |runtime error|SUMMARY: " "$log" | head -n 6 | sed 's/^/  /'
    status=1
  fi
done
exit $status
