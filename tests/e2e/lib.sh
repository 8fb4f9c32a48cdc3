# End-to-end harness: a private X server per test run, the program under test started in it,
# and small probes (window lookup, geometry, focus, keys, screenshot). Source it from a test
# script; every function reports on stderr and returns non-zero when it fails, and `e2e_cleanup`
# (installed as an EXIT trap by start_xvfb) stops whatever the script started.
#
# Index: Server / Program / Windows / Input / Screenshots / Checks

E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_TMP=""

#-------------------------------------------------------------------------------------------
# Server
#-------------------------------------------------------------------------------------------
# Starts Xvfb on a display number it picks itself (-displayfd), so parallel runs and other
# servers on the machine never collide; exports DISPLAY. Optional size, default 1280x1024x24.
start_xvfb() {
  local screen="${1:-1280x1024x24}"
  E2E_TMP="$(mktemp -d)"
  trap e2e_cleanup EXIT
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$E2E_TMP/display" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    if [ -s "$E2E_TMP/display" ]; then
      export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
      return 0
    fi
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "e2e: Xvfb did not start:" >&2
  cat "$E2E_TMP/xvfb.log" >&2
  return 1
}

stop_xvfb() {
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=""
  fi
}

e2e_cleanup() {
  stop_app
  stop_xvfb
  [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
  E2E_TMP=""
}

#-------------------------------------------------------------------------------------------
# Program
#-------------------------------------------------------------------------------------------
# start_app BINARY [ARGS...]: runs it on the private display with silent audio; its stderr
# goes to $E2E_TMP/app.err (see app_stderr), its pid to E2E_APP_PID.
start_app() {
  SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$@" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
  E2E_APP_PID=$!
}

app_stderr() { cat "$E2E_TMP/app.err"; }

app_running() { [ -n "$E2E_APP_PID" ] && kill -0 "$E2E_APP_PID" 2>/dev/null; }

# wait_app [SECONDS]: waits for the program to end by itself and returns its exit status
# (124 if it is still running after the timeout, default 10 s).
wait_app() {
  local timeout="${1:-10}" i
  for i in $(seq $((timeout * 10))); do
    app_running || break
    sleep 0.1
  done
  if app_running; then
    echo "e2e: program still running after ${timeout}s" >&2
    return 124
  fi
  local status=0
  wait "$E2E_APP_PID" || status=$?
  E2E_APP_PID=""
  return "$status"
}

# signal_app SIGNAL: sends a signal to the program (e.g. TERM).
signal_app() { kill -s "$1" "$E2E_APP_PID"; }

stop_app() {
  if app_running; then
    kill -s KILL "$E2E_APP_PID" 2>/dev/null
    wait "$E2E_APP_PID" 2>/dev/null
  fi
  E2E_APP_PID=""
}

#-------------------------------------------------------------------------------------------
# Windows
#-------------------------------------------------------------------------------------------
# wait_for_window TITLE [SECONDS]: prints the id of the first window whose name is exactly
# TITLE once it exists (default 10 s).
wait_for_window() {
  local title="$1" timeout="${2:-10}" i id
  for i in $(seq $((timeout * 10))); do
    id="$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    app_running || [ -z "$E2E_APP_PID" ] || break
    sleep 0.1
  done
  echo "e2e: no window titled \"$title\" within ${timeout}s" >&2
  return 1
}

# window_size ID: prints "WIDTHxHEIGHT".
window_size() {
  xwininfo -id "$1" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w "x" h}'
}

window_name() { xdotool getwindowname "$1"; }

#-------------------------------------------------------------------------------------------
# Input
#-------------------------------------------------------------------------------------------
# There is no window manager: focus is given explicitly, then keys go through XTEST as real
# key events (not synthetic ones, which programs may ignore).
focus_window() { xdotool windowfocus --sync "$1"; }
key_down() { xdotool keydown "$1"; }
key_up() { xdotool keyup "$1"; }

#-------------------------------------------------------------------------------------------
# Screenshots
#-------------------------------------------------------------------------------------------
# screenshot ID FILE: the window's content as an image file (format from the extension).
screenshot() { import -window "$1" "$2"; }

#-------------------------------------------------------------------------------------------
# Checks
#-------------------------------------------------------------------------------------------
# expect_eq WHAT ACTUAL EXPECTED: one line on stderr and failure when they differ.
expect_eq() {
  if [ "$2" != "$3" ]; then
    echo "e2e: $1: got \"$2\", expected \"$3\"" >&2
    return 1
  fi
}
