#!/usr/bin/env bash
# A person's session with wobble: started with no arguments in the sample
# scene's folder, the window appears and the console shows the loaders; then
# keys, pressed and held through the X server, drive the body and the view,
# and the window's close button (a window manager's close request) ends it.

# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_start_x
e2e_open_session
scene="$E2E_WORK/session"
e2e_pass "a window named \"OpenGL\" appears"
e2e_check "it sits at (0, 0) and measures 800 x 600 ($(e2e_geometry))" \
  test "$(e2e_geometry)" = "0 0 800 600"
e2e_wait_drawn 30 || e2e_abort "the window shows no drawn frame within 30 s"

e2e_expected_console "$scene" >"$E2E_WORK/expected-out"
e2e_check "the console shows the loaders' lines in their order, with the files' counts" \
  diff -u "$E2E_WORK/expected-out" "$E2E_WORK/out"

# What the person sees first: the dressed body, seen from behind, over the
# water, under the sky. The camera looks at the body's centre, so the body
# is in the middle of the window.
e2e_shot_until start 30 "the dressed body in the middle" e2e_count_is start body ">" 500 300 200 200 200
start=$(e2e_png start)
e2e_expect "the dressed body shows in the middle" "$(e2e_probe count body "$start" 300 200 200 200)" \
  ">" 500
e2e_expect "water fills the lower half" "$(e2e_probe count water "$start" 0 400 800 200)" ">" 150000
e2e_expect "sky above the water" "$(e2e_probe count sky "$start" 0 0 800 100)" ">" 70000
e2e_expect "no wireframe while dressed" "$(e2e_probe count red "$start")" "==" 0

# M: the red tetra wireframe with its yellow control points; M again: dressed.
e2e_tap m
e2e_shot_until wireframe 20 "the wireframe" e2e_count_is wireframe red ">" 500 250 150 300 300
wire=$(e2e_png wireframe)
e2e_expect "M: red wireframe edges" "$(e2e_probe count red "$wire" 250 150 300 300)" ">" 500
e2e_expect "M: yellow control points" "$(e2e_probe count yellow "$wire" 250 150 300 300)" ">" 20
e2e_expect "M: no dressed surface" "$(e2e_probe count body "$wire")" "<" 50
e2e_tap m
e2e_shot_until dressed-again 20 "the dressed surface back" e2e_count_is dressed-again red "==" 0
again=$(e2e_png dressed-again)
e2e_expect "M again: the dressed surface is back" "$(e2e_probe count body "$again" 300 200 200 200)" \
  ">" 500
e2e_expect "M again: no wireframe" "$(e2e_probe count red "$again")" "==" 0
e2e_expect "M again: no control points" "$(e2e_probe count yellow "$again")" "==" 0

# Up: the body moves forward, and the camera behind it with it, so the far
# edge of the water comes nearer: it drops on the screen. Sky pixels in a
# band of columns beside the body count how far down the water starts.
far_edge_row() { echo $(($(e2e_probe count sky "$1" 200 0 150 400) / 150)); }
e2e_shot idle
# Later frames, whose water has moved on (a still picture would pass too).
e2e_shot_until before-up 5 "a later frame" e2e_differ_is idle before-up ">" 0
row0=$(far_edge_row "$(e2e_png before-up)")
e2e_expect "without Up the far edge of the water stays (rows moved meanwhile)" \
  "$((row0 - $(far_edge_row "$(e2e_png idle)")))" "<=" 1
# One second, as a person would; where frames are slow (the sanitizer build
# draws a quarter as many) the key stays down until the body has moved, for
# at most 8 s, since the push per frame is fixed.
xdotool keydown Up
held=0
for ((i = 1; i <= 16; i++)); do
  sleep 0.5
  e2e_shot holding-up
  held=$i
  ((i >= 2 && $(far_edge_row "$(e2e_png holding-up)") - row0 >= 2)) && break
done
xdotool keyup Up
e2e_say "Up held for $(awk -v h="$held" 'BEGIN { print h / 2 }') s"
e2e_shot released-up
box=$(e2e_probe box body "$(e2e_png before-up)")
[[ "$box" == none ]] && e2e_abort "no body to be seen before Up"
read -r bx0 by0 bx1 by1 <<<"$box"
# The brightness spread of the water below the body: flat water shades
# evenly (spread under 0.3), ripples do not.
wake_spread() { e2e_probe spread "$1" $((bx0 - 150)) "$by1" $((bx1 - bx0 + 300)) 120; }
# The body goes on gliding for a while after the key is released; how far it
# has come and how its wake looks at a given moment depend on the frames
# drawn so far, fewer a second on a busy machine, so both are waited for.
for ((i = 0; i < 16; i++)); do
  sleep 0.5
  e2e_shot after-up
  (($(far_edge_row "$(e2e_png after-up)") - row0 >= 4)) &&
    awk -v s="$(wake_spread "$(e2e_png after-up)")" 'BEGIN { exit !(s > 1) }' && break
