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
# cpu_ns: the processor time its threads have had so far, in nanoseconds (the scheduler's
# exact count; /proc/PID/stat's ticks are a hundredth of a second coarse).
cpu_ns() { cat /proc/"$E2E_APP_PID"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s}'; }

# The sound goes to memory where there is a /dev/shm: written to a disk, the file would cost
# the test's own writes to the game's processor time.
AUDIO_FILE=""
audio_file() { echo "$AUDIO_FILE"; }
audio_bytes() { stat -c %s "$AUDIO_FILE"; }

# audio_nonzero FROM TO: how many bytes of the sound written between the two offsets are
# not zero (zero is silence for the signed samples the game plays).
audio_nonzero() {
  tail -c +"$(($1 + 1))" "$(audio_file)" | head -c "$(($2 - $1))" | tr -d '\0' | wc -c
}

# sound_over SECONDS: the non-zero bytes the device received over the next SECONDS.
sound_over() {
  local from to
  from="$(audio_bytes)"
  sleep "$1"
  to="$(audio_bytes)"
  [ "$to" -gt "$from" ] || { echo "e2e: the sound device received nothing" >&2; echo -1; return; }
  audio_nonzero "$from" "$to"
}

# picture_changes ID: two screenshots a fifth of a second apart differ (the dither moves).
picture_changes() {
  screenshot "$1" "$E2E_TMP/a.png" && sleep 0.2 && screenshot "$1" "$E2E_TMP/b.png" || return 1
  ! cmp -s <(convert "$E2E_TMP/a.png" rgb:-) <(convert "$E2E_TMP/b.png" rgb:-)
}

# wait_unmapped ID: waits until the window manager has taken the window off the screen.
wait_unmapped() {
  local i
  for i in $(seq 100); do
    xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsUnMapped" && return 0
    sleep 0.1
  done
  echo "e2e: window $1 still on the screen after minimising" >&2
  return 1
}

# start_game: the game under openbox, its sound into the file; its window's id in GAME_ID.
GAME_ID=""
start_game() {
  start_xvfb || return 1
  AUDIO_FILE="$(mktemp -p /dev/shm quillow-e2e.XXXXXX 2>/dev/null || echo "$E2E_TMP/audio.raw")"
  trap 'rm -f "$AUDIO_FILE"; e2e_cleanup' EXIT
  start_wm || return 1
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$(audio_file)" start_app "$binary"
  GAME_ID="$(wait_for_window Quillow 15)" || { app_stderr >&2; return 1; }
  wait_viewable "$GAME_ID"
}

#-------------------------------------------------------------------------------------------
# Cases
#-------------------------------------------------------------------------------------------
# Shown, then minimised for 5 s, then shown again: minimised the game uses under 0.5% of a
# core and sends only silence; back, it draws and plays again; a quit while minimised still
# ends it with status 0.
hidden_rests() {
  local id shown hidden before
  start_game || return 1
  id="$GAME_ID"
  sleep 1
  before="$(cpu_ns)"
  expect_nonzero "sound while shown" "$(sound_over 5)" || return 1
  shown=$(($(cpu_ns) - before))
  xdotool windowminimize "$id" && wait_unmapped "$id" || return 1
  sleep 0.5  # what was already in the device's buffer
  before="$(cpu_ns)"
  expect_eq "non-zero sound bytes while minimised" "$(sound_over 5)" 0 || return 1
  hidden=$(($(cpu_ns) - before))
  # Per mille of a core over 5 s (5e9 ns): the bound is 0.5%, 5 per mille.
  echo "processor time over 5 s: shown $((shown / 1000000)) ms" \
    "($((shown / 5000000)) per mille of a core), minimised $((hidden / 1000000)) ms" \
    "($((hidden / 5000000)) per mille)"
  [ $((hidden * 200)) -lt 5000000000 ] ||
    { echo "e2e: minimised the game used $((hidden / 1000000)) ms in 5 s" >&2; return 1; }
  xdotool windowactivate "$id" && wait_viewable "$id" || return 1
  sleep 0.5
  expect_nonzero "sound after coming back" "$(sound_over 1)" || return 1
  picture_changes "$id" || { echo "e2e: the picture stands still after coming back" >&2; return 1; }
  xdotool windowminimize "$id" && wait_unmapped "$id" || return 1
  signal_app TERM
  local status=0
  wait_app 10 || status=$?
  expect_eq "exit status after a quit while minimised" "$status" 0 || { app_stderr >&2; return 1; }
}

# M silences everything; M again brings the music back.
mute_key() {
  local id
  start_game || return 1
  id="$GAME_ID"
  focus_window "$id" || return 1
  sleep 1
  expect_nonzero "sound before M" "$(sound_over 1)" || return 1
  key_tap m || return 1
  sleep 0.3
  expect_eq "non-zero sound bytes after M" "$(sound_over 1)" 0 || return 1
  key_tap m || return 1
  sleep 0.3
  expect_nonzero "sound after M again" "$(sound_over 1)" || return 1
}

expect_nonzero() {
  [ "$2" -gt 0 ] || { echo "e2e: $1: the device received only silence" >&2; return 1; }
}

case "$case_name" in
  hidden) hidden_rests ;;
  mute) mute_key ;;
  *) echo "desktop_e2e.sh: unknown case '$case_name'" >&2; exit 2 ;;
esac
