#!/usr/bin/env bash
# The whole game from the outside: "move" held from the first frame, the square crosses the
# scene seven times and the program ends by itself with status 0. On the way, screenshots
# show only the two dither colours inside the picture, and black bars once the window grows.
# Usage: game_e2e.sh BINARY. With E2E_SCREENSHOT_OUT set, the first screenshot is also kept
# there as a small two-colour PNG.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

binary="$1"

FRAMES_TO_END=2029  # 289 + 6 * 290 held frames
FRAME_MS=16

#-------------------------------------------------------------------------------------------
# Play-through
#-------------------------------------------------------------------------------------------
keep_screenshot() {
  [ -n "${E2E_SCREENSHOT_OUT:-}" ] || return 0
  convert "$1" -alpha off -colors 2 -type bilevel -strip "PNG8:$E2E_SCREENSHOT_OUT"
}

play_through() {
  start_xvfb || return 1
  start_app "$binary"
  local id
  id="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  focus_window "$id" || return 1
  key_down space || return 1
  local started=$SECONDS

  sleep 3
  screenshot "$id" "$E2E_TMP/play.png" || return 1
  expect_eq "window size" "$(window_size "$id")" "640x480" || return 1
  only_dither_colours "$E2E_TMP/play.png" || return 1
  keep_screenshot "$E2E_TMP/play.png" || return 1

  # 1000x1000: the 1.5625 scale is cut to 1, so the picture sits at (180, 260) with bars.
  xdotool windowsize "$id" 1000 1000 || return 1
  sleep 1
  screenshot "$id" "$E2E_TMP/resized.png" || return 1
  expect_eq "resized window" "$(window_size "$id")" "1000x1000" || return 1
  only_dither_colours "$E2E_TMP/resized.png" 640x480+180+260 || return 1
  only_black_outside "$E2E_TMP/resized.png" 180 260 640 480 || return 1

  local status=0
  wait_app 90 || status=$?
  key_up space
  expect_eq "exit status after the last stage" "$status" 0 || { app_stderr >&2; return 1; }
  # Paced frames cannot end sooner than the held frames take.
  local elapsed=$((SECONDS - started)) least=$((FRAMES_TO_END * FRAME_MS / 1000 - 1))
  if [ "$elapsed" -lt "$least" ]; then
    echo "e2e: the game ended after ${elapsed}s, sooner than ${least}s of paced frames" >&2
    return 1
  fi
  echo "played through in about ${elapsed}s"
}

play_through
