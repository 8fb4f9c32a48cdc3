#!/usr/bin/env bash
# F12 under a real X server: the PNG the game writes is the picture its window shows. The
# picture shimmers every frame, so the game is held still right after the frame it saved:
# its stdout is a pipe filled to the brim, and the line naming the file blocks it until the
# window has been photographed. Usage: capture_e2e.sh BINARY
set -uo pipefail
source "$(dirname "$0")/lib.sh"

binary="$1"

# wait_blocked PID: until the program sleeps in a write to its full pipe (5 s at most).
wait_blocked() {
  local i
  for i in $(seq 50); do
    grep -qs pipe_write /proc/"$1"/task/*/wchan && return 0
    sleep 0.1
  done
  return 0  # wchan may be hidden; the file is complete by now all the same
}

screenshot_is_the_window() {
  start_xvfb || return 1
  local pictures="$E2E_TMP/pictures" pipe="$E2E_TMP/stdout"
  mkfifo "$pipe" || return 1
  exec 3<>"$pipe"
  head -c "$(getconf PAGESIZE 2>/dev/null | awk '{print $1 * 16}')" /dev/zero >&3
  XDG_PICTURES_DIR="$pictures" SDL_AUDIODRIVER=dummy "$binary" >&3 2>"$E2E_TMP/app.err" &
  E2E_APP_PID=$!
  local id
  id="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  focus_window "$id" || return 1
  sleep 1
  key_flick F12 || return 1
  local png="" i
  for i in $(seq 100); do
    png="$(find "$pictures" -name 'quillow-*.png' 2>/dev/null | head -n1)"
    [ -n "$png" ] && break
    sleep 0.1
  done
  [ -n "$png" ] || { echo "e2e: no screenshot under $pictures" >&2; app_stderr >&2; return 1; }
  expect_eq "folder" "$(dirname "$png")" "$pictures/Quillow" || return 1
  wait_blocked "$E2E_APP_PID"
  screenshot "$id" "$E2E_TMP/window.png" || return 1
  local differing
  differing="$(compare -metric AE "$png" "$E2E_TMP/window.png" null: 2>&1)"
  expect_eq "pixels that differ between the PNG and the window" "$differing" 0 || return 1
  only_dither_colours "$png" || return 1
  local said
  said="$(timeout 1 cat <&3 | tr -d '\0')"
  expect_eq "what the game said" "$said" "Screenshot saved: $png" || return 1
  signal_app TERM
  local status=0
  wait_app 10 || status=$?
  expect_eq "exit status" "$status" 0 || { app_stderr >&2; return 1; }
}

screenshot_is_the_window
