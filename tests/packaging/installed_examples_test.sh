#!/usr/bin/env bash
# The examples as a game maker finds them in liborvex-dev: the engine's dev component installed
# into a scratch prefix, each installed example (share/doc/liborvex-dev/examples/NAME/) built
# on its own against that prefix, two at a time, as the optimised build its CMakeLists.txt
# makes when no build type is named, and each program, orvex_NAME, run headless a few frames.
# The examples folder's own CMakeLists.txt, which builds them all, configures there as well.
# The second game (share/doc/liborvex-dev/games/plinkwall/) builds the same way, its sprite
# sheet and sounds made by its own generator, and replays a whole recorded game, checked.
# Usage: installed_examples_test.sh BUILD_DIR PLINKWALL_RECORDING
set -euo pipefail
build="$1"
recording="$(realpath "$2")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
examples="$prefix/share/doc/liborvex-dev/examples"
game="$prefix/share/doc/liborvex-dev/games/plinkwall"

fail() {
  echo "installed examples: $*" >&2
  exit 1
}

cmake --install "$build" --component dev --prefix "$prefix" >"$tmp/install.log" ||
  { cat "$tmp/install.log"; fail "cmake --install --component dev failed"; }
names=()
for list in "$examples"/*/CMakeLists.txt; do
  [ -f "$list" ] && names+=("$(basename "$(dirname "$list")")")
done
[ "${#names[@]}" -gt 0 ] || fail "no example folder with a CMakeLists.txt in $examples"

# build_example NAME [FOLDER]: configures and builds one example (from FOLDER, else the examples'
# NAME/), by hand as its CMakeLists.txt says; what CMake and the compiler said goes to $tmp/NAME.log.
build_example() {
  { cmake -S "${2:-$examples/$1}" -B "$tmp/$1" -DCMAKE_PREFIX_PATH="$prefix" &&
    cmake --build "$tmp/$1"; } >"$tmp/$1.log" 2>&1
}

[ -f "$game/CMakeLists.txt" ] || fail "no games/plinkwall/CMakeLists.txt in $prefix/share/doc/liborvex-dev"
build_example plinkwall "$game" &
running=1
for name in "${names[@]}"; do
  if [ "$running" -ge 2 ]; then
    wait -n || true  # each build is judged by what it left, below
    running=$((running - 1))
  fi
  build_example "$name" &
  running=$((running + 1))
done
wait

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
for name in "${names[@]}"; do
  program="$tmp/$name/orvex_$name"
  [ -x "$program" ] || { cat "$tmp/$name.log"; fail "$name did not build into orvex_$name"; }
  grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$tmp/$name/CMakeCache.txt" ||
    fail "$name: not an optimised build by default"
  status=0
  "$program" --frames 10 >"$tmp/$name.run.log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { cat "$tmp/$name.run.log"; fail "orvex_$name ended with status $status"; }
done
[ -x "$tmp/plinkwall/plinkwall" ] || { cat "$tmp/plinkwall.log"; fail "plinkwall did not build"; }
grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$tmp/plinkwall/CMakeCache.txt" ||
  fail "plinkwall: not an optimised build by default"
"$tmp/plinkwall/plinkwall" --replay "$recording" --check >"$tmp/plinkwall.run.log" 2>&1 ||
  { cat "$tmp/plinkwall.run.log"; fail "the installed plinkwall does not replay $recording exactly"; }
grep -q '^replay check passed' "$tmp/plinkwall.run.log" || fail "plinkwall: no verdict line"
cmake -S "$examples" -B "$tmp/all" -DCMAKE_PREFIX_PATH="$prefix" >"$tmp/all.log" 2>&1 ||
  { cat "$tmp/all.log"; fail "the examples folder does not configure as a whole"; }
echo "installed examples: ok (${names[*]} plinkwall)"
