#!/usr/bin/env bash
# The real game binary from the outside: its window on a private X server, its exit status
# when asked to stop, its failure without any display, its end when the display goes away,
# its renderer without a GPU, and its advice when it has no sound.
# Usage: window_e2e.sh CASE BINARY, CASE one of window, sigterm, no-display, display-lost,
# renderer, sound.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

case_name="$1"
binary="$2"

#-------------------------------------------------------------------------------------------
# Cases
#-------------------------------------------------------------------------------------------
# A window titled "Quillow" of 640x480 with the game's 64x64 icon appears and the program
# keeps running.
window_appears() {
  start_xvfb || return 1
  start_app "$binary"
  local id
  id="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  expect_eq "window title" "$(window_name "$id")" "Quillow" || return 1
  expect_eq "window size" "$(window_size "$id")" "640x480" || return 1
  # The icon is set just after the window appears.
  local icon="" i
  for i in $(seq 50); do
    icon="$(xprop -id "$id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)')"
    [ -n "$icon" ] && break
    sleep 0.1
  done
  expect_eq "window icon" "$icon" "Icon (64 x 64)" || return 1
  sleep 1
  app_running || { echo "e2e: program ended on its own" >&2; app_stderr >&2; return 1; }
}

# SIGTERM reaches the program as a quit: the loop ends and the exit status is 0.
sigterm_ends_cleanly() {
  start_xvfb || return 1
  start_app "$binary"
  wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; return 1; }
  signal_app TERM
  local status=0
  wait_app 10 || status=$?
  expect_eq "exit status after SIGTERM" "$status" 0 || { app_stderr >&2; return 1; }
}

# No display at all: start-up fails with status 1, whether the X11 driver is asked for or SDL
# is left to fall back on its own, and after SDL's message the last line tells the player
# what failed and what to do.
no_display_fails() {
  local err status driver
  for driver in x11 ""; do
    status=0
    err="$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ${driver:+SDL_VIDEODRIVER=$driver} \
      SDL_AUDIODRIVER=dummy timeout 20 "$binary" 2>&1 >/dev/null)" || status=$?
    expect_eq "exit status without a display (SDL_VIDEODRIVER=$driver)" "$status" 1 || return 1
    expect_eq "the last line without a display (SDL_VIDEODRIVER=$driver)" "$(tail -n1 <<<"$err")" \
      "quillow: cannot open a window (no display?): run it from a desktop session, or set DISPLAY" ||
      { echo "stderr: $err" >&2; return 1; }
    echo "stderr: $err"
  done
}

# The X server goes away under the running game: it says so and ends with status 1 instead
# of hanging in its exit handlers on the dead connection.
display_lost_ends() {
  start_xvfb || return 1
  start_app "$binary"
  wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; return 1; }
  stop_xvfb
  local status=0
  wait_app 10 || status=$?
  expect_eq "exit status after the display went away" "$status" 1 || { app_stderr >&2; return 1; }
  grep -q "connection to the display was lost" "$E2E_TMP/app.err" ||
    { echo "e2e: no word of the lost display on stderr" >&2; app_stderr >&2; return 1; }
}

# Xvfb has no DRI, so OpenGL there is a CPU rasteriser: the game draws with SDL's software
# renderer and never loads a GL driver. SDL_RENDER_DRIVER=opengl still gets OpenGL.
gl_driver_loaded() {
  grep -qE 'libGLX_mesa|libEGL_mesa|_dri\.so|libgallium|libLLVM' "/proc/$E2E_APP_PID/maps"
}

software_renderer_without_gpu() {
  start_xvfb || return 1
  start_app env -u SDL_RENDER_DRIVER "$binary"
  wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; return 1; }
  sleep 1
  app_running || { echo "e2e: program ended on its own" >&2; app_stderr >&2; return 1; }
  if gl_driver_loaded; then
    echo "e2e: a GL driver was loaded on a display without a GPU" >&2
    return 1
  fi
  stop_app
  SDL_RENDER_DRIVER=opengl start_app "$binary"
  wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; return 1; }
  sleep 1
  gl_driver_loaded || { echo "e2e: SDL_RENDER_DRIVER=opengl loaded no GL driver" >&2; return 1; }
}

# quillow_lines FILE: the lines of the game's own advice in its stderr.
quillow_lines() { grep '^quillow: ' "$1"; }

# Without an audio device, and then without its music files, the game still opens its window
# and plays on; it says so once, in one line.
sound_failures_explained() {
  start_xvfb || return 1
  SDL_AUDIODRIVER=no-such-driver start_app "$binary"
  wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; return 1; }
  sleep 1
  expect_eq "advice without an audio device" "$(quillow_lines "$E2E_TMP/app.err")" \
    "quillow: no audio device (see above), so the game goes on silent: check the sound settings, or name a driver with SDL_AUDIODRIVER" ||
    return 1
  signal_app TERM && wait_app 10 || return 1

  cp "$binary" "$E2E_TMP/quillow"  # a copy with no res/ beside it
  start_app "$E2E_TMP/quillow"
  wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; return 1; }
  sleep 1
  expect_eq "advice without the music" "$(quillow_lines "$E2E_TMP/app.err")" \
    "quillow: music missing: res/ost.wav and res/rise.wav beside the program; the game goes on without it (build it again with make, or reinstall)" ||
    return 1
  signal_app TERM && wait_app 10
}

case "$case_name" in
  window) window_appears ;;
  sigterm) sigterm_ends_cleanly ;;
  no-display) no_display_fails ;;
  display-lost) display_lost_ends ;;
  renderer) software_renderer_without_gpu ;;
  sound) sound_failures_explained ;;
  *) echo "window_e2e.sh: unknown case \"$case_name\"" >&2; exit 2 ;;
esac
