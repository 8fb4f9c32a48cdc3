#!/usr/bin/env bash
# The Windows release from the outside, under Wine on a private X server: the zip players
# download is unpacked into a folder whose name has non-ASCII letters and started from
# elsewhere, with no DLL on the search path but its own. Its window is titled "Quillow" and
# shows the first stage picture in the two dither colours; each of the four "move" keys in
# turn carries the square across the scene to the next stage picture; Alt+F4 ends the game
# with status 0, with or without a sound device. Prints the time from start to the first
# frame. When it cannot start, the player is told in a message box titled "Quillow", and the
# status is 1 once it is closed.
# Usage: wine_e2e.sh CASE WINE_SH BUILD_DIR ZIP IMAGES_DIR, CASE one of play, start-failure.
#   WINE_SH: windows/wine.sh; BUILD_DIR: the Windows build (its Wine prefix); ZIP: the zip;
#   IMAGES_DIR: the raw stage pictures the generator painted (stage_image_N.raw).
set -uo pipefail
source "$(dirname "$0")/lib.sh"

# Absolute paths: the game is started from another working directory.
case_name="$1"
wine_sh="$(realpath "$2")"
build="$(realpath "$3")"
zip="$(realpath "$4")"
images="$(realpath "$5")"

# Windows' own sound drivers, as on a player's machine; without a sound device (as here) the
# game goes on silent.
export SDL_AUDIODRIVER="wasapi,directsound,winmm"

DARK="0,0,0"
LIGHT="254,254,254"
STAGES=7
THUMB=20x15  # 32x32 blocks: the mean of a block is steady however the pixels dither

#-------------------------------------------------------------------------------------------
# Pictures
#-------------------------------------------------------------------------------------------
# Each stage picture shrunk to block means, one number a line in $E2E_TMP/stages (stage by
# stage): a pixel's index is its chance in 255ths of coming out light, so a block of the
# dithered window has about the same mean as the picture's.
make_thumbs() {
  local k
  : >"$E2E_TMP/stages"
  for k in $(seq 0 $((STAGES - 1))); do
    convert -size 640x480 -depth 8 "gray:$images/stage_image_$k.raw" -filter box \
      -resize "$THUMB!" -depth 8 gray:- | od -An -tu1 -v | tr -s ' ' '\n' | grep . \
      >>"$E2E_TMP/stages" || return 1
  done
}

# geometry ID: the window's WxH+X+Y on the screen.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w "x" h "+" x "+" y}'
}

# grab ID FILE: the window's picture as the screen shows it (the root window holds what
# Wine's renderer drew into the game's window).
grab() { import -window root -crop "$(geometry "$1")" +repage "$2"; }

# stage_shown ID: the number of the stage picture the window is closest to now (least mean
# absolute difference of the block means).
stage_shown() {
  import -window root -crop "$(geometry "$1")" +repage -colorspace gray -filter box \
    -resize "$THUMB!" -depth 8 gray:- | od -An -tu1 -v | tr -s ' ' '\n' | grep . |
    awk -v stages="$STAGES" 'NR == FNR {ref[NR - 1] = $1; n++; next} {shot[m++] = $1}
      END {
        per = n / stages; best = 0; best_d = -1
        for (k = 0; k < stages; k++) {
          d = 0
          for (i = 0; i < per; i++) { v = shot[i] - ref[k * per + i]; d += v < 0 ? -v : v }
          if (best_d < 0 || d < best_d) { best = k; best_d = d }
        }
        print best
      }' "$E2E_TMP/stages" -
}

colours() {
  convert "$1" -alpha off -depth 8 -format %c histogram:info:- |
    sed -E 's/.*\( *([0-9]+), *([0-9]+), *([0-9]+).*/\1,\2,\3/' | sort -u | tr '\n' ' '
}

# first_frame ID SECONDS: waits until the window shows the two dither colours.
first_frame() {
  local i
  for i in $(seq $(($2 * 2))); do
    grab "$1" "$E2E_TMP/first.png" || return 1
    [ "$(colours "$E2E_TMP/first.png")" = "$DARK $LIGHT " ] && return 0
    app_running || break
    sleep 0.5
  done
  echo "e2e: no two-colour picture within $2 s; colours: $(colours "$E2E_TMP/first.png")" >&2
  return 1
}

