#!/usr/bin/env bash
# The game as a citizen of the desktop, under a window manager: minimised it stands still
# (next to no processor time, only silence to the sound device) and comes back drawing and
# playing; M mutes and unmutes. The sound device is SDL's disk driver, which writes what it
# would play to a file at the pace a sound card would take it (one buffer's time a write).
# Usage: desktop_e2e.sh CASE BINARY, CASE one of hidden, mute.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

case_name="$1"
binary="$2"

#-------------------------------------------------------------------------------------------
# Probes
#-------------------------------------------------------------------------------------------
# cpu_ns [audio]: the processor time the game's own threads have had so far, in nanoseconds
# (the scheduler's exact count; /proc/PID/stat's ticks are a hundredth of a second coarse);
# with "audio", that of SDL's sound device thread instead, which the disk driver keeps busy
# writing its file whatever the game does (a sound card's thread sleeps on the card).
cpu_ns() {
  local task sum=0
  for task in /proc/"$E2E_APP_PID"/task/*; do
    case "$(cat "$task/comm" 2>/dev/null)" in SDLAudio*) [ "${1:-}" = audio ] ;; *) [ -z "${1:-}" ] ;; esac &&
      sum=$((sum + $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)))
  done
  echo "$sum"
}

# sound_over SECONDS: how many bytes the device received over the next SECONDS are not zero
# (zero is silence for the signed samples the game plays); -1 when it received none.
AUDIO_FILE=""
sound_over() {
  local from to
  from="$(stat -c %s "$AUDIO_FILE")"
  sleep "$1"
  to="$(stat -c %s "$AUDIO_FILE")"
  [ "$to" -gt "$from" ] || { echo "e2e: the sound device received nothing" >&2; echo -1; return; }
  tail -c +"$((from + 1))" "$AUDIO_FILE" | head -c "$((to - from))" | tr -d '\0' | wc -c
}

# expect_sound WHEN SECONDS, expect_silence WHEN SECONDS: over the next SECONDS.
expect_sound() {
  [ "$(sound_over "$2")" -gt 0 ] && return 0
  echo "e2e: sound $1: the device received only silence" >&2
  return 1
}
expect_silence() { expect_eq "non-zero sound bytes $1" "$(sound_over "$2")" 0; }

# picture_changes ID: two screenshots a fifth of a second apart differ (the dither moves).
picture_changes() {
  screenshot "$1" "$E2E_TMP/a.png" && sleep 0.2 && screenshot "$1" "$E2E_TMP/b.png" || return 1
  ! cmp -s <(convert "$E2E_TMP/a.png" rgb:-) <(convert "$E2E_TMP/b.png" rgb:-)
}

# minimise ID: minimises the window and waits until the window manager has taken it off.
minimise() {
  timeout 10 xdotool windowminimize --sync "$1" && return 0
  echo "e2e: window $1 still on the screen 10 s after minimising" >&2
  return 1
}

# start_game: the game under openbox, its window's id in GAME_ID, its sound into a file in
# /dev/shm where there is one (on a disk, the test's own writes would cost the game time).
GAME_ID=""
start_game() {
  start_xvfb || return 1
  AUDIO_FILE="$(mktemp -p /dev/shm quillow-e2e.XXXXXX 2>/dev/null || echo "$E2E_TMP/audio.raw")"
  trap 'rm -f "$AUDIO_FILE"; e2e_cleanup' EXIT
  start_wm || return 1
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO_FILE" start_app "$binary"
  GAME_ID="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  wait_viewable "$GAME_ID"
}

#-------------------------------------------------------------------------------------------
# Cases
#-------------------------------------------------------------------------------------------
# Shown, then minimised for 5 s, then shown again: minimised the game's threads use under
# 0.5% of a core (25 ms in 5 s) and it sends only silence; back, it draws and plays again; a quit while
# minimised still ends it with status 0.
hidden_rests() {
  local shown hidden before before_audio status=0
  start_game || return 1
  sleep 1
  before="$(cpu_ns)"
  expect_sound "while shown" 5 || return 1
  shown=$(($(cpu_ns) - before))
  minimise "$GAME_ID" || return 1
  sleep 0.5  # what was already in the device's buffer
  before="$(cpu_ns)" before_audio="$(cpu_ns audio)"
  expect_silence "while minimised" 5 || return 1
  hidden=$(($(cpu_ns) - before))
  echo "processor time over 5 s: shown $((shown / 1000000)) ms, minimised $((hidden / 1000000)) ms" \
    "(and the disk sound driver's thread $((($(cpu_ns audio) - before_audio) / 1000000)) ms)"
  [ "$hidden" -lt 25000000 ] || { echo "e2e: minimised it used over 25 ms in 5 s" >&2; return 1; }
  xdotool windowactivate "$GAME_ID" && wait_viewable "$GAME_ID" || return 1
  sleep 0.5
  expect_sound "after coming back" 1 || return 1
  picture_changes "$GAME_ID" || { echo "e2e: the picture stands still once back" >&2; return 1; }
  minimise "$GAME_ID" && signal_app TERM || return 1
  wait_app 10 || status=$?
  expect_eq "exit status after a quit while minimised" "$status" 0 || { app_stderr >&2; return 1; }
}

# M silences everything; M again brings the music back.
mute_key() {
  start_game && focus_window "$GAME_ID" || return 1
  sleep 1
  expect_sound "before M" 1 || return 1
  key_tap m && sleep 0.3 && expect_silence "after M" 1 || return 1
  key_tap m && sleep 0.3 && expect_sound "after M again" 1
}

case "$case_name" in
  hidden) hidden_rests ;;
  mute) mute_key ;;
  *) echo "desktop_e2e.sh: unknown case '$case_name'" >&2; exit 2 ;;
esac
