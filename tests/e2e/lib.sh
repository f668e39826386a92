# shellcheck shell=bash
# Shared by the end-to-end scenarios: arguments, a private X server, the
# program in its window, real key events, screenshots and the tally of checks.
# Every wait is bounded, and the EXIT trap stops exactly the processes this
# script started, by their process ids.
#
# A scenario sources this file, then calls e2e_init "$@", e2e_start_x, and the
# helpers below; it ends with e2e_finish.

set -uo pipefail

E2E_WOBBLE="" E2E_CLOSE="" E2E_PROBE="" E2E_SCENE="" E2E_SHOTS=""
# E2E_STATUS: the exit status of the program, once e2e_wait_exit has seen it end.
E2E_WORK="" E2E_XVFB_PID="" E2E_WM_PID="" E2E_PID="" E2E_WINDOW="" E2E_STATUS=""
E2E_PASSED=0 E2E_FAILED=0
E2E_NAME=$(basename "$0" .sh)

e2e_say() { printf '%s: %s\n' "$E2E_NAME" "$*"; }

# Ends the scenario at once: a failure after which nothing else can be checked.
e2e_abort() {
  e2e_fail "$@"
  e2e_finish
}

e2e_pass() {
  printf '%s: ok   %s\n' "$E2E_NAME" "$*"
  E2E_PASSED=$((E2E_PASSED + 1))
}

e2e_fail() {
  printf '%s: FAIL %s\n' "$E2E_NAME" "$*"
  E2E_FAILED=$((E2E_FAILED + 1))
}

# e2e_check DESCRIPTION COMMAND...: the command's status decides.
e2e_check() {
  local what=$1
  shift
  if "$@"; then e2e_pass "$what"; else e2e_fail "$what"; fi
}

# e2e_expect DESCRIPTION VALUE OP LIMIT: a measured number against a limit
# (OP is one of < <= > >= ==); the value goes into the report either way.
e2e_expect() {
  if [[ ! "$2" =~ ^-?[0-9]+(\.[0-9]+)?$ ]]; then
    e2e_fail "$1 (no measurement: '$2')"
  elif awk -v v="$2" -v l="$4" -v op="$3" 'BEGIN {
      ok = op == "<" ? v < l : op == "<=" ? v <= l : op == ">" ? v > l : op == ">=" ? v >= l : v == l
      exit ok ? 0 : 1 }'; then
    e2e_pass "$1 ($2 $3 $4)"
  else
    e2e_fail "$1 (measured $2, wanted $3 $4)"
  fi
}

e2e_cleanup() {
  if [[ -n "$E2E_PID" ]] && kill -0 "$E2E_PID" 2>/dev/null; then
    kill "$E2E_PID" 2>/dev/null
    e2e_wait_exit 5 >/dev/null || kill -KILL "$E2E_PID" 2>/dev/null
  fi
  if [[ -n "$E2E_WM_PID" ]]; then
    kill "$E2E_WM_PID" 2>/dev/null
    wait "$E2E_WM_PID" 2>/dev/null
    E2E_WM_PID=""
  fi
  if [[ -n "$E2E_XVFB_PID" ]]; then
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=""
  fi
  [[ -n "$E2E_WORK" ]] && rm -rf "$E2E_WORK"
  E2E_WORK=""
}
trap e2e_cleanup EXIT
# A run stopped from outside (CTest's timeout, Ctrl+C) still cleans up.
trap 'exit 130' INT TERM HUP

e2e_finish() {
  printf '%s: %d passed, %d failed\n' "$E2E_NAME" "$E2E_PASSED" "$E2E_FAILED"
  [[ -n "$E2E_SHOTS" ]] && e2e_say "screenshots are in $E2E_SHOTS"
  e2e_cleanup
  ((E2E_FAILED == 0)) || exit 1
  exit 0
}

e2e_init() {
  while (($# > 0)); do
    case $1 in
      --wobble) E2E_WOBBLE=$2 ;;
      --close) E2E_CLOSE=$2 ;;
      --probe) E2E_PROBE=$2 ;;
      --scene) E2E_SCENE=$2 ;;
      --shots) E2E_SHOTS=$2 ;;
      *) e2e_abort "unknown argument '$1'" ;;
    esac
    shift 2
  done
  local f
  for f in "$E2E_WOBBLE" "$E2E_CLOSE" "$E2E_PROBE"; do
    [[ -x "$f" ]] || e2e_abort "no program at '$f'"
  done
  # The program runs in another folder.
  E2E_WOBBLE=$(realpath "$E2E_WOBBLE")
  [[ -f "$E2E_SCENE/config.txt" ]] || e2e_abort "no sample scene: $E2E_SCENE/config.txt is missing"
  local tool
  for tool in Xvfb xdotool import xwininfo evilwm; do
    command -v "$tool" >/dev/null ||
      e2e_abort "$tool is not installed (scripts/install-deps installs it)"
  done
  E2E_WORK=$(mktemp -d /tmp/wobble-e2e.XXXXXX) || e2e_abort "cannot make a scratch folder"
  rm -rf "$E2E_SHOTS"
  mkdir -p "$E2E_SHOTS" || e2e_abort "cannot make $E2E_SHOTS"
}

