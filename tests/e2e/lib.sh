# End-to-end harness: a private X server per test run, the program under test started in it,
# and small probes (window lookup, geometry, focus, keys, screenshot). Source it from a test
# script; every function reports on stderr and returns non-zero when it fails, and `e2e_cleanup`
# (installed as an EXIT trap by start_xvfb) stops whatever the script started.
#
# Index: Server / Window manager / Program / Windows / Input / Screenshots / Checks /
#        Colour checks

E2E_XVFB_PID=""
E2E_WM_PID=""
E2E_APP_PID=""
E2E_TMP=""

#-------------------------------------------------------------------------------------------
# Server
#-------------------------------------------------------------------------------------------
# Starts Xvfb on a display number it picks itself (-displayfd), so parallel runs and other
# servers on the machine never collide; exports DISPLAY. Optional size, default 1280x1024x24.
# -noreset: by default the server resets whenever its last client leaves, and a reset drops
# a connection being set up at that moment; a probe (xdotool, xwininfo) leaving just as the
# program connects would then make the program fail to open its display.
start_xvfb() {
  local screen="${1:-1280x1024x24}"
  E2E_TMP="$(mktemp -d)"
  trap e2e_cleanup EXIT
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$E2E_TMP/display" \
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
  stop_wm
  stop_xvfb
  [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
  E2E_TMP=""
}

#-------------------------------------------------------------------------------------------
# Window manager
#-------------------------------------------------------------------------------------------
# Most tests run without one. Fullscreen needs one: the window manager is what makes a
# window cover the screen. start_wm runs openbox and waits until it has taken the screen.
start_wm() {
  openbox --sm-disable >"$E2E_TMP/wm.log" 2>&1 &
  E2E_WM_PID=$!
  local i
  for i in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    kill -0 "$E2E_WM_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "e2e: the window manager did not start:" >&2
  cat "$E2E_TMP/wm.log" >&2
  return 1
}

stop_wm() {
  if [ -n "$E2E_WM_PID" ]; then
    kill "$E2E_WM_PID" 2>/dev/null
    wait "$E2E_WM_PID" 2>/dev/null
    E2E_WM_PID=""
  fi
}

#-------------------------------------------------------------------------------------------
# Program
#-------------------------------------------------------------------------------------------
# start_app BINARY [ARGS...]: runs it on the private display with silent audio; its stderr
# goes to $E2E_TMP/app.err (see app_stderr), its pid to E2E_APP_PID. SDL is held to its X11
# driver, so that a failed connection to the server is an error instead of a quiet fallback
# to a driver that shows nothing.
start_app() {
  SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-x11}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$@" \
    >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
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
# wait_for_window TITLE [SECONDS]: prints the id of the window whose name is exactly TITLE
# once it is mapped and still the same a moment later (default 10 s). SDL may replace its
# first window by a new one when the renderer needs another kind of window, so an id seen
# only once can already be gone.
wait_for_window() {
  local title="$1" timeout="${2:-10}" i id seen=""
  for i in $(seq $((timeout * 10 / 3 + 1))); do
    id="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n1)"
    if [ -n "$id" ] && [ "$id" = "$seen" ]; then
      echo "$id"
      return 0
    fi
    seen="$id"
    app_running || [ -z "$E2E_APP_PID" ] || break
    sleep 0.3
  done
  echo "e2e: no window titled \"$title\" within ${timeout}s" >&2
  describe_screen >&2
  return 1
}

# describe_screen: what a failed window lookup saw, for the log: whether the server and the
# program still run, and the top-level windows with their names.
describe_screen() {
  kill -0 "$E2E_XVFB_PID" 2>/dev/null && echo "e2e: the X server runs" ||
    echo "e2e: the X server has ended"
  app_running && echo "e2e: the program runs" || echo "e2e: the program has ended"
  xwininfo -root -children 2>&1 | sed -n '1,20s/^/e2e:   /p'
}

# wait_viewable ID [SECONDS]: waits until the window is mapped on the screen (default 10 s);
# before that, pointer and keys go to whatever lies below it.
wait_viewable() {
  local timeout="${2:-10}" i
  for i in $(seq $((timeout * 10))); do
    xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable" && return 0
    sleep 0.1
  done
  echo "e2e: window $1 not viewable within ${timeout}s" >&2
  return 1
}

# window_size ID: prints "WIDTHxHEIGHT".
window_size() {
  xwininfo -id "$1" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w "x" h}'
}

# window_geometry ID: prints "WIDTHxHEIGHT+X+Y", X and Y on the screen.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
    /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w "x" h "+" x "+" y}'
}

# screen_size: prints the root window's "WIDTHxHEIGHT".
screen_size() {
  xwininfo -root | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w "x" h}'
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
# key_tap KEY: held for a fifth of a second, as a hand would.
key_tap() { xdotool keydown "$1" && sleep 0.2 && xdotool keyup "$1"; }
# key_flick KEY: pressed and released at once, as automation does: both land within one frame,
# which the game's own controls count as a press.
key_flick() { xdotool key "$1"; }

# mouse_down ID X Y / mouse_up: the left button, pressed at window pixel (X, Y).
mouse_down() { xdotool mousemove --window "$1" "$2" "$3" mousedown 1; }
mouse_up() { xdotool mouseup 1; }

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

#-------------------------------------------------------------------------------------------
# Colour checks (the game's two dither colours)
#-------------------------------------------------------------------------------------------
DARK="0,0,0"
LIGHT="254,254,254"

# colours FILE [CROP]: the distinct colours of the image (or of the crop WxH+X+Y), one
# "r,g,b" a line.
colours() {
  local crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
  convert "$1" "${crop[@]}" -alpha off -depth 8 -format %c histogram:info:- |
    sed -E 's/.*\( *([0-9]+), *([0-9]+), *([0-9]+).*/\1,\2,\3/' | sort -u
}

# only_dither_colours FILE [CROP]: both dither colours are there and nothing else is.
only_dither_colours() {
  local got
  got="$(colours "$@" | tr '\n' ' ')"
  expect_eq "colours in the picture of $1" "$got" "$DARK $LIGHT " || return 1
}

# only_black_outside FILE X Y W H: everything but the picture rectangle is black.
only_black_outside() {
  local got
  got="$(convert "$1" -alpha off -fill black \
    -draw "rectangle $2,$3 $(($2 + $4 - 1)),$(($3 + $5 - 1))" -depth 8 \
    -format %c histogram:info:- | sed -E 's/.*\( *([0-9]+), *([0-9]+), *([0-9]+).*/\1,\2,\3/' |
    sort -u | tr '\n' ' ')"
  expect_eq "colours of the bars in $1" "$got" "$DARK " || return 1
}
