# What the Windows build adds to the project: run-time libraries linked in statically, the
# SDL DLLs beside quillow.exe, Wine as the emulator that runs tests and test discovery, and
# GoogleTest built from Debian's sources with the cross compiler. Included by the top-level
# CMakeLists.txt before any target, when the target system is Windows.
if(NOT QUILLOW_WINDOWS_PREFIX)
  message(FATAL_ERROR "The Windows build needs -DQUILLOW_WINDOWS_PREFIX=<cross-built SDL prefix> "
                      "(see windows/build-deps.sh, or use `make windows`)")
endif()

enable_language(RC)  # quillow.rc: the program's icon and version

# GCC's own run-time libraries (libgcc, libstdc++, winpthread) are linked in, so the game
# needs no DLL but SDL's beside it. winpthread comes last among the program's own libraries,
# after libstdc++ which needs it, and without --whole-archive, which would also bring in its
# version resource.
add_link_options(-static-libgcc -static-libstdc++)
string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -Wl,-Bstatic -lstdc++ -lwinpthread -Wl,-Bdynamic")

# GCC cannot realign the Win64 stack for 32-byte AVX spills; unaligned moves keep a spilled
# vector from faulting.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Wa,-muse-unaligned-vector-move>)

# Test executables and test discovery run through Wine (windows/wine.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine.sh ${CMAKE_BINARY_DIR})

# The SDL DLLs go beside the game, so the build folder is the folder players get.
file(GLOB QUILLOW_WINDOWS_DLLS ${QUILLOW_WINDOWS_PREFIX}/bin/*.dll)
file(COPY ${QUILLOW_WINDOWS_DLLS} DESTINATION ${CMAKE_BINARY_DIR})

# GoogleTest, when tests are built: Debian ships its sources in /usr/src/googletest.
if(QUILLOW_TESTS AND NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  # Its targets come with the GTest::gtest and GTest::gtest_main names the tests link.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The zip players download (target windows_zip): one folder with the stripped game, the SDL
# DLLs and the music, as quillow-<version>-windows.zip in the build folder.
set(QUILLOW_ZIP_NAME quillow-${PROJECT_VERSION}-windows)
add_custom_target(windows_zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf zip ${QUILLOW_ZIP_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory zip/${QUILLOW_ZIP_NAME}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillow> ${QUILLOW_WINDOWS_DLLS}
          zip/${QUILLOW_ZIP_NAME}
  COMMAND ${CMAKE_COMMAND} -E copy_directory res zip/${QUILLOW_ZIP_NAME}/res
  COMMAND ${CMAKE_STRIP} --strip-all zip/${QUILLOW_ZIP_NAME}/$<TARGET_FILE_NAME:quillow>
  COMMAND ${CMAKE_COMMAND} -E chdir zip
          ${CMAKE_COMMAND} -E tar cf ../${QUILLOW_ZIP_NAME}.zip --format=zip ${QUILLOW_ZIP_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing ${QUILLOW_ZIP_NAME}.zip"
  VERBATIM)
add_dependencies(windows_zip quillow)
