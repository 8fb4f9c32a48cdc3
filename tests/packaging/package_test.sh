#!/usr/bin/env bash
# The Debian packages, made from this build tree into a scratch folder: lintian finds neither
# errors nor warnings, the desktop entry and the AppStream metainfo validate, each package
# depends on what it needs and carries the licence, and the game unpacked from its package
# into a scratch root runs under Xvfb from an unrelated folder: its window appears, its music
# is found, and SIGTERM ends it with status 0. Nothing is installed on the machine.
# Usage: package_test.sh BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/../e2e/lib.sh"
build="$1"

fail() {
  echo "package: $*" >&2
  exit 1
}

start_xvfb || fail "no X server"  # also makes $E2E_TMP, removed at exit
out="$E2E_TMP/debs"
(cd "$build" && cpack -G DEB -B "$out" >"$E2E_TMP/cpack.log" 2>&1) || { cat "$E2E_TMP/cpack.log"; fail "cpack failed"; }
game_deb="$(ls "$out"/quillow_*.deb)" && dev_deb="$(ls "$out"/liborvex-dev_*.deb)" || fail "packages missing"

#-------------------------------------------------------------------------------------------
# Checks on the packages
#-------------------------------------------------------------------------------------------
lintian --fail-on error,warning "$game_deb" "$dev_deb" 2>&1 | grep -v 'running with root privileges'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors or warnings"

depends="$(dpkg-deb -f "$game_deb" Depends)"
for lib in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libsdl2-image-2.0-0 libgif7 libc6; do
  grep -Eq "(^|, )$lib( |,|\$)" <<<"$depends" || fail "quillow does not depend on $lib: $depends"
done
expect_eq "liborvex-dev depends" "$(dpkg-deb -f "$dev_deb" Depends)" "libsdl2-dev, libsdl2-mixer-dev, libsdl2-image-dev, libgif-dev" || exit 1

root="$E2E_TMP/root"
dpkg-deb -x "$game_deb" "$root" || fail "cannot unpack $game_deb"
desktop-file-validate "$root/usr/share/applications/quillow.desktop" || fail "desktop entry"

# Each package's copyright file carries LICENSE: its holders, and its whole text as Debian's
# format writes a field that continues (indented, an empty line a dot).
dpkg-deb -x "$dev_deb" "$E2E_TMP/dev" || fail "cannot unpack $dev_deb"
license="$(dirname "$0")/../../LICENSE"
for copyright in "$root/usr/share/doc/quillow/copyright" \
  "$E2E_TMP/dev/usr/share/doc/liborvex-dev/copyright"; do
  expect_eq "holders in $copyright" "$(sed -n 's/^Copyright: //p' "$copyright")" \
    "$(sed -n '1s/^Copyright (c) //p' "$license")" || exit 1
  expect_eq "licence text in $copyright" \
    "$(tac "$copyright" | sed '/^License: Zlib$/q' | tac | tail -n +2 | sed 's/^ //; s/^\.$//')" \
    "$(tail -n +3 "$license")" || exit 1
done
for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo" || fail "metainfo"
done
appstreamcli validate-tree --no-net "$root" || fail "metainfo and desktop entry together"

#-------------------------------------------------------------------------------------------
# The unpacked game, started from elsewhere
#-------------------------------------------------------------------------------------------
# The check for the music can fail: the bare program, copied away from its res/, says so.
mkdir "$E2E_TMP/elsewhere" && cd "$E2E_TMP/elsewhere" || exit 1
cp "$root/usr/lib/games/quillow/quillow" ./bare
start_app ./bare
for _ in $(seq 150); do
  app_stderr | grep -q "Couldn't open" && break
  sleep 0.1
done
stop_app
app_stderr | grep -q "Couldn't open" || fail "a missing music file went unreported"

# SDL's disk audio driver writes what the game plays to a file: sound in it means music.
audio="$E2E_TMP/audio.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" start_app "$root/usr/games/quillow"
wait_for_window Quillow 15 >/dev/null || { app_stderr >&2; fail "no window"; }
for _ in $(seq 100); do
  [ "$(tr -d '\0' <"$audio" 2>/dev/null | head -c 64 | wc -c)" -gt 0 ] && break
  sleep 0.1
done
signal_app TERM
status=0
wait_app 10 || status=$?
app_stderr >&2
expect_eq "exit status after SIGTERM" "$status" 0 || exit 1
! app_stderr | grep -q "Couldn't open" || fail "the unpacked game did not find its music"
[ "$(tr -d '\0' <"$audio" | head -c 64 | wc -c)" -gt 0 ] || fail "the unpacked game played no sound"
echo "package: ok ($(basename "$game_deb"), $(basename "$dev_deb"))"
