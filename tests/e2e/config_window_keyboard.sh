#!/usr/bin/env bash
# The fitter's day with the keyboard alone, on a real X display: the desktop
# program on a simulated unit whose memory is a file, driven only by X key
# events. Connect (Ctrl+C), open the configuration window (F1), change a combo
# box, a value edit and a check box, close it (Alt+Q), save (F2), exit (F5).
# Then the unit's memory must hold exactly the expected bytes, the saved file
# the new values, and the program must have ended with code 0.
#   config_window_keyboard.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp od

# A unit that keeps its memory in a file, starting from the factory image.
factory_unit 0
cp "$work/unit.bin" "$work/factory.bin"

run_session <<'SESSION'
start_program
# The window manager gives the new window the focus: the test never does.
wait_active "=" "$(xdotool getwindowname "$window")"
main=$(xdotool getwindowname "$window")

key ctrl+c
# Connect and read-all run under the wait window; F1 must wait until it has gone.
sleep 1
for _ in $(seq 100); do
  (($(program_windows) <= 1)) && break
  sleep 0.1
done
# The program gives the focus back to the main window when the wait window
# goes: nothing here re-activates it.
wait_active "=" "$main"
key F1
wait_active "!=" "$main"
sleep 0.5
# Page 1 opens on the ignition type; Down follows the fields' chain.
key Down                        # rpm signal
key Down                        # gear-change type
key Return                      # open the list
key Down                        # "Accelerazione"
key Return                      # confirm: written at once
key Down                        # change-over temperature
key Down                        # change-over speed
xdotool type --delay 80 3000
key Return                      # confirm: written at once, focus moves on
key Next                        # page 2, its first field: full-throttle box
key space                       # checked: its bit is written at once
key alt+q
wait_active "=" "$main"
key F2
wait_active "!=" "$main"
sleep 0.5
key ctrl+a
xdotool type --delay 20 "$work/saved.kfg"
key Return
for _ in $(seq 50); do [[ -s "$work/saved.kfg" ]] && break; sleep 0.1; done
wait_active "=" "$main"
key F5
record_exit_code
SESSION

check "the program exited with code 0" program_exited_0

# The same three changes made through ecuctl on a copy of the factory image
# give the bytes the unit must hold: nothing more, nothing less was written.
flags=$(byte "$work/factory.bin" 162)
on_factory_copy set TIPO_CAMBIO=1 GiriPerCambio=3000 "FLAG_GONFIGURAZIONE=$((flags | 1))"
check "the speed reached the unit (byte 223: 120000 / 3000)" '[[ $(byte "$work/unit.bin" 223) == 40 ]]'
check "the gear-change type reached the unit (byte 163, bits 3-4)" '(( ($(byte "$work/unit.bin" 163) & 24) == 8 ))'
check "the full-throttle bit reached the unit (byte 162, bit 0)" '(( $(byte "$work/unit.bin" 162) == (flags | 1) ))'
check "the unit holds exactly the expected bytes" 'cmp "$work/unit.bin" "$work/expected.bin"'

"$bin/ecuctl" decrypt "$work/saved.kfg" | tr -d '\r' >"$work/saved.ini" || true
check "the saved file holds the new speed" 'grep -qx "RIFERIMENTO GIRI CAMBIO=3000" "$work/saved.ini"'
check "the saved file holds the new gear-change type" 'grep -qx "TIPO CAMBIO=1" "$work/saved.ini"'
check "the saved file holds the new flags" "grep -qx \"FLAG DI CONFIGURAZIONE=$((flags | 1))\" \"\$work/saved.ini\""
finish "saved file" 'cat "$work/saved.ini"'
