#!/usr/bin/env bash
# A session recorded as a video: F9 starts recording into the working folder
# and a red dot shows in the window's top-right corner; F9 again stops it,
# the dot goes, and the video holds the frames without the dot.

# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
command -v ffprobe >/dev/null || e2e_abort "ffprobe is not installed (scripts/install-deps installs ffmpeg)"
e2e_start_x
e2e_open_session
scene="$E2E_WORK/session"
e2e_wait_drawn 30 || e2e_abort "the window shows no drawn frame within 30 s"
# The dot: a disc of radius 9 about 20 pixels in from the top-right corner.
corner=(760 0 40 40)

e2e_shot before
e2e_expect "before F9: no red in the top-right corner" \
  "$(e2e_probe count red "$(e2e_png before)" "${corner[@]}")" "==" 0

# Recording until eleven frames with the dot have been seen, each unlike
# the one before: at least as many are in the video.
e2e_tap F9
e2e_shot recording
seen=0
new_frame_with_dot() {
  cp "$(e2e_png recording)" "$(e2e_png previous)" && e2e_shot recording
  e2e_count_is recording red ">" 0 "${corner[@]}" && e2e_differ_is previous recording ">" 0 &&
    seen=$((seen + 1))
  ((seen > 10))
}
e2e_shot_until recording 60 "eleven frames with the dot" new_frame_with_dot
e2e_expect "F9: a red dot in the top-right corner" \
  "$(e2e_probe count red "$(e2e_png recording)" "${corner[@]}")" ">" 150
e2e_expect "F9: nothing red elsewhere" "$(e2e_probe count red "$(e2e_png recording)" 0 0 760 600)" \
  "==" 0

e2e_tap F9
# ffmpeg finishes the file before the program says it is written.
for ((i = 0; i < 100; i++)); do
  grep -q '^Video written to' "$E2E_WORK/out" && break
  sleep 0.1
done
e2e_shot_until stopped 20 "the dot to go" e2e_count_is stopped red "==" 0 "${corner[@]}"
e2e_expect "F9 again: the dot is gone" "$(e2e_probe count red "$(e2e_png stopped)" "${corner[@]}")" \
  "==" 0

video="$scene/wobble-0001.mp4"
read -r codec width height frames <<<"$(ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=codec_name,width,height,nb_read_frames -of csv=p=0 "$video" 2>&1 | tr , ' ')"
e2e_check "the video wobble-0001.mp4 is H.264 of 800 x 600 ($codec $width x $height)" \
  test "$codec $width $height" = "h264 800 600"
e2e_expect "the video holds the frames drawn while recording" "${frames:-none}" ">" 10
e2e_check "the console names the video and its frames" grep -qx \
  "Video written to wobble-0001.mp4 (${frames:-?} frames)" "$E2E_WORK/out"
middle=$(e2e_png video-middle)
ffmpeg -v error -i "$video" -vf "select=eq(n\,$((${frames:-2} / 2)))" -frames:v 1 -y "$middle"
# The encoding shifts colours by a step or two, so the exact sky colour is
# not there; the body's warm colours are.
e2e_expect "a frame of the video shows the body in the middle" \
  "$(e2e_probe count body "$middle" 300 200 200 200)" ">" 500
e2e_expect "a frame of the video has no red dot" "$(e2e_probe count red "$middle" "${corner[@]}")" \
  "==" 0

e2e_tap Escape
if e2e_wait_exit 20; then
  e2e_check "Escape: the program ends with status 0 (was $E2E_STATUS)" test "$E2E_STATUS" = 0
else
  e2e_fail "Escape: the program is still running after 20 s"
fi
{
  e2e_expected_console "$scene"
  echo "Recording video to wobble-0001.mp4 (F9 stops)"
  echo "Video written to wobble-0001.mp4 (${frames:-?} frames)"
} >"$E2E_WORK/expected-out"
e2e_check "the console shows the loaders' lines and the video's two lines" \
  diff -u "$E2E_WORK/expected-out" "$E2E_WORK/out"
e2e_check "nothing on standard error during the session" test ! -s "$E2E_WORK/err"
[[ -s "$E2E_WORK/err" ]] && e2e_say "stderr: $(head -c 500 "$E2E_WORK/err")"

e2e_finish
