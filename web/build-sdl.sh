#!/usr/bin/env bash
# Builds SDL2, SDL2_mixer and SDL2_image for WebAssembly from Debian's own source packages,
# into OUT/include/SDL2/*.h and OUT/lib/libSDL2.a, libSDL2_mixer.a, libSDL2_image.a; and
# giflib, the engine's GIF writer, into OUT/include/gif_lib.h and OUT/lib/libgif.a.
# Emscripten's bundled SDL "ports" would download their sources, so they are not used. SDL's
# sources are compiled directly against the configuration header SDL ships for Emscripten
# (SDL's own configure step would run hundreds of checks through emcc for the same result);
# SDL2_mixer gets its core and the two codecs the game streams: WAV and Ogg Vorbis through
# the stb_vorbis decoder it bundles; SDL2_image the formats the engine decodes (BMP, PNG,
# JPEG through the stb_image it bundles, and QOI). A stamp beside each library records what it was built
# from: run again with the same sources and flags, the script does nothing.
#
# usage: web/build-sdl.sh OUT [JOBS]
set -euo pipefail

# shellcheck source=tools/debian-sources.sh
source "$(dirname "$0")/../tools/debian-sources.sh"

out=${1:?usage: web/build-sdl.sh OUT [JOBS]}
jobs=${2:-$(nproc 2>/dev/null || echo 2)}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cflags=(-O2 -DNDEBUG -w)
# emcc's JavaScript tools need Debian's acorn, which a node from elsewhere does not see.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

#-------------------------------------------------------------------------------------------
# Sources
#-------------------------------------------------------------------------------------------
fetch_sources() {
    sdl=$(debian_source_fetch "$out/src" libsdl2)
    mixer=$(debian_source_fetch "$out/src" libsdl2-mixer)
    image=$(debian_source_fetch "$out/src" libsdl2-image)
    gif=$(debian_source_fetch "$out/src" giflib)
}

# SDL's source list for Emscripten: the portable core, the Emscripten back-ends, and the
# dummy or generic ones where the browser has nothing (threads are off in this build).
sdl_sources() {
    local d
    for d in . atomic audio cpuinfo dynapi events file joystick haptic hidapi libm locale misc \
             power render 'render/*' sensor stdlib thread timer video video/yuv2rgb \
             misc/emscripten audio/emscripten audio/dummy audio/disk filesystem/emscripten \
             joystick/emscripten power/emscripten locale/emscripten timer/unix \
             video/emscripten video/dummy haptic/dummy sensor/dummy loadso/dlopen \
             thread/generic; do
        # shellcheck disable=SC2086
        ls "$sdl"/src/$d/*.c
    done
}

image_sources() {
    local f
    for f in "$image"/IMG*.c; do [ "${f##*/}" = IMG_WIC.c ] || echo "$f"; done
}

mixer_sources() {
    local f
    for f in effect_position effect_stereoreverse effects_internal mixer music utils \
             codecs/load_aiff codecs/load_voc codecs/mp3utils codecs/music_wav \
             codecs/music_ogg_stb; do
        echo "$mixer/src/$f.c"
    done
}

# giflib's library part (its Makefile's SOURCES), without the command-line tools.
gif_sources() {
    local f
    for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
        echo "$gif/$f.c"
    done
}

#-------------------------------------------------------------------------------------------
# Compiling
#-------------------------------------------------------------------------------------------
# stamp_matches FILE STAMP RECIPE: whether the stamp FILE says the library was built from this
# recipe. STAMP leaves the cache's own folder out of the recipe's paths, so that a cache moved
# or copied elsewhere is still reused. Stamps written before that kept the folder in; one that
# matches the recipe as it is here is taken too, and rewritten in the new form.
stamp_matches() {
    local file=$1 stamp=$2 recipe=$3 built
    built=$(cat "$file" 2>/dev/null) || return 1
    [ "$built" = "$stamp" ] && return 0
    [ "$built" = "$(echo "$recipe" | sha1sum)" ] || return 1
    echo "$stamp" >"$file"
}

# Compiles the listed sources in `jobs` batches, one emcc call per batch in its own folder
# (source names repeat across SDL's folders), then archives the objects. Skipped when the
# library's stamp shows the same sources, flags and compiler.
compile_library() {
    local name=$1 list=$2
    shift 2
    local lib="$out/lib/lib$name.a" recipe stamp
    recipe=$(cat "$list"; echo "${cflags[*]} $* $emcc_version")
    stamp=$(echo "${recipe//"$out/"/}" | sha1sum)
    if [ -f "$lib" ] && stamp_matches "$lib.stamp" "$stamp" "$recipe"; then return; fi
    echo "build-sdl: building $name for WebAssembly ($(wc -l <"$list") sources)"
    local objdir="$out/obj/$name"
    rm -rf "$objdir" "$lib" "$lib.stamp"
    mkdir -p "$objdir" "$out/lib"
    split -n "l/$jobs" -d "$list" "$objdir/batch."
    local pids=() batch
    for batch in "$objdir"/batch.*; do
        mkdir -p "$batch.d"
        (cd "$batch.d" && xargs emcc -c "${cflags[@]}" "$@" <"$batch") &
        pids+=($!)
    done
    local pid failed=0
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    [ "$failed" -eq 0 ] || { echo "build-sdl: compiling $name failed" >&2; exit 1; }
    emar rcs "$lib" "$objdir"/batch.*.d/*.o
    rm -rf "$objdir"
    echo "$stamp" >"$lib.stamp"
}

build() {
    mkdir -p "$out/include/SDL2"
    sdl_sources >"$out/sdl.list"
    mixer_sources >"$out/mixer.list"
    image_sources >"$out/image.list"
    gif_sources >"$out/gif.list"
    compile_library SDL2 "$out/sdl.list" -I"$sdl/include"
    compile_library SDL2_mixer "$out/mixer.list" -I"$sdl/include" -I"$mixer/include" \
        -I"$mixer/src" -I"$mixer/src/codecs" -DMUSIC_WAV -DMUSIC_OGG -DOGG_USE_STB
    compile_library SDL2_image "$out/image.list" -I"$sdl/include" -I"$image" \
        -DUSE_STBIMAGE -DLOAD_BMP -DLOAD_PNG -DLOAD_JPG -DLOAD_QOI
    compile_library gif "$out/gif.list" -I"$gif"
    cp -p "$sdl"/include/*.h "$mixer/include/SDL_mixer.h" "$image/SDL_image.h" "$out/include/SDL2/"
    cp -p "$gif/gif_lib.h" "$out/include/"
    rm -f "$out/sdl.list" "$out/mixer.list" "$out/image.list" "$out/gif.list"
}

#-------------------------------------------------------------------------------------------
# Main
#-------------------------------------------------------------------------------------------
fetch_sources
emcc_version=$(emcc --version)
emcc_version=${emcc_version%%$'\n'*}
build
