#!/usr/bin/env bash
# A fitter's routine on a real X display, with a window manager and nothing
# else helping: the test never activates or focuses a window itself.
# Connect (Ctrl+C), open the configuration window (F1), confirm a value, turn
# the wheel over a closed combo box, open the constructed wave and type into
# it at once, close (Alt+Q), save twice over the same file (F2), load it
# (F3) and cancel at the comparison (Esc), exit (F5). The unit's memory file
# and the files on disk must show exactly what the fitter did.
#   fitter_routine.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp od

# A unit that keeps its memory in a file, starting from the factory image and
# answering a little slowly, so that the wait window is really up.
factory_unit 2
# A connect settles the over-rev threshold: the unit as every later connect
# finds it.
"$bin/ecuctl" identify >/dev/null
cp "$work/unit.bin" "$work/factory.bin"

run_session <<'SESSION'
start_program
wait_active "=" "$(xdotool getwindowname "$window")"
main=$(active_name)

key ctrl+c
# The wait window comes and goes; the focus must come back by itself.
for _ in $(seq 50); do (($(program_windows) > 1)) && break; sleep 0.02; done
wait_windows_at_most 1
wait_active "=" "$main"
key F1
wait_active "!=" "$main"
config=$(active_name)
# Page 1 opens on the ignition type; Down follows the fields' chain.
key Down Down Down              # change-over temperature
type_text 30
key Return                      # written at once
# The pointer rests on "Tipo TPS" and the wheel turns: nothing may change.
xdotool mousemove --window "$(xdotool getactivewindow)" 800 352
xdotool click 5 click 5 click 4
sleep 0.3
# "Onda Costruita" (the factory emulation is "Circuito Aperto").
xdotool mousemove --window "$(xdotool getactivewindow)" 800 461 click 1
wait_active "!=" "$config"
type_text 1                     # the first key, straight away: high time 1 s
key Return
key Tab Tab Tab space           # OK
wait_active "=" "$config"
key alt+q
wait_active "=" "$main"
for round in 1 2; do            # the second car's save finds the first file
  key F2
  wait_active "!=" "$main"
  key ctrl+a
  type_text "$work/car.kfg"
  key Return
  wait_active "=" "$main"
  [[ $round == 1 ]] && for _ in $(seq 50); do [[ -s "$work/car.kfg" ]] && break; sleep 0.1; done
done
key F3
wait_active "!=" "$main"
key ctrl+a
type_text "$work/car.kfg"
key Return
sleep 1
# The comparison (or any other box) is up: Esc cancels it.
(($(program_windows) > 1)) && echo up >"$work/comparison.shown"
key Escape
wait_active "=" "$main"
key F5
record_exit_code
SESSION

check "the program exited with code 0" program_exited_0

# What 30 °C is in the unit's byte, worked out by ecuctl on a copy.
on_factory_copy set TEMPERATURA_PER_CAMBIO=30
check "the confirmed temperature reached the unit (byte 224)" \
  '[[ $(byte "$work/unit.bin" 224) == $(byte "$work/expected.bin" 224) ]]'
check "the wheel left the TPS type alone (byte 164)" \
  '[[ $(byte "$work/unit.bin" 164) == $(byte "$work/factory.bin" 164) ]]'
check "the first key in the wave window replaced the value: 1 s is 50 (byte 169)" \
  '[[ $(byte "$work/unit.bin" 169) == 50 ]]'
others() { od -An -v -tu1 -w1 "$1" | awk 'NR - 1 != 224 && NR - 1 != 169 {print NR - 1 ": " $1}'; }
check "nothing else changed in the unit" 'diff <(others "$work/factory.bin") <(others "$work/unit.bin") >&2'
check "the second save kept the first file as car.OLD without asking" '[[ -s "$work/car.OLD" && -s "$work/car.kfg" ]]'
"$bin/ecuctl" decrypt "$work/car.kfg" | tr -d '\r' >"$work/car.ini" || true
check "the saved file holds the confirmed temperature" 'grep -qx "TEMPERATURA PER CAMBIO=30" "$work/car.ini"'
check "F3 showed the comparison, and Esc cancelled it" '[[ -e "$work/comparison.shown" ]]'
finish
