#!/usr/bin/env bash
# Measures the real game under a private Xvfb: start-up time to the first presented frame
# (timed by a preloaded SDL_RenderPresent wrapper, first_present.c), to the window being
# mapped and to the first light pixel seen on screen (both polled), and the peak resident
# memory (VmHWM) of a whole play-through with "move" held. With STARTS given, that many more
# start-ups are timed to their first presented frame (each program stopped right after it),
# and the fastest and the median are printed too: one start-up on a busy machine says little.
# Usage: measure_run.sh BINARY [STARTS]
set -uo pipefail
source "$(dirname "$0")/../../tests/e2e/lib.sh"

binary="$1"
starts="${2:-0}"

now_ms() { date +%s%3N; }

# light_pixels ID: how many light pixels a 64x64 patch in the middle of the window shows.
light_pixels() {
  import -window "$1" -crop 64x64+288+208 +repage png:- 2>/dev/null |
    convert png:- -alpha off -format "%[fx:round(mean*w*h)]" info: 2>/dev/null
}

start_xvfb || exit 1
shim="$E2E_TMP/first_present.so"
cc -shared -fPIC -O2 -o "$shim" "$(dirname "$0")/first_present.c" -ldl || exit 1
launched=$(now_ms)
LD_PRELOAD="$shim" start_app "$binary"
id="$(wait_for_window Quillow 15)" || exit 1
mapped=$(now_ms)
until [ "$(light_pixels "$id")" -gt 0 ] 2>/dev/null; do
  app_running || { echo "the game ended before its first frame" >&2; exit 1; }
  sleep 0.02
done
shown=$(now_ms)
focus_window "$id" && key_down space

peak=0
while app_running; do
  kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$E2E_APP_PID/status" 2>/dev/null || echo 0)
  [ "${kb:-0}" -gt "$peak" ] && peak=$kb
  sleep 0.5
done
key_up space
presented=$(awk '/^first-present/ {print $2; exit}' "$E2E_TMP/app.err")
cpu=$(awk '/^first-present/ {print $4; exit}' "$E2E_TMP/app.err")
echo "first frame presented after $((presented - launched)) ms (processor time used by then: $cpu ms)"
echo "window mapped after $((mapped - launched)) ms"
echo "first light pixel seen on screen after $((shown - launched)) ms"
echo "peak resident memory (VmHWM) ${peak} kB"

# first_present_after: starts the game once more and prints the milliseconds from its launch
# to its first presented frame, and the processor time it had used by then.
first_present_after() {
  local launched line i
  : >"$E2E_TMP/app.err"
  launched=$(now_ms)
  LD_PRELOAD="$shim" start_app "$binary"
  for i in $(seq 200); do
    line=$(awk '/^first-present/ {print $2, $4; exit}' "$E2E_TMP/app.err")
    [ -n "$line" ] && break
    sleep 0.05
  done
  stop_app
  [ -n "$line" ] && echo "$((${line% *} - launched)) ${line#* }"
}

# median VALUES...: the middle value, and the fastest, of numbers.
median() {
  local sorted
  sorted=($(printf '%s\n' "$@" | sort -n))
  echo "fastest ${sorted[0]}, median ${sorted[$((${#sorted[@]} / 2))]}"
}

if [ "$starts" -gt 0 ]; then
  walls=() cpus=()
  for _ in $(seq "$starts"); do
    if t=$(first_present_after); then
      walls+=("${t% *}")
      cpus+=("${t#* }")
    fi
  done
  echo "$starts more starts, first frame presented after (ms): ${walls[*]}"
  echo "  $(median "${walls[@]}") ms; processor time by then (ms): $(median "${cpus[@]}")"
fi