# Starts Xvfb on a display it finds free itself (-displayfd), 1024 x 768 so
# that a window at (0, 0) of 800 x 600 and a fullscreen window can be told apart.
e2e_start_x() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$E2E_WORK/display" \
    >"$E2E_WORK/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local i n=""
  for ((i = 0; i < 100; i++)); do
    n=$(head -n1 "$E2E_WORK/display" 2>/dev/null)
    [[ -n "$n" ]] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  [[ -n "$n" ]] || e2e_abort "Xvfb did not start: $(tail -n3 "$E2E_WORK/xvfb.log")"
  export DISPLAY=":$n"
  unset XAUTHORITY
  e2e_say "Xvfb (pid $E2E_XVFB_PID) on display $DISPLAY"
}

# e2e_start_wm: evilwm, a small window manager that does fullscreen the EWMH
# way; the server's built-in "fixed" font is all it needs. Returns once it
# has announced itself on the root window and framed our window.
e2e_start_wm() {
  evilwm -fn fixed >"$E2E_WORK/wm.log" 2>&1 &
  E2E_WM_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    kill -0 "$E2E_WM_PID" 2>/dev/null || return 1
    # Announced, and our window framed (its parent is no longer the root).
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
      ! xwininfo -tree -id "$E2E_WINDOW" 2>/dev/null | grep -q 'Parent window id: .*(the root window)'; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# e2e_copy_scene NAME: a private copy of the sample scene in $E2E_WORK/NAME,
# so that a run may break it or leave files in it.
e2e_copy_scene() {
  if ! { mkdir -p "$E2E_WORK/$1" && cp -R "$E2E_SCENE/." "$E2E_WORK/$1/"; }; then
    e2e_abort "cannot copy the scene"
  fi
}

# e2e_start DIR: the program with no arguments in DIR, through SDL's X11
# driver; its console goes to $E2E_WORK/out and $E2E_WORK/err.
e2e_start() {
  E2E_STATUS=""
  E2E_WINDOW=""
  # No SDL_VIDEODRIVER and no Wayland display: SDL picks its X11 driver.
  env -C "$1" -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY "$E2E_WOBBLE" \
    >"$E2E_WORK/out" 2>"$E2E_WORK/err" </dev/null &
  E2E_PID=$!
}

# e2e_wait_exit SECONDS: waits for the program to end; sets E2E_STATUS.
# Fails when it is still running after SECONDS.
e2e_wait_exit() {
  local limit=$(($1 * 10)) i
  for ((i = 0; i < limit; i++)); do
    if ! kill -0 "$E2E_PID" 2>/dev/null; then
      wait "$E2E_PID"
      # shellcheck disable=SC2034  # read by the scenarios
      E2E_STATUS=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# e2e_open_session: a person's start, the program with no arguments in a
# copy of the scene ($E2E_WORK/session), and its window found and focused;
# without a window the scenario ends.
e2e_open_session() {
  e2e_copy_scene session
  e2e_start "$E2E_WORK/session"
  e2e_wait_window 30 ||
    e2e_abort "the window \"OpenGL\" did not appear within 30 s; stderr: $(head -c 300 "$E2E_WORK/err")"
}

# Our window: named "OpenGL" and owned by our process.
e2e_find_window() {
  xdotool search --pid "$E2E_PID" --name '^OpenGL$' 2>/dev/null | head -n1
}

# e2e_wait_window SECONDS: waits until the window is mapped and gives it the
# input focus, as clicking into it would. There is no window manager.
e2e_wait_window() {
  local limit=$(($1 * 10)) i
  for ((i = 0; i < limit; i++)); do
    kill -0 "$E2E_PID" 2>/dev/null || return 1
    E2E_WINDOW=$(e2e_find_window)
    if [[ -n "$E2E_WINDOW" ]] && xwininfo -id "$E2E_WINDOW" | grep -q 'Map State: IsViewable'; then
      timeout 10 xdotool windowfocus --sync "$E2E_WINDOW" || return 1
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# e2e_geometry: "X Y WIDTH HEIGHT" of the window on the screen.
e2e_geometry() {
  xwininfo -id "$E2E_WINDOW" | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF }
    /^ *Height:/ { h = $NF }
    END { print x, y, w, h }'
}

# e2e_wait_geometry "X Y W H" SECONDS: waits until the window has that place
# and size.
e2e_wait_geometry() {
  local limit=$(($2 * 10)) i
  for ((i = 0; i < limit; i++)); do
    [[ "$(e2e_geometry)" == "$1" ]] && return 0
    sleep 0.1
  done
  return 1
}

# e2e_wait_size "W H" SECONDS: waits until the window has that size, wherever
# a window manager has put it; 0 seconds just looks.
e2e_wait_size() {
  local limit=$(($2 * 10)) i
  for ((i = 0; i <= limit; i++)); do
    [[ "$(e2e_geometry | cut -d' ' -f3-)" == "$1" ]] && return 0
    ((i < limit)) && sleep 0.1
  done
  return 1
}

# e2e_shot NAME: the window's pixels as the X server shows them, into
# $E2E_SHOTS/NAME.png (e2e_png NAME).
e2e_shot() {
  timeout 20 import -window "$E2E_WINDOW" "$(e2e_png "$1")" 2>>"$E2E_WORK/import.log" ||
    e2e_abort "import could not take the screenshot $1: $(tail -n1 "$E2E_WORK/import.log")"
}

e2e_png() { printf '%s/%s.png\n' "$E2E_SHOTS" "$1"; }

# e2e_tap KEY: a key pressed and released through XTEST into the focused
# window; the program acts on both within one frame as on a key held for it.
e2e_tap() { xdotool key "$1"; }

# e2e_shot_until NAME SECONDS WHAT COMMAND...: takes the screenshot NAME
# again until COMMAND succeeds (it reads the picture as $(e2e_png NAME)), for
# at most SECONDS; then says what it waited for and fails.
e2e_shot_until() {
  local name=$1 limit=$(($2 * 4)) what=$3 i
  shift 3
  for ((i = 0; i < limit; i++)); do
    e2e_shot "$name"
    "$@" && return 0
    sleep 0.25
  done
  e2e_say "waited $((limit / 4)) s for $what"
  return 1
}

# e2e_count_is NAME KIND OP LIMIT [X Y W H], e2e_differ_is BEFORE NAME OP
# LIMIT [X Y W H]: the pixels of KIND in a screenshot, or those in which two
# differ (in the box), against LIMIT; OP is one of < <= > >= ==.
e2e_count_is() { e2e_number_is "$3" "$4" count "$2" "$(e2e_png "$1")" "${@:5}"; }
e2e_differ_is() { e2e_number_is "$3" "$4" differ "$(e2e_png "$1")" "$(e2e_png "$2")" "${@:5}"; }
e2e_number_is() {
  local n
  n=$(e2e_probe "${@:3}")
  [[ "$n" =~ ^[0-9]+$ ]] && ((n $1 $2))
}

# e2e_shot_steady NAME SECONDS MEASURE: takes the screenshot NAME until
# MEASURE (given the picture's path) prints the same twice running.
e2e_shot_steady() {
  local name=$1 measure=$3 last="" now
  _e2e_steady() {
    now=$("$measure" "$(e2e_png "$name")")
    [[ "$now" == "$last" ]] || { last=$now && return 1; }
  }
  e2e_shot_until "$name" "$2" "a view at rest ($measure)" _e2e_steady
}

e2e_probe() { "$E2E_PROBE" "$@"; }

# e2e_wait_drawn SECONDS: waits until the window shows the sky of a drawn
# frame (a fresh window is black).
e2e_wait_drawn() {
  local limit=$(($1 * 4)) i
  for ((i = 0; i < limit; i++)); do
    e2e_shot first-frame
    (($(e2e_probe count sky "$(e2e_png first-frame)") > 0)) && return 0
    sleep 0.25
  done
  return 1
}

# e2e_body_frame DIR: "cx cy cz fx fz", the body's centre and horizontal
# forward direction as the scene in DIR loads them: the midpoint of the
# front (control points 0 to 3) and rear (4 to 7) means, and the unit vector
# from the rear mean to the front mean.
e2e_body_frame() {
  local tet
  tet=$(awk '$1 == "tetfile" { print $2; exit }' "$1/config.txt")
  awk -v points="$(awk '$1 == "points" { $1 = ""; print; exit }' "$1/config.txt")" '
    BEGIN { n = split(points, p, " ") }
    /^TETRAS/ { exit }
    seen { pos[i] = $0; i++ }
    /^VERTICES/ { seen = 1; i = 0 }
    END {
      if (n != 8) { print "bad points line"; exit 1 }
      for (k = 1; k <= 8; k++) {
        if (!(p[k] in pos)) { print "no vertex " p[k]; exit 1 }
        split(pos[p[k]], v, " ")
        g = k <= 4 ? 0 : 1
        m[g, 0] += v[1] / 4; m[g, 1] += v[2] / 4; m[g, 2] += v[3] / 4
      }
      fx = m[0, 0] - m[1, 0]; fz = m[0, 2] - m[1, 2]; len = sqrt(fx * fx + fz * fz)
      if (len == 0) { print "no forward direction"; exit 1 }
      printf "%.4f %.4f %.4f %.6f %.6f\n", (m[0, 0] + m[1, 0]) / 2, (m[0, 1] + m[1, 1]) / 2,
             (m[0, 2] + m[1, 2]) / 2, fx / len, fz / len
    }' "$1/$tet"
}

# e2e_orbit_view "cx cy cz fx fz" YAW LIFT X Y Z: where the point (X, Y, Z)
# shows in the 800 x 600 window when the orbit camera (150 behind the
# centre, 70 + LIFT up, turned by YAW degrees about the vertical through the
# centre, looking at the centre, field of view 60) watches the body. Prints
# "sx sy", or "behind" for a point behind the eye.
e2e_orbit_view() {
  awk -v frame="$1" -v yaw="$2" -v lift="$3" -v px="$4" -v py="$5" -v pz="$6" 'BEGIN {
    split(frame, b, " "); cx = b[1]; cy = b[2]; cz = b[3]; fx = b[4]; fz = b[5]
    r = yaw * 3.14159265358979 / 180; sy_ = sin(r); cy_ = cos(r)
    # The eye: the behind eye carried around the centre; w is forward x up.
    ex = cx + 150 * (sy_ * -fz - cy_ * fx); ey = cy + 70 + lift; ez = cz + 150 * (sy_ * fx - cy_ * fz)
    Fx = cx - ex; Fy = cy - ey; Fz = cz - ez; l = sqrt(Fx * Fx + Fy * Fy + Fz * Fz)
    Fx /= l; Fy /= l; Fz /= l
    # s = F x up, u = s x F, as gluLookAt builds them.
    sx = -Fz; sy = 0; sz = Fx; l = sqrt(sx * sx + sz * sz); sx /= l; sz /= l
    ux = sy * Fz - sz * Fy; uy = sz * Fx - sx * Fz; uz = sx * Fy - sy * Fx
    qx = px - ex; qy = py - ey; qz = pz - ez
    depth = Fx * qx + Fy * qy + Fz * qz
    if (depth <= 1) { print "behind"; exit }
    f = 1 / (sin(3.14159265358979 / 6) / cos(3.14159265358979 / 6))
    nx = (f / (800 / 600)) * (sx * qx + sy * qy + sz * qz) / depth
    ny = f * (ux * qx + uy * qy + uz * qz) / depth
    printf "%d %d\n", 400 * (1 + nx), 300 * (1 - ny)
  }'
}

# e2e_yaw_towards "cx cy cz fx fz" X Z: the orbit camera's yaw, in degrees
# from -180 to 180, that looks across the body towards (X, Z).
e2e_yaw_towards() {
  awk -v frame="$1" -v px="$2" -v pz="$3" 'BEGIN {
    split(frame, b, " ")
    d = (atan2(b[5], b[4]) - atan2(pz - b[3], px - b[1])) * 180 / 3.14159265358979
    while (d > 180) d -= 360
    while (d <= -180) d += 360
    printf "%.3f\n", d
  }'
}

