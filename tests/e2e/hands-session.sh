#!/usr/bin/env bash
# The mouse's hands and the panel, as a person uses them: the left button
# pressed on the body in the middle of the window and dragged up pulls it
# up along a white line while the view holds still; released, the line is
# gone. After a reset, Tab shows the panel; dragging its stiffness slider to
# the right turns the stability meter red, and the view does not turn
# meanwhile.

# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_start_x
e2e_open_session
e2e_wait_drawn 30 || e2e_abort "the window shows no drawn frame within 30 s"
# Sky pixels in a band of columns beside the body count how far down the
# water starts: the row moves when the view turns or rises.
far_edge_row() { echo $(($(e2e_probe count sky "$1" 200 0 150 400) / 150)); }
body_top() { e2e_probe box body "$1" | cut -d' ' -f2; }
abs() { echo $(($1 < 0 ? -$1 : $1)); }
# The view and the body in the middle where they are (the camera follows
# the body); never the same twice while no body shows there.
at_rest() {
  local top
  top=$(body_top "$1")
  [[ "$top" =~ ^[0-9]+$ ]] || top="none $RANDOM"
  echo "$(far_edge_row "$1") $top"
}

# The pointer to the middle of the window, which turns and lowers the
# camera on the way (seen in a frame before R); R puts the camera (and the
# body) back as they started, with the pointer now resting where the body
# shows.
e2e_shot before-move
xdotool mousemove --sync 400 300
view_moved() { (($(far_edge_row "$(e2e_png moved)") != $(far_edge_row "$(e2e_png before-move)"))); }
e2e_shot_until moved 10 "the view to turn with the pointer" view_moved
e2e_tap r
e2e_shot_steady before-grab 20 at_rest
before=$(e2e_png before-grab)
top0=$(body_top "$before")
[[ "$top0" =~ ^[0-9]+$ ]] || e2e_abort "no body to be seen in the middle of the window"
row0=$(far_edge_row "$before")

# The press on the body, the drag 120 pixels up, held until the body has
# followed (at most 8 s: frames are slow under the sanitizers).
xdotool mousedown 1
for y in 290 270 250 230 210 190 180; do
  xdotool mousemove --sync 400 "$y"
done
risen=0
e2e_shot pull-begins
rowHeld=$(far_edge_row "$(e2e_png pull-begins)")
for ((i = 0; i < 16; i++)); do
  sleep 0.5
  e2e_shot pulling
  risen=$((top0 - $(body_top "$(e2e_png pulling)")))
  ((i >= 2 && risen >= 15)) && break
done
pulling=$(e2e_png pulling)
e2e_expect "grab: the body's top rises towards the cursor (pixels)" "$risen" ">=" 15
e2e_expect "grab: the pull shows as a white line above the body" \
  "$(e2e_probe count white "$pulling" 380 170 40 140)" ">" 20
e2e_expect "grab: the view holds still while the body rises (rows the far edge moved)" \
  "$(($(far_edge_row "$pulling") - rowHeld))" "==" 0
xdotool mouseup 1
e2e_shot_until released 20 "the line to go" e2e_count_is released white "==" 0
e2e_expect "release: the line is gone" "$(e2e_probe count white "$(e2e_png released)")" "==" 0

# R: the body back at rest where it started (let go while still rising, it
# would fly on, and the camera after it), the camera as it started.
e2e_tap r
e2e_shot_steady reset 20 at_rest
row0=$(far_edge_row "$(e2e_png reset)")

# Tab: the panel down the window's right side.
e2e_tap Tab
e2e_shot_until panel 20 "the panel" e2e_differ_is reset panel ">" 40000 480 20 300 500
e2e_expect "Tab: the panel shows on the right (pixels changed)" \
  "$(e2e_probe differ "$(e2e_png reset)" "$(e2e_png panel)" 480 20 300 500)" ">" 40000
e2e_expect "Tab: the stability meter is not red at the scene's own stiffness" \
  "$(e2e_probe count red "$(e2e_png panel)" 478 282 200 16)" "<" 100

# The stiffness slider's row in the panel's fixed layout: y 244, x 478 to
# 678 (the meter right below it). The cursor over the panel does not turn
# the camera; pressed on the slider and dragged right, it stiffens every
# spring to near the step's limit.
xdotool mousemove --sync 490 244
# The slider under the cursor is drawn lighter once a frame has seen it there.
e2e_shot_until over-panel 10 "the slider to show the cursor over it" \
  e2e_differ_is panel over-panel ">" 0 478 236 200 16
overPanel=$(e2e_png over-panel)
row1=$(far_edge_row "$overPanel")
e2e_expect "over the panel the mouse does not turn the view (rows moved)" "$(abs $((row1 - row0)))" "<=" 1
# Each step of the drag is seen in a frame (the slider's value shown
# changes) before the next.
xdotool mousedown 1
e2e_shot_until pressed 10 "the slider to take the press" \
  e2e_differ_is over-panel pressed ">" 0 478 236 200 16
xdotool mousemove --sync 560 244
e2e_shot_until dragging 10 "the slider to follow" e2e_differ_is pressed dragging ">" 50 478 236 200 16
xdotool mousemove --sync 630 244
e2e_shot_until tuned 10 "the stability meter to turn red" \
  e2e_count_is tuned red ">" 1500 478 282 200 16
xdotool mouseup 1
e2e_shot tuned
tuned=$(e2e_png tuned)
e2e_expect "slider: the stiffness shown changes" \
  "$(e2e_probe differ "$overPanel" "$tuned" 478 236 200 16)" ">" 50
e2e_expect "slider: the stability meter turns red" \
  "$(e2e_probe count red "$tuned" 478 282 200 16)" ">" 1500
e2e_expect "slider: the view did not turn (rows moved)" "$(abs $(($(far_edge_row "$tuned") - row0)))" \
  "<=" 1

e2e_tap Escape
if e2e_wait_exit 20; then
  e2e_check "Escape: the program ends with status 0 (was $E2E_STATUS)" test "$E2E_STATUS" = 0
else
  e2e_fail "Escape: the program is still running after 20 s"
fi
e2e_check "nothing on standard error during the session" test ! -s "$E2E_WORK/err"
[[ -s "$E2E_WORK/err" ]] && e2e_say "stderr: $(head -c 500 "$E2E_WORK/err")"

e2e_finish
