#!/usr/bin/env bash
# A mistyped protocol library on a real X display: the desktop program says
# "SER dll not found or out of date!" once at start-up, the main window can
# be used once that box is answered, and Ctrl+C says it exactly once more.
# Message boxes are counted as the X server sees them.
#   missing_library.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig}"

# Boxes are counted as the window manager shows them: the session starts the
# program once it runs.
run_session <<'SESSION'
say() { echo "$*" >>"$work/results"; }

# The load failure's box is titled "Connection".
box_title='^Connection$'
boxes() { xdotool search --all --onlyvisible --pid "$app" --name "$box_title" 2>/dev/null | wc -l; }
list_windows() {
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
# Waits until the active window's title matches the pattern.
wait_active_matching() {
  for _ in $(seq 100); do
    [[ "$(active_name)" =~ $1 ]] && return 0
    sleep 0.1
  done
  return 1
}
# The fitter answers the box that has the focus with Enter.
answer() {
  wait_active_matching "$box_title" || { say "no box took the focus"; return 1; }
  xdotool key --clearmodifiers Return
  sleep 0.5
}

start_program --library mistyped
say "start-up boxes: $(settled_boxes)"
answer || true
say "boxes after answering: $(settled_boxes)"
echo "windows then:" >>"$work/results"
list_windows >>"$work/results"

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
if wait_active_matching "^$main\$"; then say "main window active: yes"; else say "main window active: no ($(active_name))"; fi

xdotool key --clearmodifiers ctrl+c
say "Ctrl+C boxes: $(settled_boxes)"
answer || true
say "boxes after answering Ctrl+C: $(settled_boxes)"
if wait_active_matching "^$main\$"; then say "main window active again: yes"; else say "main window active again: no"; fi
xdotool key --clearmodifiers F5
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { say "F5 did not end the program"; kill "$app"; }
record_exit_code
SESSION
touch "$work/results"

said() { grep -qxF "$1" "$work/results"; }
check "one box at start-up" 'said "start-up boxes: 1"'
check "none after it was answered" 'said "boxes after answering: 0"'
check "the main window is the active one" 'said "main window active: yes"'
check "Ctrl+C says it once more" 'said "Ctrl+C boxes: 1"'
check "none after that was answered" 'said "boxes after answering Ctrl+C: 0"'
check "the main window takes keys again" 'said "main window active again: yes"'
check "F5 ended the program with code 0" program_exited_0
finish "what the session saw" 'cat "$work/results"'
