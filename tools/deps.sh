#!/usr/bin/env bash
# Installs what building (and, with "test", testing) Quillow needs on a Debian or Ubuntu
# machine. Installs nothing when everything is already there; uses sudo when not root.
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev)
if [ "${1:-}" = "test" ] || [ "${1:-}" = "bench" ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool x11-utils imagemagick clang-format)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
