#!/usr/bin/env bash
# Installs what the Windows build and its tests need on a Debian machine: the mingw-w64
# cross compiler (posix threads, which GoogleTest needs), Wine to run the results, and
# Debian's source packages of the SDL libraries and giflib (apt needs a deb-src entry for
# those).
# Installs nothing when everything is already there; uses sudo when not root.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix wine64 dpkg-dev xz-utils cmake pkg-config
  libgtest-dev xvfb xdotool x11-utils imagemagick)
sources_dir=/etc/apt/sources.list.d

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Source entries mirror the machine's own binary entries (deb822 files, or one-line lists).
need_sources=0
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  need_sources=1
  entries="$(for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -E 's/^Types:.*/Types: deb-src/' "$f" && echo
  done)"
  [ -n "$entries" ] && echo "$entries" | $sudo tee "$sources_dir/quillow-deb-src.sources" >/dev/null
  if grep -qsE '^deb ' /etc/apt/sources.list; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $sudo tee "$sources_dir/quillow-deb-src.list" >/dev/null
  fi
fi

[ ${#missing[@]} -eq 0 ] && [ "$need_sources" -eq 0 ] && exit 0
$sudo apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
