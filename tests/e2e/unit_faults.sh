#!/usr/bin/env bash
# A unit that misbehaves, met with the keyboard alone on a real X display:
#  1. a value it does not answer at the connect: said, never saved (F2), and
#     F1's window writes nothing in its place;
#  2. the line lost under the configuration window after an edit: said, and
#     Ctrl+C there connects again, the stale warning goes, and the main
#     window stays within the screen however long the warning;
#  3. a unit that refuses the connection: said, and the status bar keeps
#     "not connected";
#  4. F3 while not connected: "press Ctrl+C", and no file dialog.
# What reached the unit is read in its memory file, the window sizes from the
# X server, the status texts from the program's status log.
#   unit_faults.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" od

factory_unit 2
# A connect settles the over-rev threshold: the unit as later connects find it.
"$bin/ecuctl" identify >/dev/null
cp "$work/unit.bin" "$work/factory.bin"
cp "$work/unit.ini" "$work/plain.ini"
# The change-over speed (byte 223) does not answer; the line drops after the
# connect's reads, the edit and a few seconds of live values.
printf 'read_fail = 223\nlose_connection_after = 120\ndefault_acquired_after_ms = 0\n' >>"$work/unit.ini"
printf 'refuse_connect = true\n' >>"$work/plain.ini"

run_session <<'SESSION'
export QT_LOGGING_RULES="nox.status.debug=true"
screen_width=$(xdotool getdisplaygeometry | cut -d' ' -f1)
# The last status text of a kind ("state", "warning") the program showed.
last_status() { sed -n "s/^nox\.status: $1: \?//p" "$work/noxconfig.log" | tail -1; }
# Waits until the program shows exactly n windows.
wait_windows() {
  for _ in $(seq 200); do
    (($(program_windows) == $1)) && return 0
    sleep 0.1
  done
  echo "$(program_windows) windows, not $1, after: $last" >&2
  return 1
}
# Waits for a message box over n windows, with the title of the window it
# speaks for (the wait window of a connect is no box), and notes that it came.
# The box is active, and it is none of the program's own windows.
config_window=none
wait_box_over() {
  local active
  for _ in $(seq 200); do
    active=$(xdotool getactivewindow 2>/dev/null || true)
    if (($(program_windows) == $1 + 1)) && [[ -n $active && $active != "$window" && $active != "$config_window" &&
      $(active_name) == "$2" ]]; then
      echo "$2" >"$work/$3.title"
      return 0
    fi
    sleep 0.1
  done
  echo "no box \"$2\" over $1 windows after: $last (active: \"$(active_name)\")" >&2
  return 1
}
# The main window's right edge and width, as the X server has them.
main_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  echo "$((X + WIDTH)) $WIDTH" >>"$work/main.geometry"
}

start_program
wait_active "=" "$(xdotool getwindowname "$window")"
main=$(active_name)
echo "$main" >"$work/main.title"
echo "$screen_width" >"$work/screen.width"

# 1. The connect says what it could not read.
key ctrl+c
wait_box_over 1 "$main" unread
key Return
wait_windows 1
wait_active "=" "$main"
last_status state >"$work/connected.state"
key F2
wait_active "!=" "$main"
key ctrl+a
type_text "$work/car.kfg"
key Return
wait_box_over 1 "$main" not_saved
key Return
wait_windows 1
wait_active "=" "$main"

# 2. F1, one edit, then the line drops under the window.
key F1
wait_active "!=" "$main"
config=$(active_name)
config_window=$(xdotool getactivewindow)
key Down Down Down              # change-over temperature
type_text 30
key Return                      # written at once
wait_box_over 2 "$config" lost
key Return
wait_windows 2
wait_active "=" "$config"
sleep 0.5
last_status warning >"$work/lost.warning"
main_geometry
key ctrl+c                      # connects again from this window
# The value the unit still does not give is said again, over the main window.
wait_box_over 2 "$main" unread_again
key Return
wait_windows 2
wait_active "=" "$config"
last_status warning >"$work/reconnected.warning"
last_status state >"$work/reconnected.state"
main_geometry
key alt+q
wait_active "=" "$main"
key F5
record_exit_code
mv "$work/exit.code" "$work/first.exit.code"
cp "$work/noxconfig.log" "$work/first.log"

# 3. and 4. A unit that refuses the connection; F3 without one.
cp "$work/plain.ini" "$work/unit.ini"
start_program
wait_active "=" "$main"
key ctrl+c
wait_box_over 1 "$main" refused
key Return
wait_windows 1
wait_active "=" "$main"
last_status state >"$work/refused.state"
key F3
wait_box_over 1 "$main" f3
key Return
wait_windows 1
wait_active "=" "$main"
key F5
record_exit_code
SESSION

check "the program exited with code 0, both times" \
  '[[ $(cat "$work/first.exit.code" 2>/dev/null) == 0 ]] && program_exited_0'
main_title=$(cat "$work/main.title")
check "the unread value was said after the connect" '[[ -s "$work/unread.title" ]]'
check "F2 said it could not save, and no file was written" \
  '[[ $(cat "$work/not_saved.title") == "$main_title" && ! -e "$work/car.kfg" ]]'
check "nothing was written in place of the value the unit did not give (byte 223)" \
  '[[ $(byte "$work/unit.bin" 223) == $(byte "$work/factory.bin" 223) ]]'
check "the edit before the lost line reached the unit (byte 224)" \
  '[[ $(byte "$work/unit.bin" 224) != $(byte "$work/factory.bin" 224) ]]'
check "the lost line left a warning in the status bar that says to press Ctrl+C" \
  'grep -q "Ctrl+C" "$work/lost.warning"'
check "Ctrl+C in the configuration window connected again, and the stale warning went" \
  '[[ $(cat "$work/reconnected.state") == $(cat "$work/connected.state") && -z $(cat "$work/reconnected.warning") ]]'
screen_width=$(cat "$work/screen.width")
check "the main window stayed within the screen (right edge and width)" \
  'while read -r right width; do ((right <= screen_width && width <= screen_width)) || exit 1; done <"$work/main.geometry"'
check "the refused connection was said, and the status bar kept \"not connected\"" \
  '[[ -s "$work/refused.title" && $(cat "$work/refused.state") != $(cat "$work/connected.state") ]]'
check "F3 while not connected asked for Ctrl+C over the main window, with no file dialog" \
  '[[ $(cat "$work/f3.title") == "$main_title" ]]'
finish "status log of the first run" 'grep -a "^nox.status:" "$work/first.log"' \
  "what the windows noted" 'head "$work"/*.title "$work"/*.warning "$work"/*.state' \
  "geometry" 'cat "$work/main.geometry"'