# e2e_expected_console DIR: what the loaders print for the scene in DIR, with
# the counts taken from the files themselves: vertices and tetras from the
# model, springs as its distinct tetra edges, and the OBJ's vertex, normal,
# texture-coordinate and (fan) triangle counts.
e2e_expected_console() {
  local tet obj
  tet=$(awk '$1 == "tetfile" { print $2; exit }' "$1/config.txt")
  obj=$(awk '$1 == "objfile" { print $2; exit }' "$1/config.txt")
  awk '
    $1 == "num_vertices" { vertices = $2 }
    /^TRIANGLES/ { exit }
    tetras_seen {
      tetras++
      for (a = 1; a <= 4; a++)
        for (b = a + 1; b <= 4; b++) {
          lo = $a < $b ? $a : $b; hi = $a < $b ? $b : $a
          if (!((lo, hi) in edge)) { edge[lo, hi] = 1; springs++ }
        }
    }
    /^TETRAS/ { tetras_seen = 1 }
    END {
      printf "Vertices %d\nTetras   %d\nSprings  %d\n", vertices, tetras, springs
      printf "Loading TET-File: 1 \n\n"
    }' "$1/$tet"
  awk -v name="$obj" '
    $1 == "v" { v++ }
    $1 ~ /^vn/ { n++ }
    $1 ~ /^vt/ { t++ }
    $1 ~ /^f/ { f += NF - 3 }
    END {
      printf "Loading Mesh from file: %s\nFirst pass: get amount of data to store...\n", name
      printf " Vertices: %d\n Normals: %d\n Texcoords: %d\n Triangles: %d\n Done!\n", v, n, t, f
      printf "Second Pass: get data... Done!\n\nLoading OBJ-File: 1\n\n"
    }' "$1/$obj"
}
