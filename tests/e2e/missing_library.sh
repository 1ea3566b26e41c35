#!/usr/bin/env bash
# A mistyped protocol library on a real X display: the desktop program says
# "SER dll not found or out of date!" once at start-up, the main window can
# be used once that box is answered, and Ctrl+C says it exactly once more.
# Message boxes are counted as the X server sees them.
#   missing_library.sh BIN_DIR
set -euo pipefail
bin=$(cd "${1:?folder of noxconfig}" && pwd)
for tool in xvfb-run xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime HOME=$work
mkdir -m 700 -p "$work/runtime"

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
bin=$1 work=$2
export QT_QPA_PLATFORM=xcb
# Boxes are counted as the window manager shows them: start once it runs.
openbox --startup "touch $work/wm.ready" >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [[ -e "$work/wm.ready" ]] && break
  sleep 0.1
done
"$bin/noxconfig" --no-splash --library mistyped >"$work/noxconfig.log" 2>&1 &
app=$!
say() { echo "$*" >>"$work/results"; }

# The load failure's box is titled "Connection".
box_title='^Connection$'
boxes() { xdotool search --all --onlyvisible --pid "$app" --name "$box_title" 2>/dev/null | wc -l; }
windows() {
  for window in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    echo "  $window \"$(xdotool getwindowname "$window")\""
  done
}
# Boxes are modal, so a flood shows one after another: count them after
# time enough for the next one to come up.
settled_boxes() {
  sleep 2
  boxes
}
active_name() { xdotool getactivewindow getwindowname 2>/dev/null || true; }
# Waits until the active window's title matches the pattern.
wait_active() {
  for _ in $(seq 100); do
    [[ "$(active_name)" =~ $1 ]] && return 0
    sleep 0.1
  done
  return 1
}
# The fitter answers the box that has the focus with Enter.
answer() {
  wait_active "$box_title" || { say "no box took the focus"; return 1; }
  xdotool key --clearmodifiers Return
  sleep 0.5
}

for _ in $(seq 300); do
  (($(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l) > 0)) && break
  sleep 0.1
done
say "start-up boxes: $(settled_boxes)"
answer || true
say "boxes after answering: $(settled_boxes)"
echo "windows then:" >>"$work/results"
windows >>"$work/results"

main=""
for _ in $(seq 100); do
  for window in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    name=$(xdotool getwindowname "$window")
    [[ "$name" =~ $box_title ]] || main=$name
  done
  [[ -n "$main" ]] && break
  sleep 0.1
done
say "main window: $main"
if wait_active "^$main\$"; then say "main window active: yes"; else say "main window active: no ($(active_name))"; fi

xdotool key --clearmodifiers ctrl+c
say "Ctrl+C boxes: $(settled_boxes)"
answer || true
say "boxes after answering Ctrl+C: $(settled_boxes)"
if wait_active "^$main\$"; then say "main window active again: yes"; else say "main window active again: no"; fi
xdotool key --clearmodifiers F5
status=0
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { say "F5 did not end the program"; kill "$app"; }
wait "$app" || status=$?
echo "$status" >"$work/exit.code"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$bin" "$work" || true
touch "$work/results"

fail=0
check() { if grep -qxF "$2" "$work/results"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
check "one box at start-up" "start-up boxes: 1"
check "none after it was answered" "boxes after answering: 0"
check "the main window is the active one" "main window active: yes"
check "Ctrl+C says it once more" "Ctrl+C boxes: 1"
check "none after that was answered" "boxes after answering Ctrl+C: 0"
check "the main window takes keys again" "main window active again: yes"
if [[ "$(cat "$work/exit.code" 2>/dev/null)" == 0 ]]; then echo "ok: F5 ended the program with code 0"; else
  echo "FAILED: F5 ended the program with code 0"
  fail=1
fi
if ((fail)); then
  echo "--- what the session saw"; cat "$work/results"
  echo "--- program output"; cat "$work/noxconfig.log" || true
fi
exit "$fail"
