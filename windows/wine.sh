#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and headless-friendly: a private Wine prefix
# under the Windows build folder (made on first use), no Wine debug output, no prompts to
# install Mono or Gecko, and the cross-built SDL DLLs on the program's search path.
# The exit status is the program's.
# Usage: wine.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -euo pipefail

build="$(cd "$1" && pwd)"
shift

export WINEPREFIX="${QUILLOW_WINEPREFIX:-$build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Z: is the root of the Unix file system in every Wine prefix. A caller may set WINEPATH
# itself (empty: only the program's own folder and Windows' are searched for DLLs).
export WINEPATH="${WINEPATH-Z:${build//\//\\}\\deps\\prefix\\bin}"

wine=/usr/lib/wine/wine64  # Debian's wine64 package; wineserver lies beside it

# The first run makes the prefix; parallel first runs wait for the one that makes it.
if [ ! -f "$WINEPREFIX/.quillow-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.quillow-ready" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      "$(dirname "$wine")/wineserver" --wait
      touch "$WINEPREFIX/.quillow-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine" "$@"
