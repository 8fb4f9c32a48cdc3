# The WebAssembly SDL2, SDL2_mixer, SDL2_image and giflib that web/build-sdl.sh builds, under
# the target names the native build gets from pkg-config and FindGIF, so every library links
# them alike.
#
# Neither pkg-config (it finds the machine's own sdl2.pc, whose include folders clash with
# Emscripten's C library) nor find_package (it finds Emscripten's stub that leads to its
# downloading "ports") can be used, and -lSDL2_mixer would silently become such a port: the
# libraries are linked by full path. The include folder goes first on every compile line,
# because emcc adds the headers of an old SDL 1.2 to every compile by itself.
set(QUILLOW_WASM_SDL "" CACHE PATH "Folder of the WebAssembly SDL (web/build-sdl.sh OUT)")

foreach(lib SDL2 SDL2_mixer SDL2_image gif)
  if(NOT EXISTS "${QUILLOW_WASM_SDL}/lib/lib${lib}.a")
    message(FATAL_ERROR "No WebAssembly ${lib} in QUILLOW_WASM_SDL='${QUILLOW_WASM_SDL}': "
                        "build it with web/build-sdl.sh (make web does)")
  endif()
endforeach()

add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_include_directories(PkgConfig::SDL2 BEFORE INTERFACE ${QUILLOW_WASM_SDL}/include/SDL2)
target_link_libraries(PkgConfig::SDL2 INTERFACE ${QUILLOW_WASM_SDL}/lib/libSDL2.a)
# A self-built SDL needs two JavaScript helpers that Emscripten adds only for its own port:
# the one that resumes a suspended audio context on the first key or touch, and dynCall for
# the audio callback. emcc reads the list from a file, which keeps the '$' away from CMake.
target_link_options(PkgConfig::SDL2 INTERFACE
  "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_CURRENT_LIST_DIR}/sdl_js_functions.txt")

add_library(PkgConfig::SDL2_MIXER INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_MIXER INTERFACE
  ${QUILLOW_WASM_SDL}/lib/libSDL2_mixer.a PkgConfig::SDL2)

add_library(PkgConfig::SDL2_IMAGE INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_IMAGE INTERFACE
  ${QUILLOW_WASM_SDL}/lib/libSDL2_image.a PkgConfig::SDL2)

# giflib for the engine's GIF capture, built by the same script from Debian's source package.
add_library(GIF::GIF INTERFACE IMPORTED)
target_include_directories(GIF::GIF INTERFACE ${QUILLOW_WASM_SDL}/include)
target_link_libraries(GIF::GIF INTERFACE ${QUILLOW_WASM_SDL}/lib/libgif.a)

# xxHash is used header-only (XXH_INLINE_ALL), so the machine's own xxhash.h serves the browser
# build too. It is copied into a folder of its own: adding the machine's include folder to an
# emcc compile would put its C library headers before Emscripten's.
find_file(XXHASH_HEADER xxhash.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT XXHASH_HEADER)
  message(FATAL_ERROR "No xxhash.h in /usr/include: install libxxhash-dev (tools/deps.sh does)")
endif()
set(XXHASH_INCLUDE_DIR ${CMAKE_BINARY_DIR}/xxhash)
configure_file(${XXHASH_HEADER} ${XXHASH_INCLUDE_DIR}/xxhash.h COPYONLY)
