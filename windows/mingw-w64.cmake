# CMake toolchain for 64-bit Windows with Debian's mingw-w64 cross compiler. The posix
# thread model is used because GoogleTest needs std::mutex, which GCC's win32 model lacks.
# QUILLOW_WINDOWS_PREFIX, when given, is where the cross-built SDL libraries live: CMake's
# searches and pkg-config look there, never at the build machine's own libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLOW_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLOW_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLOW_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLOW_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLOW_MINGW})
if(QUILLOW_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLOW_WINDOWS_PREFIX})
  set(ENV{PKG_CONFIG_LIBDIR} ${QUILLOW_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
