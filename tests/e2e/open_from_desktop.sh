#!/usr/bin/env bash
# A configuration opened from the desktop, the way a file manager does it
# (noxconfig FILE), on a real X display: the program starts, connects and
# shows the comparison; Enter loads the file (the unit's memory must be the
# file's load). A second start with another file while it runs hands the
# file over and exits: the running program shows the comparison, and Esc
# writes nothing. A file that is none of ours is said, and nothing is written.
# Last, in English, a file handed over is compared in English and loaded.
#   open_from_desktop.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp

factory_unit 0
echo "default_acquired_after_ms = 0" >>"$work/unit.ini"
"$bin/ecuctl" set GiriCutOff=2500 TIPO_TPS=1 >/dev/null
"$bin/ecuctl" save "$work/car.kfg" >/dev/null
"$bin/ecuctl" set GiriCutOff=1800 >/dev/null
"$bin/ecuctl" save "$work/other car.kfg" >/dev/null
head -c 400 /dev/urandom >"$work/mail.kfg"
"$bin/ecuctl" erase-eeprom --yes >/dev/null
"$bin/ecuctl" get GiriCutOff >/dev/null          # the connect's correction
cp "$work/unit.bin" "$work/factory.bin"
on_factory_copy load "$work/car.kfg"             # what Enter must give

run_session <<'SESSION'
# Waits for a window over the main one (a handed-over file's comparison or
# message box) and keeps its title in $work/NAME.
note_window_over_main() {
  for _ in $(seq 100); do
    [[ "$(active_name)" != "$main" && -n "$(active_name)" ]] && break
    sleep 0.1
  done
  sleep 0.5
  xdotool getactivewindow getwindowname >"$work/$1"
}
start_program "$work/car.kfg"
main=$(xdotool getwindowname "$window")
echo "$main" >"$work/main-title.txt"
# The connect, then the comparison over the main window.
for _ in $(seq 300); do
  [[ "$(active_name)" != "$main" && -n "$(active_name)" ]] && (($(program_windows) >= 2)) && break
  sleep 0.1
done
sleep 0.5
xdotool getactivewindow getwindowname >"$work/first-dialog.txt"
key Return
wait_active "=" "$main"
sleep 1
cp "$work/unit.bin" "$work/after-enter.bin"

"$bin/noxconfig" --no-splash "$work/other car.kfg" >"$work/second.log" 2>&1
echo $? >"$work/second.code"
note_window_over_main second-dialog.txt
key Escape
wait_active "=" "$main"
sleep 0.5
cp "$work/unit.bin" "$work/after-escape.bin"

"$bin/noxconfig" --no-splash "$work/mail.kfg" >/dev/null 2>&1
note_window_over_main garbage-box.txt
key Return
wait_active "=" "$main"
cp "$work/unit.bin" "$work/after-garbage.bin"

# The same in English: the file Esc refused before, handed over again.
key alt+l                       # "&Lingua"
key e                           # "&English"
sleep 1
main=$(xdotool getwindowname "$window")   # the title is English now
"$bin/noxconfig" --no-splash "$work/other car.kfg" >/dev/null 2>&1
note_window_over_main english-dialog.txt
key Return
wait_active "=" "$main"
sleep 1
cp "$work/unit.bin" "$work/after-english.bin"
key F5
record_exit_code
SESSION

check "the program exited with code 0" program_exited_0
# A window over the main one: the comparison (or the message box).
over_main() { [[ -s "$work/$1" && "$(cat "$work/$1")" != "$(cat "$work/main-title.txt")" ]]; }
check "a comparison was shown for the file it was started with" 'over_main first-dialog.txt'
check "Enter gave the file's load, byte for byte" 'cmp "$work/expected.bin" "$work/after-enter.bin"'
check "a second start handed its file over and exited 0" '[[ $(cat "$work/second.code") == 0 ]]'
check "the running program showed its comparison" 'over_main second-dialog.txt'
check "Esc wrote nothing" 'cmp "$work/after-enter.bin" "$work/after-escape.bin"'
check "a file none of ours was said" 'over_main garbage-box.txt'
check "and nothing was written" 'cmp "$work/after-enter.bin" "$work/after-garbage.bin"'
cp "$work/after-garbage.bin" "$work/factory.bin"
on_factory_copy load "$work/other car.kfg"
check "in English the comparison speaks English" \
  'over_main english-dialog.txt && ! cmp -s "$work/english-dialog.txt" "$work/second-dialog.txt"'
check "and Enter gave that file's load, byte for byte" 'cmp "$work/expected.bin" "$work/after-english.bin"'
finish "windows seen" 'cat "$work/first-dialog.txt" "$work/second-dialog.txt" "$work/garbage-box.txt" "$work/english-dialog.txt" "$work/second.log"'
