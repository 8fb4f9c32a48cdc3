#!/usr/bin/env bash
# tools/deps.sh on a machine without apt-get: it installs nothing, names exactly what is
# missing (never "command not found"), and lets the build go on when everything is there.
# Each case runs it with a PATH of its own: bash and stubs of the tools it looks for.
# Usage: deps_test.sh DEPS_SCRIPT
set -uo pipefail
deps="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failed=0

# machine NAME TOOL...: a bin folder with bash and a stub for each TOOL; a pkg-config
# stub knows the modules listed in $tmp/NAME/modules.
machine() {
  local dir="$tmp/$1" tool
  shift
  mkdir -p "$dir/bin"
  ln -s "$(command -v bash)" "$dir/bin/bash"
  for tool in "$@"; do printf '#!%s\nexit 0\n' "$(command -v bash)" >"$dir/bin/$tool"; done
  printf '#!%s\n[[ " $(<%s/modules) " == *" $2 "* ]]\n' "$(command -v bash)" "$dir" >"$dir/bin/pkg-config"
  chmod +x "$dir"/bin/*
  : >"$dir/modules"
}

# run NAME EXPECTED_STATUS MUST_SAY...: runs deps.sh on that machine and checks its stderr.
run() {
  local dir="$tmp/$1" expect="$2" status=0 said
  shift 2
  said="$(env -i PATH="$dir/bin" "$dir/bin/bash" "$deps" 2>&1 >/dev/null)" || status=$?
  if [ "$status" != "$expect" ]; then
    echo "deps: machine $(basename "$dir"): status $status, expected $expect: $said" >&2
    failed=1
  fi
  local text
  for text in "$@"; do
    [[ "$said" == *"$text"* ]] || { echo "deps: $(basename "$dir") does not say \"$text\": $said" >&2; failed=1; }
  done
  [[ "$said" != *"not found"* ]] || { echo "deps: $(basename "$dir"): $said" >&2; failed=1; }
}

machine bare
run bare 1 "SDL2 with" "SDL2_mixer with" "SDL2_image with" "CMake 3.20" "C++20 compiler" "pkg-config"

machine no_mixer cmake c++
echo sdl2 >"$tmp/no_mixer/modules"
run no_mixer 1 "SDL2_mixer with"
[[ "$(env -i PATH="$tmp/no_mixer/bin" bash "$deps" 2>&1)" != *"SDL2 with"* ]] ||
  { echo "deps: SDL2 is there but reported missing" >&2; failed=1; }

machine ready cmake g++
echo "sdl2 SDL2_mixer SDL2_image" >"$tmp/ready/modules"
run ready 0
exit "$failed"
