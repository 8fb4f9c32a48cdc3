#!/usr/bin/env bash
# Runs the fuzz targets built in BUILD (cmake -DQUILLOW_FUZZ=ON, see `make fuzz`).
#
#   fuzz/run.sh BUILD SECONDS [TARGET...]          fuzz each target for SECONDS
#   fuzz/run.sh --smoke BUILD SECONDS [TARGET...]  every committed seed once, then SECONDS
#
# Inputs that find new coverage go to BUILD/fuzz/corpus/<target>/ (the committed seeds in
# fuzz/corpus/<target>/ are only read); a crash, leak, sanitizer report, timeout or memory
# blow-up is written to BUILD/fuzz/artifacts/ and fails the run. Each target's output is
# in BUILD/fuzz/<target>.log; its last lines are printed when it fails.
set -uo pipefail

smoke=0
if [ "${1:-}" = "--smoke" ]; then smoke=1; shift; fi
[ $# -ge 2 ] || { sed -n '2,10p' "$0"; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(image sound headers canvas draw record)

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A sound may legitimately be converted in a buffer of up to 2 GiB, and SDL's WAV loader
# reserves (without touching) what a data chunk declares, up to 4 GiB: single allocations
# up to that pass, while the resident memory stays limited.
limits=(-timeout=20 -rss_limit_mb=3072 -malloc_limit_mb=4200)

# run TARGET LOG ARGS...: the fuzzer with the common options and the target's own; its status.
# Recordings: up to two whole turn blocks (a file may hold 256 MiB; longer inputs only make
# each run slower), and without the line the engine writes for every refused file, some
# 20 MB a minute (sanitizer reports still reach the log; replay an artifact to see the line).
run() {
  local target="$1" log="$2" own=()
  shift 2
  [ "$target" = record ] && own=(-max_len=140000 -close_fd_mask=2)
  "$build/fuzz/fuzz_$target" "${limits[@]}" "${own[@]}" \
    -artifact_prefix="$build/fuzz/artifacts/$target-" "$@" >>"$log" 2>&1
}

status=0
mkdir -p "$build/fuzz/artifacts"
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/$target"
  found="$build/fuzz/corpus/$target"
  log="$build/fuzz/$target.log"
  mkdir -p "$found"
  : >"$log"
  ok=1
  if [ "$smoke" = 1 ]; then
    run "$target" "$log" -runs=0 "$seeds" || ok=0
  fi
  if [ "$ok" = 1 ] && [ "$seconds" -gt 0 ]; then
    run "$target" "$log" -max_total_time="$seconds" -print_final_stats=1 "$found" "$seeds" || ok=0
  fi
  if [ "$ok" = 1 ]; then
    echo "fuzz $target: ok ($(awk '/^Done [0-9]+ runs/ { n += $2 } END { print n + 0 }' "$log")" \
      "runs, $(ls "$found" | wc -l) inputs found)"
  else
    echo "fuzz $target: FAILED (log: $log)"
    grep -E 'ERROR|SUMMARY|Test unit written|==[0-9]+==' "$log" | tail -20
    status=1
  fi
done
exit $status
