#!/usr/bin/env bash
# Start-up failures as a person meets them: wobble started in a scene folder
# that cannot be used. Each must end within seconds with status 1 and one line
# on standard error that names the file and the problem, and leave no window.

# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_start_x

config_value() { awk -v key="$2" '$1 == key { print $2; exit }' "$1/config.txt"; }

# e2e_refused NAME PATTERN...: runs wobble in $E2E_WORK/NAME and checks that it
# refuses the scene; every PATTERN (extended regex) must be on the error line.
e2e_refused() {
  local name=$1
  shift
  e2e_start "$E2E_WORK/$name"
  if ! e2e_wait_exit 30; then
    e2e_fail "$name: still running after 30 s"
    return
  fi
  local err="$E2E_WORK/err" lines pattern
  e2e_check "$name: exit status 1 (was $E2E_STATUS)" test "$E2E_STATUS" = 1
  lines=$(wc -l <"$err")
  e2e_check "$name: exactly one line on standard error (got $lines)" test "$lines" = 1
  for pattern in "$@"; do
    e2e_check "$name: the error line says '$pattern'" grep -Eq -- "$pattern" "$err"
  done
  e2e_check "$name: no window left after the exit" test -z "$(xdotool search --name '^OpenGL$')"
  e2e_say "$name said: $(head -c 300 "$err")"
}

# No config.txt: started in the wrong folder.
e2e_copy_scene no-config
rm "$E2E_WORK/no-config/config.txt"
e2e_refused no-config 'config\.txt' 'cannot open|No such file'

# A broken model file: cut off in the middle of its vertex section.
e2e_copy_scene truncated-model
tet=$(config_value "$E2E_WORK/truncated-model" tetfile)
vertices_line=$(grep -n '^VERTICES' "$E2E_WORK/truncated-model/$tet" | cut -d: -f1)
vertex_count=$(awk '$1 == "num_vertices" { print $2; exit }' "$E2E_SCENE/$tet")
head -n $((vertices_line + vertex_count / 2)) "$E2E_SCENE/$tet" >"$E2E_WORK/truncated-model/$tet"
e2e_refused truncated-model "$tet" 'did not load|vert'
e2e_check "truncated-model: the console says what the model loader met" \
  grep -qx 'Error: more vertices than in file defined.' "$E2E_WORK/out"

# A broken model file: a tetra corner that names no vertex.
e2e_copy_scene bad-corner
tetras_line=$(grep -n '^TETRAS' "$E2E_WORK/bad-corner/$tet" | cut -d: -f1)
sed -i "$((tetras_line + 1))s/^[[:space:]]*[0-9]*/123456789/" "$E2E_WORK/bad-corner/$tet"
e2e_refused bad-corner "$tet" 'corner index 123456789'

# A control point beyond the model's particles.
e2e_copy_scene control-out-of-range
sed -i 's/^points [0-9]*/points 987654/' "$E2E_WORK/control-out-of-range/config.txt"
e2e_refused control-out-of-range 'config\.txt:4' 'control particle 0' '987654'

e2e_finish
