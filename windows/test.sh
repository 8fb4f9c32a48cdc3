#!/usr/bin/env bash
# Runs the Windows build's tests (ctest) under Wine: SDL's Windows video driver needs a
# display, so the run gets a private X server; the Wine prefix is made first, once, so the
# tests' own time limits do not pay for it; the prefix's Wine server is stopped at the end.
# Usage: test.sh BUILD_DIR [CTEST_ARGS...]
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
shift
source "$here/../tests/e2e/lib.sh"

stop_wine() {
  WINEPREFIX="$build/wine" /usr/lib/wine/wineserver -k 2>/dev/null
  e2e_cleanup
}

start_xvfb || exit 1
trap stop_wine EXIT
started=$SECONDS
"$here/wine.sh" "$build" cmd /c exit 0 || { echo "test.sh: Wine does not start" >&2; exit 1; }
echo "Wine ready after $((SECONDS - started)) s"
cd "$build" && ctest --output-on-failure "$@"
