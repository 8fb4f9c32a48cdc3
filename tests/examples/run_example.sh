#!/usr/bin/env bash
# Runs an example headless and checks its last frame: the program must end with status 0
# and save a picture of at least COLOURS colours (what it draws, not just its background).
# With EXAMPLE_SCREENSHOTS set to a folder, the picture is also kept there as
# example-NAME.png (make screenshots: docs/).
# EXAMPLE_EMULATOR, when set, is the command that runs BINARY (a cross build's emulator).
# Usage: run_example.sh BINARY OUT_BASE COLOURS [ARGS...]; the frame goes to OUT_BASE.bmp.
set -uo pipefail

binary="$1"
out="$2.bmp"
name="$(basename "$2")"
least="$3"
shift 3

mkdir -p "$(dirname "$out")"
rm -f "$out"
read -r -a emulator <<<"${EXAMPLE_EMULATOR:-}"
"${emulator[@]}" "$binary" "$@" --screenshot "$out" || { echo "example: $binary ended with status $?" >&2; exit 1; }
[ -s "$out" ] || { echo "example: no screenshot at $out" >&2; exit 1; }
colours="$(convert "$out" -alpha off -format %k info:)"
if [ "${colours:-0}" -lt "$least" ]; then
  echo "example: the last frame has $colours colours, fewer than the $least it draws" >&2
  exit 1
fi
if [ -n "${EXAMPLE_SCREENSHOTS:-}" ]; then
  convert "$out" -alpha off -strip "$EXAMPLE_SCREENSHOTS/example-$name.png" || exit 1
fi
echo "$name: $colours colours in $out"
