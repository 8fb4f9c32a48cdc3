#!/usr/bin/env bash
# The real game binary from the outside: its window on a private X server, its exit status
# when asked to stop, its failure without any display, and its renderer without a GPU.
# Usage: window_e2e.sh CASE BINARY, CASE one of window, sigterm, no-display, display-lost,
# renderer.
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

# No display at all: start-up fails with status 1 and says why on stderr, whether the X11
# driver is asked for or SDL is left to fall back on its own.
no_display_fails() {
  local err status driver
  for driver in x11 ""; do
    status=0
    err="$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ${driver:+SDL_VIDEODRIVER=$driver} \
      SDL_AUDIODRIVER=dummy timeout 20 "$binary" 2>&1 >/dev/null)" || status=$?
    expect_eq "exit status without a display (SDL_VIDEODRIVER=$driver)" "$status" 1 || return 1
    if [ -z "$err" ]; then
      echo "e2e: nothing on stderr without a display (SDL_VIDEODRIVER=$driver)" >&2
      return 1
    fi
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

case "$case_name" in
  window) window_appears ;;
  sigterm) sigterm_ends_cleanly ;;
  no-display) no_display_fails ;;
  display-lost) display_lost_ends ;;
  renderer) software_renderer_without_gpu ;;
  *) echo "window_e2e.sh: unknown case \"$case_name\"" >&2; exit 2 ;;
esac
