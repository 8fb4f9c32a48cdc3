# Debian packages of the two install components, made by CPack from the build tree (`make
# package`, or `cpack -G DEB` in the build folder), so a built tree packages in seconds:
#   quillow       the game, for players; its library dependencies found by dpkg-shlibdeps
#   liborvex-dev  the engine, for game makers; depends on SDL2's, SDL2_mixer's, SDL2_image's
#                 and giflib's dev packages
# The version is the project's; each package carries the copyright file and changelog that
# Debian asks of every package. The maintainer and homepage are the project's (CMakeLists.txt).

#-------------------------------------------------------------------------------------------
# Documents of each package
#-------------------------------------------------------------------------------------------
configure_file(changelog.in ${PACKAGING_OUT}/changelog @ONLY)
add_custom_command(OUTPUT ${PACKAGING_OUT}/changelog.gz
  COMMAND gzip -9nc ${PACKAGING_OUT}/changelog > ${PACKAGING_OUT}/changelog.gz
  DEPENDS ${PACKAGING_OUT}/changelog)
add_custom_target(package_docs ALL DEPENDS ${PACKAGING_OUT}/changelog.gz)

# The copyright file in Debian's machine-readable format, its notice and licence text those of
# LICENSE: the holders from its first line, the text after it as a field continues (each line
# indented, an empty one a dot).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE QUILLOW_LICENSE_TEXT)
if(NOT QUILLOW_LICENSE_TEXT MATCHES "^Copyright \\(c\\) ([^\n]+)\n+(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: its copyright line first, then the licence text")
endif()
set(QUILLOW_COPYRIGHT "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" QUILLOW_LICENSE_TEXT "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " QUILLOW_LICENSE_TEXT " ${QUILLOW_LICENSE_TEXT}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
configure_file(copyright.in ${PACKAGING_OUT}/copyright @ONLY)
foreach(pair "game;quillow" "dev;liborvex-dev")
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${PACKAGING_OUT}/copyright ${PACKAGING_OUT}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

#-------------------------------------------------------------------------------------------
# CPack
#-------------------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillow developers")
set(CPACK_PACKAGE_CONTACT "${QUILLOW_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLOW_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # <name>_<version>_<arch>.deb
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)     # as dpkg-deb does by default
set(CPACK_DEBIAN_PACKAGE_SOURCE quillow)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME quillow)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_GAME_DESCRIPTION "one-button arcade game in a shimmering two-colour dither
Hold a single button and a jittering square crosses the scene, bobbing on a
sine. Every time it reaches a side wall it turns back and the next of seven
shaking stage pictures fills the screen; after the seventh turn the game ends.
Everything is drawn in software into an 8-bit canvas and shown as a
stochastic dither of two colours, with music that rises while the button is
held.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME liborvex-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsdl2-dev, libsdl2-mixer-dev, libsdl2-image-dev, libgif-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION "small game engine over SDL2 and SDL2_mixer (static libraries)
Orvex is the engine Quillow stands on, for games of your own: a window with a
letterboxed, paced frame loop, key and mouse state, a resource registry that
reloads changed files while the game runs, music and sounds, and drawing with
the renderer (liborvex); a 640x480 canvas of 8-bit colour indices with a
depth buffer, shown as a two-colour stochastic dither (liborvex_px); and
named actions bound to keys (liborvex_input).
.
This package holds the static libraries, the headers (<orvex/orvex.hpp>,
<orvex/px.hpp>, <orvex/input.hpp>), a CMake package (find_package(Orvex))
and a pkg-config file (orvex).")

include(CPack)
