#!/usr/bin/env bash
# The wait window on a real X display, driven only by X key and mouse events,
# with nothing re-activated by the test. During the connect's read-all the
# fitter clicks the F2 button and presses F2: no save dialog comes, now or
# later. Then the EEPROM erase from the configuration window: afterwards the
# focus is back on the erase button (Space asks again), and the unit holds its
# factory image.
#   wait_window_focus.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp

# A slow unit, so that the read-all outlasts the click and the key even on a
# loaded machine (about 2.5 s); its memory is a file.
factory_unit 40
cp "$work/unit.bin" "$work/factory.bin"
"$bin/ecuctl" set GiriCutOff=3000 >/dev/null

run_session <<'SESSION'
key_pause=0.4
active() { xdotool getactivewindow 2>/dev/null || true; }
fail() { echo "FAILED: $*" >&2; echo 1 >"$work/failed"; }
# Waits until the condition holds; false after 20 s.
until_true() { for _ in $(seq 200); do eval "$1" && return 0; sleep 0.1; done; return 1; }

start_program
main=$window
# The window manager gives the new window the focus: the test never does.
until_true '[[ "$(xdotool getactivewindow 2>/dev/null)" == "$main" ]]'

key ctrl+c
until_true '(($(program_windows) == 2))' || fail "no wait window after Ctrl+C"
# The fitter clicks the main window's F2 button (left column, below the
# menu bar) and presses F2.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 90)) $((Y + 262)) click 1
sleep 0.3
key F2
(($(program_windows) == 2)) || fail "a window opened during the wait"
until_true '(($(program_windows) == 1))' || fail "the wait window did not go"
sleep 1
(($(program_windows) == 1)) || fail "F2 pressed during the wait opened the save dialog afterwards"
until_true '[[ $(active) == "$main" ]]' || fail "the main window did not get the focus back after connecting"

key F1
until_true '[[ -n $(active) && $(active) != "$main" ]]' || fail "F1 did not open the configuration window"
config=$(active)
key Next
key Next                        # the last page, on its first field
key Up                          # up from it: the erase button
key space                       # the question
key shift+Tab                   # from No to Yes
key space                       # erased: the wait window shows a second later
until_true '(($(program_windows) == 3))' || fail "no wait window during the erase"
until_true '(($(program_windows) == 2))' || fail "the erase did not end"
until_true '[[ $(active) == "$config" ]]' || fail "the configuration window did not get the focus back"
key space                       # the erase button has the focus: it asks again
(($(program_windows) == 3)) || fail "Space after the erase did not reach the erase button"
key Escape                      # No
key alt+q
until_true '[[ $(active) == "$main" ]]' || fail "the main window did not get the focus back"
key F5
until_true '! kill -0 "$app" 2>/dev/null' || { fail "F5 did not end the program"; kill "$app"; }
record_exit_code
SESSION

check "every step of the session" '[[ ! -e "$work/failed" ]]'
check "the program exited with code 0" program_exited_0
check "the unit was erased: it holds the factory image" 'cmp "$work/unit.bin" "$work/factory.bin"'
# The workshop history's restore point of the connect is no saved file.
check "no file was saved" '[[ -z $(find "$work" -name "*.kfg" -not -path "*/history/*" -print -quit) ]]'
finish
