#!/usr/bin/env bash
# Undo and redo with the keyboard alone, on a real X display: connect, open
# the configuration window (F1), change the ignition type (its handler
# rewrites every speed), two values and a check box, then Ctrl+Z four times:
# the unit's memory file must be the one from before the edits, byte for
# byte. Ctrl+Y four times must give the edited memory again.
#   undo_keys.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp od

factory_unit 0
# The default-acquired flag must not turn up halfway through the comparison.
echo "default_acquired_after_ms = 0" >>"$work/unit.ini"

run_session <<'SESSION'
# The unit's memory once the program is idle: every write is saved at once.
snapshot() {
  sleep 1.5
  cp "$work/unit.bin" "$work/$1.bin"
}

start_program
wait_active "=" "$(xdotool getwindowname "$window")"
main=$(xdotool getwindowname "$window")
key ctrl+c
sleep 1
for _ in $(seq 100); do
  (($(program_windows) <= 1)) && break
  sleep 0.1
done
wait_active "=" "$main"
snapshot before
key F1
wait_active "!=" "$main"
sleep 0.5
# Page 1 opens on the ignition type.
key Return                      # open the list
key Up                          # the type before: eight cylinders
key Return                      # written, and the speeds with it
sleep 1.5                       # the unit's pause after an ignition change
key Down                        # rpm signal
key Down                        # gear-change type
key Down                        # change-over temperature
xdotool type --delay 80 30
key Return                      # written, focus on the change-over speed
xdotool type --delay 80 3000
key Return
key Next                        # page 2, its first field: full-throttle box
key space                       # its bit is written at once
snapshot edited
for _ in 1 2 3 4; do key ctrl+z; sleep 0.5; done
snapshot undone
for _ in 1 2 3 4; do key ctrl+y; sleep 0.5; done
snapshot redone
key alt+q
wait_active "=" "$main"
key F5
record_exit_code
SESSION

check "the program exited with code 0" program_exited_0
check "the edits changed the unit" '! cmp -s "$work/before.bin" "$work/edited.bin"'
check "the ignition type changed (byte 163, bits 0-2)" \
  '(( ($(byte "$work/before.bin" 163) & 7) != ($(byte "$work/edited.bin" 163) & 7) ))'
check "the speeds were rewritten with it (byte 213)" \
  '[[ $(byte "$work/before.bin" 213) != $(byte "$work/edited.bin" 213) ]]'
check "the full-throttle bit changed (byte 162, bit 0)" \
  '(( ($(byte "$work/before.bin" 162) ^ $(byte "$work/edited.bin" 162)) == 1 ))'
check "four Ctrl+Z give back the memory from before the edits" 'cmp "$work/before.bin" "$work/undone.bin"'
check "four Ctrl+Y give the edited memory again" 'cmp "$work/edited.bin" "$work/redone.bin"'
finish "memory before, edited, undone, redone" \
  'for f in before edited undone redone; do echo "$f"; od -An -tu1 "$work/$f.bin"; done'
