#!/usr/bin/env bash
# Only the chosen values of a file loaded, with X key events on a real X
# display, in Italian (the default) and in English, a fresh start each: F3,
# the file, and at the comparison Ctrl+Shift+A (none ticked), Down to the
# cut-off speed, Space (the ignition type, whose coefficient converts the
# speeds, ticks with it), Enter. The unit's memory file must be what
# `ecuctl load --only GiriCutOff` gives on the same starting memory, byte for
# byte; a second F3 with everything ticked and Esc must write nothing.
#   load_chosen_values.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp

factory_unit 0
# The default-acquired flag must not turn up halfway through the comparison.
echo "default_acquired_after_ms = 0" >>"$work/unit.ini"
# A customer's file that differs from the unit in four values, one of them
# through another ignition type; the unit is then put back.
"$bin/ecuctl" set TIPO_ACCENSIONE=5 TEMPO_SOVRAPPOSIZIONE=0.6 POSIZIONE_DEFAULT=120 GiriCutOff=1800 >/dev/null
"$bin/ecuctl" save "$work/car.kfg" >/dev/null
"$bin/ecuctl" erase-eeprom --yes >/dev/null
"$bin/ecuctl" get GiriCutOff >/dev/null          # the connect's correction
cp "$work/unit.bin" "$work/factory.bin"
"$bin/ecuctl" diff "$work/car.kfg" >"$work/diff.txt" || true
# The comparison lists the differences in the order diff prints them, one
# row each (no byte of switches among them).
cutoff_row=$(grep -n "^GIRI CUTOFF:" "$work/diff.txt" | cut -d: -f1)
echo $((cutoff_row - 1)) >"$work/downs"
on_factory_copy load --only GiriCutOff "$work/car.kfg"
cp "$work/expected.bin" "$work/chosen.bin"
on_factory_copy load "$work/car.kfg"
cp "$work/expected.bin" "$work/whole.bin"
tables=$e2e_dir/../../libs/languages/tables
for lang in it en; do
  sed -n 's/^186 = //p' "$tables/$lang.txt" >"$work/compare-title.$lang"
done

run_session <<'SESSION'
# The status texts, so that the end of the load can be awaited.
export QT_LOGGING_RULES="nox.status.debug=true"
details() { grep -ac "^nox.status: detail:" "$work/noxconfig.log" || true; }
# Waits until the active window is the comparison, in the round's language.
wait_comparison() {
  local title
  title=$(cat "$work/compare-title.$lang")
  for _ in $(seq 200); do
    [[ "$(active_name)" == "$title" ]] && { echo "$title" >>"$work/compared.$lang"; return 0; }
    sleep 0.1
  done
  echo "no comparison \"$title\" after: $last (active: \"$(active_name)\")" >&2
  return 1
}
choose_file() {
  key F3
  wait_active "!=" "$main"
  key ctrl+a
  type_text "$work/car.kfg"
  key Return
}

for lang in it en; do
  cp "$work/factory.bin" "$work/unit.bin"
  start_program
  wait_active "=" "$(xdotool getwindowname "$window")"
  main=$(active_name)
  if [[ $lang == en ]]; then
    key alt+l                   # "&Lingua"
    key e                       # "&English"
    wait_active "!=" "$main"
    main=$(active_name)
  fi
  key ctrl+c
  for _ in $(seq 50); do (($(program_windows) > 1)) && break; sleep 0.02; done
  wait_windows_at_most 1
  wait_active "=" "$main"

  choose_file
  wait_comparison
  key ctrl+shift+a              # none ticked
  for _ in $(seq "$(cat "$work/downs")"); do key Down; done
  key space                     # the cut-off speed, and what goes with it
  before=$(details)
  key Return
  # The status bar says what the load wrote once it is over.
  for _ in $(seq 200); do (($(details) > before)) && break; sleep 0.1; done
  wait_windows_at_most 1
  wait_active "=" "$main"
  cp "$work/unit.bin" "$work/after-enter.$lang.bin"

  choose_file                   # the values left out still differ
  wait_comparison
  key ctrl+a                    # all ticked, then cancelled
  key Escape
  wait_active "=" "$main"
  sleep 1
  cp "$work/unit.bin" "$work/after-escape.$lang.bin"
  key F5
  record_exit_code
  mv "$work/exit.code" "$work/exit.$lang"
done
SESSION

check "the diff lists several values, the cut-off speed not first" \
  '(($(wc -l <"$work/diff.txt") >= 4 && $(cat "$work/downs") >= 1))'
check "the chosen load differs from the whole file's and from the unit's memory" \
  '! cmp -s "$work/chosen.bin" "$work/whole.bin" && ! cmp -s "$work/chosen.bin" "$work/factory.bin"'
for lang in it en; do
  check "$lang: the program exited with code 0" '[[ $(cat "$work/exit.$lang" 2>/dev/null) == 0 ]]'
  check "$lang: the comparison was shown twice, in its language" '[[ $(wc -l <"$work/compared.$lang") == 2 ]]'
  check "$lang: Enter loaded the ticked row and its group, as load --only, byte for byte" \
    'cmp "$work/chosen.bin" "$work/after-enter.$lang.bin"'
  check "$lang: Esc wrote nothing" 'cmp "$work/after-enter.$lang.bin" "$work/after-escape.$lang.bin"'
done
finish "diff" 'cat "$work/diff.txt"' "comparisons" 'head "$work"/compared.*'
