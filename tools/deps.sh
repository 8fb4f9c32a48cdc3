#!/usr/bin/env bash
# Installs what building (and, with "test", testing; with "package", packaging; with "web",
# the browser build; with "windows", the Windows cross build) Quillow needs on a Debian or
# Ubuntu machine. Installs nothing when everything is already there; uses sudo when not root.
# Without apt-get it installs nothing and says plainly what is missing.
set -euo pipefail
mode="${1:-}"
here="${BASH_SOURCE[0]%/*}"
[ "$here" != "${BASH_SOURCE[0]}" ] || here=.
# shellcheck source=tools/debian-sources.sh
source "$here/debian-sources.sh"

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev libsdl2-image-dev)
packages+=(libxxhash-dev libgif-dev)  # frame digests and recording checksums; GIF capture
packaging=(dpkg-dev file)  # dpkg-shlibdeps and file: CPack's dependency search
# The browser build: emcc, SDL's sources (apt-get source needs dpkg-dev), the Ogg encoder;
# its tests also need node and a headless chromium.
web=(emscripten dpkg-dev vorbis-tools python3)
# The Windows build: the mingw-w64 cross compiler (posix threads, which GoogleTest needs),
# SDL's sources, Wine to run what it builds, and what its tests drive the game with.
windows=(g++-mingw-w64-x86-64-posix wine64 dpkg-dev xz-utils cmake pkg-config
  libgtest-dev xvfb xdotool x11-utils imagemagick)
if [ "$mode" = "test" ] || [ "$mode" = "bench" ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool x11-utils imagemagick clang-format)
  packages+=(openbox)  # a window manager for the fullscreen end-to-end test
  # The fuzz targets: clang with libFuzzer's runtime, and llvm-symbolizer for readable reports.
  packages+=(clang-14 libclang-rt-14-dev llvm-14)
  packages+=("${packaging[@]}" lintian desktop-file-utils appstream "${web[@]}" nodejs chromium)
elif [ "$mode" = "package" ]; then
  packages+=("${packaging[@]}")
elif [ "$mode" = "web" ]; then
  packages+=("${web[@]}")
elif [ "$mode" = "windows" ]; then
  packages=("${windows[@]}")  # the native build's packages come with its own deps step
fi

# The browser and Windows builds compile SDL from Debian's source packages.
needs_sources=0
case "$mode" in test | bench | web | windows) needs_sources=1 ;; esac

#-------------------------------------------------------------------------------------------
# Machines without apt-get
#-------------------------------------------------------------------------------------------
# Checks the commands and libraries the build uses; stops with a list to install when one is
# missing, so that the build never fails later on something less clear.
check_by_hand() {
  local missing=()
  command -v cmake >/dev/null 2>&1 || missing+=("CMake 3.20 or newer")
  command -v c++ >/dev/null 2>&1 || command -v g++ >/dev/null 2>&1 ||
    command -v clang++ >/dev/null 2>&1 || missing+=("a C++20 compiler (GCC 10 or Clang 12 or newer)")
  if ! command -v pkg-config >/dev/null 2>&1; then
    missing+=("pkg-config" "SDL2 with its development files" "SDL2_mixer with its development files"
      "SDL2_image with its development files")
  else
    pkg-config --exists sdl2 || missing+=("SDL2 with its development files")
    pkg-config --exists SDL2_mixer || missing+=("SDL2_mixer with its development files")
    pkg-config --exists SDL2_image || missing+=("SDL2_image with its development files")
  fi
  local include
  for include in "xxhash.h:xxHash (its header)" "gif_lib.h:giflib with its development files"; do
    [ -f "/usr/include/${include%%:*}" ] || [ -f "/usr/local/include/${include%%:*}" ] ||
      missing+=("${include#*:}")
  done
  if [ "$mode" = "test" ] || [ "$mode" = "bench" ]; then
    local tool
    for tool in Xvfb xdotool "xwininfo (x11-utils)" "import (ImageMagick)" clang-format openbox \
      "dpkg-deb (dpkg-dev)" "dpkg-shlibdeps (dpkg-dev)" file lintian \
      "desktop-file-validate (desktop-file-utils)" "appstreamcli (appstream)" \
      "clang++-14 (clang 14 with its libFuzzer runtime)"; do
      command -v "${tool%% *}" >/dev/null 2>&1 || missing+=("$tool")
    done
  fi
  if [ "$mode" = "test" ] || [ "$mode" = "bench" ] || [ "$mode" = "web" ]; then
    missing+=("the browser build: Debian's source packages of SDL2 and giflib (apt-get source)")
  fi
  if [ "$mode" = "test" ] || [ "$mode" = "windows" ]; then
    missing+=("the Windows build: mingw-w64, Wine and Debian's source packages of SDL2 and giflib")
  fi
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "deps: this machine has no apt-get, so nothing can be installed for you. Missing:" >&2
  local m
  for m in "${missing[@]}"; do echo "  - $m" >&2; done
  printf '%s\n' >&2 \
    "deps: install them with your system's package manager, then run make again. For example:" \
    "  Fedora:  sudo dnf install SDL2-devel SDL2_mixer-devel SDL2_image-devel xxhash-devel giflib-devel cmake pkgconf-pkg-config gcc-c++" \
    "  Arch:    sudo pacman -S sdl2 sdl2_mixer sdl2_image xxhash giflib cmake pkgconf gcc" \
    "  macOS:   brew install sdl2 sdl2_mixer sdl2_image xxhash giflib cmake pkg-config"
  if [ "$mode" = "test" ] || [ "$mode" = "bench" ]; then
    echo "deps: the tests also need GoogleTest, Google Benchmark, Xvfb, xdotool, x11-utils," \
      "ImageMagick, clang-format, openbox, clang 14 with libFuzzer and, for the package tests," \
      "Debian's dpkg-dev, lintian, desktop-file-utils and appstream." >&2
  fi
  return 1
}

if ! command -v apt-get >/dev/null 2>&1; then
  check_by_hand
  exit $?
fi

#-------------------------------------------------------------------------------------------
# Debian and Ubuntu
#-------------------------------------------------------------------------------------------
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# apt-get source finds SDL's source packages only through a deb-src entry; a fresh machine
# often has none.
sources_ready() { [ "$needs_sources" -eq 0 ] || debian_sources_known; }

[ ${#missing[@]} -eq 0 ] && sources_ready && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "deps: missing ${missing[*]:-a deb-src entry}; run this script as root" >&2
    exit 1
  fi
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

# An entry may be there already and only wait for an update to be read: the entry is added
# only when apt still knows no source of SDL after one.
$sudo apt-get update -qq
if ! sources_ready; then
  debian_sources_add "$sudo"
  $sudo apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
