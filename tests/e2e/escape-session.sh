#!/usr/bin/env bash
# A second session: the person turns the camera with the mouse to look
# across the body towards the splash point (30, 2, 30), splashes the water
# there with Z, cycles the camera with C, and ends the program with Escape.

# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_start_x
e2e_open_session
scene="$E2E_WORK/session"
e2e_wait_drawn 30 || e2e_abort "the window shows no drawn frame within 30 s"

# The mouse turns the orbit camera: yaw goes down by half the horizontal
# motion in pixels. Work out the turn that puts the splash point beyond the
# body, and where on the screen the water there will show.
frame=$(e2e_body_frame "$scene") || e2e_abort "cannot read the body's frame: $frame"
yaw=$(e2e_yaw_towards "$frame" 30 30)
counts=$(awk -v y="$yaw" 'BEGIN { c = -2 * y; c = c < 0 ? int(c - 0.5) : int(c + 0.5)
                                 if (c > 280) c -= 720; if (c < -500) c += 720; print c }')
yaw=$(awk -v c="$counts" 'BEGIN { print -c / 2 }')
read -r splash_x splash_y <<<"$(e2e_orbit_view "$frame" "$yaw" 0 30 -1 30)"
[[ "$splash_x" =~ ^[0-9]+$ && "$splash_x" -lt 800 && "$splash_y" -lt 600 ]] ||
  e2e_abort "the splash point would not show at yaw $yaw ($splash_x $splash_y)"
eval "$(xdotool getmouselocation --shell)"
((X + counts >= 0 && X + counts < 800 && Y < 600)) ||
  e2e_abort "the pointer at ($X, $Y) cannot move $counts pixels inside the window"
e2e_shot before-turn
xdotool mousemove --sync $((X + counts)) "$Y"
e2e_shot_until turned 20 "the view to turn" e2e_differ_is before-turn turned ">" 5000
e2e_expect "mouse: the view turns ($counts pixels: yaw $yaw)" \
  "$(e2e_probe differ "$(e2e_png before-turn)" "$(e2e_png turned)")" ">" 5000
e2e_say "the splash point should show at ($splash_x, $splash_y)"

# Z held: the water is pushed down at the splash point in every frame. The
# water there changes far more than in as long a time without Z; the key
# stays down until it does, for at most 3 s, as frames are slower under the
# sanitizers. Only pixels that show water in both pictures count: the far
# corner of the pool is in the box, and its edge moves by a pixel whenever
# the body bobs.
box=($((splash_x - 80)) $((splash_y - 20)) 160 40)
# Without Z: the most the water there changes over as many looks as the
# splash gets below.
e2e_shot calm-0
calm=0
for ((i = 0; i < 8; i++)); do
  sleep 0.25
  e2e_shot calm-1
  changed=$(e2e_probe differ "$(e2e_png calm-0)" "$(e2e_png calm-1)" "${box[@]}" water)
  ((changed > calm)) && calm=$changed
done
wanted=$((4 * calm + 100))
waves=0
xdotool keydown z
for ((i = 0; i < 20; i++)); do
  ((i == 12)) && xdotool keyup z
  sleep 0.25
  e2e_shot splash
  changed=$(e2e_probe differ "$(e2e_png calm-1)" "$(e2e_png splash)" "${box[@]}" water)
  ((changed > waves)) && waves=$changed && cp "$(e2e_png splash)" "$(e2e_png splash-waves)"
  ((waves > wanted)) && break
done
xdotool keyup z
e2e_expect "Z: waves at the splash point (pixels changed around it; at most $calm without Z)" \
  "$waves" ">" "$wanted"

# C held: the camera steps to its next mode every seventh frame: free,
# behind, side, front, orbit. The key stays down until the view jumps away
# from the orbit view, however many frames a second the machine draws.
e2e_shot before-c
xdotool keydown c
e2e_shot_until other-view 30 "the camera to change mode" e2e_differ_is before-c other-view ">" 30000
xdotool keyup c
e2e_expect "C held: the camera changes mode (pixels of the view that changed)" \
  "$(e2e_probe differ "$(e2e_png before-c)" "$(e2e_png other-view)")" ">" 30000

# Escape ends the program.
e2e_tap Escape
if e2e_wait_exit 20; then
  e2e_check "Escape: the program ends with status 0 (was $E2E_STATUS)" test "$E2E_STATUS" = 0
else
  e2e_fail "Escape: the program is still running after 20 s"
fi
e2e_check "Escape: no window is left" test -z "$(xdotool search --name '^OpenGL$')"
e2e_expected_console "$scene" >"$E2E_WORK/expected-out"
e2e_check "the console shows the loaders' lines and nothing else" \
  diff -u "$E2E_WORK/expected-out" "$E2E_WORK/out"
e2e_check "nothing on standard error during the session" test ! -s "$E2E_WORK/err"
[[ -s "$E2E_WORK/err" ]] && e2e_say "stderr: $(head -c 500 "$E2E_WORK/err")"

e2e_finish
