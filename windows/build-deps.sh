#!/usr/bin/env bash
# Cross-builds the libraries the game is made with for 64-bit Windows from Debian's own source
# packages, and installs them into ROOT/prefix: the SDL libraries it ships with (SDL2,
# SDL2_mixer, SDL2_image) as DLLs in bin/, with import libraries, SDL2main and pkg-config
# files in lib/; giflib (the engine's GIF capture) as a static library in lib/; headers in
# include/, where xxHash's single header is copied from the build machine's (it is used
# header-only, so nothing of it is compiled for the build machine).
# Each library is built once per recipe: a stamp file in the prefix is named by a checksum of
# the toolchain, its source folder, its options and the libraries before it (which it links),
# so a second run does nothing, and a changed recipe rebuilds that library and those after it.
# Usage: build-deps.sh ROOT   (e.g. build-windows/deps)
set -euo pipefail

root="$(mkdir -p "$1" && cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$root/prefix"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
recipe="$(cksum <"$here/mingw-w64.cmake" | cut -d' ' -f1)"
# shellcheck source=tools/debian-sources.sh
source "$here/../tools/debian-sources.sh"

#-------------------------------------------------------------------------------------------
# Builds
#-------------------------------------------------------------------------------------------
# cmake_install NAME SOURCE [OPTIONS...]: configures with the mingw toolchain, builds and
# installs into the prefix.
cmake_install() {
  local name="$1" src="$2"
  shift 2
  recipe="$(echo "$recipe $(basename "$src") $*" | cksum | cut -d' ' -f1)"
  local stamp="$prefix/.built-$name-$recipe"
  [ -f "$stamp" ] && return 0
  rm -rf "$root/build-$name" "$prefix/.built-$name-"*
  echo "build-deps: building $name for Windows"
  cmake -S "$src" -B "$root/build-$name" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DQUILLOW_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    "$@" >"$root/build-$name.log" 2>&1 || { tail -n 30 "$root/build-$name.log" >&2; exit 1; }
  cmake --build "$root/build-$name" -j"$jobs" --target install/strip >>"$root/build-$name.log" 2>&1 ||
    { tail -n 30 "$root/build-$name.log" >&2; exit 1; }
  touch "$stamp"
}

# gif_install SOURCE: giflib's library part, compiled directly (its Makefile builds a shared
# library and its utilities for the build machine), as a static libgif.a.
gif_install() {
  local src="$1" cc=x86_64-w64-mingw32-gcc-posix
  local files=(dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray)
  local flags=(-std=gnu99 -O2 -Wall -Wno-format-truncation)
  recipe="$(echo "$recipe $(basename "$src") ${files[*]} ${flags[*]}" | cksum | cut -d' ' -f1)"
  local stamp="$prefix/.built-giflib-$recipe"
  [ -f "$stamp" ] && return 0
  rm -rf "$root/build-giflib" "$prefix/.built-giflib-"*
  echo "build-deps: building giflib for Windows"
  mkdir -p "$root/build-giflib" "$prefix/lib" "$prefix/include"
  local objects=()
  for f in "${files[@]}"; do
    "$cc" "${flags[@]}" -c "$src/$f.c" -o "$root/build-giflib/$f.o"
    objects+=("$root/build-giflib/$f.o")
  done
  rm -f "$prefix/lib/libgif.a"
  x86_64-w64-mingw32-ar rcs "$prefix/lib/libgif.a" "${objects[@]}"
  install -m 644 "$src/gif_lib.h" "$prefix/include/"
  touch "$stamp"
}

# Debian's sources, with its patches applied, fetched once into ROOT/src.
sdl2="$(debian_source_fetch "$root/src" libsdl2)"
mixer="$(debian_source_fetch "$root/src" libsdl2-mixer)"
image="$(debian_source_fetch "$root/src" libsdl2-image)"
giflib="$(debian_source_fetch "$root/src" giflib)"

# SDL2 as an ordinary SDL2.dll (every subsystem, so game makers find what they expect) plus
# SDL2main, without its tests or a static copy.
cmake_install sdl2 "$sdl2" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF \
  -DSDL2_DISABLE_UNINSTALL=ON -DSDL_CCACHE=OFF

# SDL2_mixer with WAV (the game's music and sounds) and FLAC through the bundled dr_flac
# (the engine's mixer mode 2 initialises it); every decoder that needs a library is off.
cmake_install mixer "$mixer" -DBUILD_SHARED_LIBS=ON -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2MIXER_FLAC=ON -DSDL2MIXER_FLAC_LIBFLAC=OFF -DSDL2MIXER_FLAC_DRFLAC=ON \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
  -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVE=ON

# SDL2_image with PNG and JPEG through its bundled stb_image, QOI and its other built-in
# formats; those that need a library of their own (AVIF, JPEG XL, TIFF, WebP) are off.
cmake_install image "$image" -DBUILD_SHARED_LIBS=ON -DSDL2IMAGE_SAMPLES=OFF \
  -DSDL2IMAGE_TESTS=OFF -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
  -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_AVIF=OFF \
  -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF

gif_install "$giflib"

# xxHash: one header, the same for every target.
xxhash=/usr/include/xxhash.h
[ -f "$xxhash" ] || { echo "build-deps: no $xxhash (Debian's libxxhash-dev)" >&2; exit 1; }
mkdir -p "$prefix/include"
cmp -s "$xxhash" "$prefix/include/xxhash.h" || install -m 644 "$xxhash" "$prefix/include/"
