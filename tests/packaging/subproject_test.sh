#!/usr/bin/env bash
# A game maker's program that takes the engine into its own build builds and runs headless,
# the engine's tree added with add_subdirectory or fetched by FetchContent from this
# repository's committed HEAD (a file:// URL). The game maker's build gets the three libraries
# and nothing else of ours: no game, generators, tests, install rules or packages, no option
# or build type in its cache, and no flag of ours on its own program.
# Usage: subproject_test.sh subdirectory|fetch ENGINE_SOURCE_DIR CONSUMER_SOURCE_DIR
set -euo pipefail
way="$1"
engine="$2"
consumer="$3"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
build="$tmp/build"

fail() {
  echo "subproject ($way): $*" >&2
  exit 1
}

case "$way" in
  subdirectory) from=(-DORVEX_SOURCE="$engine") ;;
  fetch)
    repo="$(git -C "$engine" rev-parse --show-toplevel 2>/dev/null)" ||
      { echo "subproject: $engine is no git repository, nothing to fetch"; exit 77; }
    from=(-DORVEX_GIT="file://$repo" -DORVEX_GIT_TAG="$(git -C "$repo" rev-parse HEAD)") ;;
  *) fail "no such way" ;;
esac

# The default build type (no optimisation) keeps the engine's second build quick.
{ cmake -S "$consumer" -B "$build" -DORVEX_FROM="$way" "${from[@]}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON &&
  cmake --build "$build" -j2; } >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "build failed"; }
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$build/consumer" || fail "the program did not run"

#-------------------------------------------------------------------------------------------
# What the engine brought into the game maker's build
#-------------------------------------------------------------------------------------------
targets="$(cmake --build "$build" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p' |
  grep -v '\.[ios]$' | sort | tr '\n' ' ')"
expected="all clean consumer depend edit_cache orvex orvex_input orvex_px rebuild_cache "
[ "$targets" = "$expected" ] || fail "targets: $targets; expected: $expected"

! grep '^QUILLOW_' "$build/CMakeCache.txt" ||
  fail "options of ours in the game maker's cache"
grep -qx 'CMAKE_BUILD_TYPE:STRING=' "$build/CMakeCache.txt" || fail "the build type was changed"

# The program's own compile line: the engine's C++20, none of our warnings or sanitisers.
line="$(grep -E '"command": .*consumer\.cpp' "$build/compile_commands.json")" || fail "no compile line"
[[ "$line" == *"++20"* ]] || fail "not compiled as C++20: $line"
[[ "$line" != *"-Wall"* && "$line" != *"-Wextra"* && "$line" != *"-fsanitize"* ]] ||
  fail "our flags on the game maker's program: $line"
echo "subproject ($way): ok"
