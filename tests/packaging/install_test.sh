#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: every file a player or a game maker looks for is
# where they look, nothing is named like a system library, and a game maker's program outside
# our tree builds against the installed engine twice, through find_package and through
# pkg-config alone, and runs headless.
# Usage: install_test.sh BUILD_DIR CONSUMER_SOURCE_DIR
set -euo pipefail
build="$1"
consumer="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"

fail() {
  echo "install: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install failed"; }

#-------------------------------------------------------------------------------------------
# The installed tree
#-------------------------------------------------------------------------------------------
libdir="$(dirname "$(find "$prefix" -name liborvex.a)")"
[ -d "$libdir" ] || fail "no liborvex.a"
for f in games/quillow lib/games/quillow/res/ost.wav lib/games/quillow/res/rise.wav \
  share/applications/quillow.desktop share/man/man6/quillow.6.gz \
  include/orvex/orvex.hpp include/orvex/px.hpp include/orvex/input.hpp; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
for f in liborvex_px.a liborvex_input.a cmake/Orvex/OrvexConfig.cmake pkgconfig/orvex.pc; do
  [ -e "$libdir/$f" ] || fail "missing $libdir/$f"
done
[ -x "$(readlink -f "$prefix/games/quillow")" ] || fail "games/quillow does not lead to the program"
clashes="$(find "$prefix" -name 'libinput*' -o -name 'libpx*' -o -name 'libgame*')"
[ -z "$clashes" ] || fail "names a system library may have: $clashes"

# Each icon is a PNG of the size its folder names (width and height sit at bytes 16..23).
for n in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${n}x${n}/apps/quillow.png"
  [ -f "$icon" ] || fail "missing icon $n"
  size="$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}')"
  [ "$size" = "${n}x${n}" ] || fail "icon $n is $size"
done

#-------------------------------------------------------------------------------------------
# A game maker's program
#-------------------------------------------------------------------------------------------
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

cmake -S "$consumer" -B "$tmp/by-cmake" -DCMAKE_PREFIX_PATH="$prefix" >"$tmp/cmake.log" 2>&1 &&
  cmake --build "$tmp/by-cmake" >>"$tmp/cmake.log" 2>&1 || { cat "$tmp/cmake.log"; fail "find_package build failed"; }
"$tmp/by-cmake/consumer" || fail "the find_package build did not run"

flags="$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs orvex)" || fail "pkg-config has no orvex"
"${CXX:-c++}" -std=c++20 -o "$tmp/by-pkg-config" "$consumer/consumer.cpp" $flags || fail "pkg-config build failed"
"$tmp/by-pkg-config" || fail "the pkg-config build did not run"
echo "install: ok ($prefix)"
