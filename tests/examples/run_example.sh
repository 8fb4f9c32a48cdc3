#!/usr/bin/env bash
# Runs an example headless and checks its last frame: the program must end with status 0
# and save a picture that is more than one flat colour. With EXAMPLE_SCREENSHOTS set to a
# folder, the picture is also kept there as NAME.png (make screenshots: docs/).
# Usage: run_example.sh BINARY OUT_BASE [ARGS...]; the frame goes to OUT_BASE.bmp.
set -uo pipefail

binary="$1"
out="$2.bmp"
name="$(basename "$2")"
shift 2

mkdir -p "$(dirname "$out")"
rm -f "$out"
"$binary" "$@" --screenshot "$out" || { echo "example: $binary ended with status $?" >&2; exit 1; }
[ -s "$out" ] || { echo "example: no screenshot at $out" >&2; exit 1; }
colours="$(convert "$out" -alpha off -format %k info:)"
if [ "${colours:-0}" -lt 2 ]; then
  echo "example: the last frame is one flat colour" >&2
  exit 1
fi
if [ -n "${EXAMPLE_SCREENSHOTS:-}" ]; then
  convert "$out" -alpha off -strip "$EXAMPLE_SCREENSHOTS/example-$name.png" || exit 1
fi
echo "$name: $colours colours in $out"
