#!/usr/bin/env bash
# The game's other controls from the outside: the left mouse button held on the window plays
# the game through to its end, and F11 or Alt+Enter switch between the window and a
# fullscreen picture letterboxed on the whole screen, under a window manager.
# Usage: controls_e2e.sh CASE BINARY, CASE one of mouse, fullscreen.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

case_name="$1"
binary="$2"

FRAMES_TO_END=2029  # 289 + 6 * 290 held frames
FRAME_MS=16

#-------------------------------------------------------------------------------------------
# Mouse
#-------------------------------------------------------------------------------------------
# Without "move" held the square never reaches a wall, so only the held button can end it.
mouse_plays_through() {
  start_xvfb || return 1
  start_app "$binary"
  local id
  id="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  wait_viewable "$id" || return 1
  sleep 0.5  # the first frames are up
  mouse_down "$id" 320 240 || return 1
  local started=$SECONDS status=0
  wait_app 90 || status=$?
  mouse_up
  expect_eq "exit status with the mouse held" "$status" 0 || { app_stderr >&2; return 1; }
  local elapsed=$((SECONDS - started)) least=$((FRAMES_TO_END * FRAME_MS / 1000 - 1))
  if [ "$elapsed" -lt "$least" ]; then
    echo "e2e: the game ended after ${elapsed}s, sooner than ${least}s of paced frames" >&2
    return 1
  fi
  echo "played through with the mouse in about ${elapsed}s"
}

#-------------------------------------------------------------------------------------------
# Fullscreen
#-------------------------------------------------------------------------------------------
# expect_fullscreen ID WHAT: the window covers the 1280x1024 screen; at scale 2 the picture
# is 1280x960 with black bars of 32 rows above and below.
expect_fullscreen() {
  sleep 1
  expect_eq "window after $2" "$(window_geometry "$1")" "1280x1024+0+0" || return 1
  screenshot "$1" "$E2E_TMP/full.png" || return 1
  only_dither_colours "$E2E_TMP/full.png" 1280x960+0+32 || return 1
  only_black_outside "$E2E_TMP/full.png" 0 32 1280 960 || return 1
}

expect_windowed() {
  sleep 1
  expect_eq "window size after $2" "$(window_size "$1")" "640x480" || return 1
  screenshot "$1" "$E2E_TMP/window.png" || return 1
  only_dither_colours "$E2E_TMP/window.png" || return 1
}

fullscreen_and_back() {
  start_xvfb 1280x1024x24 || return 1
  start_wm || return 1
  start_app "$binary"
  local id
  id="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  expect_eq "screen" "$(screen_size)" "1280x1024" || return 1
  expect_windowed "$id" "start-up" || return 1
  focus_window "$id" || return 1
  key_tap F11 || return 1
  expect_fullscreen "$id" "F11" || return 1
  key_flick F11 || return 1
  expect_windowed "$id" "F11 again (a flick)" || return 1
  focus_window "$id" || return 1
  key_tap alt+Return || return 1
  expect_fullscreen "$id" "Alt+Enter" || return 1
  key_flick alt+Return || return 1
  expect_windowed "$id" "Alt+Enter again (a flick)" || return 1
  app_running || { echo "e2e: the game ended on its own" >&2; app_stderr >&2; return 1; }
}

case "$case_name" in
  mouse) mouse_plays_through ;;
  fullscreen) fullscreen_and_back ;;
  *) echo "controls_e2e.sh: unknown case \"$case_name\"" >&2; exit 2 ;;
esac