#-------------------------------------------------------------------------------------------
# Libraries
#-------------------------------------------------------------------------------------------
# only_own_or_system_dlls FOLDER: every DLL a program or DLL in FOLDER imports is either in
# FOLDER or one of Windows' own (those of the Wine prefix's system32).
only_own_or_system_dlls() {
  local system="$build/wine/drive_c/windows/system32" file dll bad=0
  for file in "$1"/*.exe "$1"/*.dll; do
    [ -f "$file" ] || continue
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ {print $3}'); do
      [ -n "$(find "$1" "$system" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
      echo "e2e: $(basename "$file") needs $dll, which is neither in the zip nor Windows'" >&2
      bad=1
    done
  done
  return "$bad"
}

# icon_and_name EXE: the program carries the game's icon (Explorer shows it) and names itself
# in its version resource (its Properties page).
icon_and_name() {
  local rc
  rc="$(x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null)"
  if ! grep -q RT_GROUP_ICON <<<"$rc" || ! grep -q '"FileDescription", "Quillow"' <<<"$rc" ||
    [ "$(grep -c VERSIONINFO <<<"$rc")" != 1 ]; then
    echo "e2e: $(basename "$1") lacks its icon, or one version resource naming Quillow" >&2
    return 1
  fi
}

#-------------------------------------------------------------------------------------------
# Play
#-------------------------------------------------------------------------------------------
# cross_with KEY ID STAGE: holds KEY until the window shows stage picture STAGE.
cross_with() {
  local key="$1" id="$2" want="$3" i shown=""
  key_down "$key" || return 1
  for i in $(seq 120); do
    sleep 1
    shown="$(stage_shown "$id")"
    [ "$shown" = "$want" ] && break
  done
  key_up "$key"
  expect_eq "stage after holding $key" "$shown" "$want" || return 1
  echo "$key carried the square to stage $want"
}

# unpack: the zip in a folder whose name has non-ASCII letters; prints the path of the game.
unpack() {
  local folder="$E2E_TMP/Spiele für Käthe – 遊戲" exe
  mkdir -p "$folder" || return 1
  (cd "$folder" && cmake -E tar xf "$zip") || return 1
  exe="$(find "$folder" -name quillow.exe | head -n1)"
  [ -n "$exe" ] || { echo "e2e: no quillow.exe in $zip" >&2; return 1; }
  only_own_or_system_dlls "$(dirname "$exe")" || return 1
  icon_and_name "$exe" || return 1
  echo "$exe"
}

# start_unpacked EXE: starts it from another folder, with only the zip's own DLLs (nothing
# on Wine's search path), on SDL's Windows video driver unless a test names another (start_app
# would otherwise name X11, which Windows' SDL does not have).
start_unpacked() {
  cd "$E2E_TMP" || return 1
  export WINEPATH=""
  export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-windows}"
  start_app "$wine_sh" "$build" "$1"
}

play() {
  start_xvfb || return 1
  make_thumbs || return 1
  local exe
  exe="$(unpack)" || return 1
  local started
  started="$(date +%s%N)"
  start_unpacked "$exe"
  local id
  id="$(wait_for_window Quillow 90)" || { app_stderr >&2; return 1; }
  first_frame "$id" 90 || return 1
  echo "first frame $((($(date +%s%N) - started) / 1000000)) ms after start"

  expect_eq "window title" "$(window_name "$id")" "Quillow" || return 1
  expect_eq "window size" "$(window_size "$id")" "640x480" || return 1
  expect_eq "stage picture at start" "$(stage_shown "$id")" 0 || return 1

  focus_window "$id" || return 1
  local stage=1 key
  for key in space j f x; do
    cross_with "$key" "$id" "$stage" || return 1
    stage=$((stage + 1))
  done

  xdotool keydown alt keydown F4 && sleep 0.2 && xdotool keyup F4 keyup alt
  local status=0
  wait_app 30 || status=$?
  expect_eq "exit status after Alt+F4" "$status" 0 || { app_stderr >&2; return 1; }
}

# No video driver to be had: a message box (not the 640x480 game window) says so and keeps
# the program waiting until it is closed with Return; the status is then 1.
start_failure() {
  start_xvfb || return 1
  local exe id
  exe="$(unpack)" || return 1
  export SDL_VIDEODRIVER=none
  start_unpacked "$exe"
  id="$(wait_for_window Quillow 90)" || { app_stderr >&2; return 1; }
  sleep 2
  app_running || { echo "e2e: the program did not wait for its message box" >&2; return 1; }
  [ "$(window_size "$id")" != "640x480" ] || { echo "e2e: a game window, not a message" >&2; return 1; }
  focus_window "$id" && xdotool key Return
  local status=0
  wait_app 30 || status=$?
  expect_eq "exit status after the message" "$status" 1 || { app_stderr >&2; return 1; }
}

case "$case_name" in
  play) play ;;
  start-failure) start_failure ;;
  *) echo "wine_e2e.sh: unknown case \"$case_name\"" >&2; exit 2 ;;
esac