done
after=$(e2e_png after-up)
e2e_expect "Up: the far edge of the water comes nearer (rows down)" \
  "$(($(far_edge_row "$after") - row0))" ">=" 4
e2e_expect "Up: the picture changes around the body" \
  "$(e2e_probe differ "$(e2e_png before-up)" "$(e2e_png released-up)" $((bx0 - 100)) $((by0 - 20)) \
    $((bx1 - bx0 + 200)) $((by1 - by0 + 100)))" ">" 500
e2e_expect "Up: the water around the body is stirred, not flat (brightness spread)" \
  "$(wake_spread "$after")" ">" 1

# B held: every spring's rest length grows by a tenth a frame, and the body
# swells towards it. Held briefly, as the growth compounds.
body0=$(e2e_probe count body "$(e2e_png after-up)")
for ((i = 1; i <= 6; i++)); do
  e2e_tap b
  e2e_shot_until pumped 2 "the body to swell" e2e_count_is pumped body ">" $((body0 * 3 / 2)) && break
done
e2e_expect "B: the body swells (pixels of the body, before $body0)" \
  "$(e2e_probe count body "$(e2e_png pumped)")" ">" $((body0 * 3 / 2))

# T: fullscreen and back. SDL asks the window manager for the fullscreen
# state (EWMH), so a small one takes the window over from here on, as any
# desktop's would; the program keeps its viewport of 800 x 600.
e2e_start_wm || e2e_abort "the window manager did not start: $(head -c 300 "$E2E_WORK/wm.log")"
timeout 10 xdotool windowfocus --sync "$E2E_WINDOW"
e2e_tap t
e2e_wait_geometry "0 0 1024 768" 10
e2e_check "T: the window covers the screen ($(e2e_geometry))" test "$(e2e_geometry)" = "0 0 1024 768"
fullscreen_drawn() {
  e2e_count_is fullscreen sky ">" 100000 && e2e_count_is fullscreen white ">" 10
}
e2e_shot_until fullscreen 20 "a frame across the screen with its crosshair" fullscreen_drawn
e2e_expect "T: drawn across the screen (sky pixels)" "$(e2e_probe count sky "$(e2e_png fullscreen)")" \
  ">" 100000
# The cursor is hidden there; a small white crosshair marks where it points.
e2e_expect "T: a crosshair marks the hidden cursor (white pixels)" \
  "$(e2e_probe count white "$(e2e_png fullscreen)")" ">" 10
e2e_tap t
e2e_wait_size "800 600" 10
e2e_check "T again: the window is back at 800 x 600 ($(e2e_geometry))" e2e_wait_size "800 600" 0
# Still drawing: a key still changes what the window shows.
e2e_tap m
e2e_shot_until windowed-wireframe 20 "the wireframe" e2e_count_is windowed-wireframe red ">" 500
e2e_expect "T again: the program still draws (M shows the wireframe)" \
  "$(e2e_probe count red "$(e2e_png windowed-wireframe)")" ">" 500
e2e_expect "T again: no crosshair beside the shown cursor" \
  "$(e2e_probe count white "$(e2e_png windowed-wireframe)")" "==" 0

# The close button: the window manager's close request ends the program.
"$E2E_CLOSE" "$E2E_WINDOW" || e2e_fail "the close request could not be sent"
if e2e_wait_exit 20; then
  e2e_check "close request: the program ends with status 0 (was $E2E_STATUS)" test "$E2E_STATUS" = 0
else
  e2e_fail "close request: the program is still running after 20 s"
fi
e2e_check "close request: no window is left" test -z "$(xdotool search --name '^OpenGL$')"
e2e_check "the console shows nothing beyond the loaders' lines" \
  diff -u "$E2E_WORK/expected-out" "$E2E_WORK/out"
e2e_check "nothing on standard error during the session" test ! -s "$E2E_WORK/err"
[[ -s "$E2E_WORK/err" ]] && e2e_say "stderr: $(head -c 500 "$E2E_WORK/err")"

e2e_finish
