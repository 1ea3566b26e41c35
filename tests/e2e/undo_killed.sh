#!/usr/bin/env bash
# An undo cut short by a killed program, on a real X display and a slow unit:
# connect, open the configuration window (F1), change the ignition type (its
# handler rewrites every speed), Ctrl+Z, and SIGKILL once the unit has taken
# the first bytes of the undo. The next connect (ecuctl) must say so, and
# "recover finish" must give the unit as the undo leaves it (the memory from
# before the edit), "recover undo" the unit as it was before the undo (the
# edited memory), byte for byte.
#   undo_killed.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}" cmp od

for choice in finish undo; do
  factory_unit 0
  echo "default_acquired_after_ms = 0" >>"$work/unit.ini"
  # The factory unit's over-rev speed is corrected at every connect: the
  # memory before the edit is the memory after one.
  "$bin/ecuctl" get TIPO_ACCENSIONE >/dev/null
  cp "$work/unit.bin" "$work/before.bin"
  # Every exchange from now on takes a while, as on a real line.
  sed -i 's/^latency_ms = .*/latency_ms = 120/' "$work/unit.ini"

  run_session <<'SESSION'
start_program
wait_active "=" "$(xdotool getwindowname "$window")"
main=$(xdotool getwindowname "$window")
key ctrl+c
sleep 1
for _ in $(seq 600); do
  (($(program_windows) <= 1)) && break
  sleep 0.1
done
wait_active "=" "$main"
key F1
wait_active "!=" "$main"
sleep 0.5
key Return                      # open the ignition type's list
key Up                          # the type before: eight cylinders
key Return                      # written, and the speeds with it
sleep 6                         # the speeds on the slow line, the unit's pause
cp "$work/unit.bin" "$work/edited.bin"
key ctrl+z
# Killed once the unit has taken the first bytes of the undo.
for _ in $(seq 1000); do
  cmp -s "$work/unit.bin" "$work/edited.bin" || break
  sleep 0.01
done
sleep 0.15
kill -KILL "$app"
echo killed >"$work/exit.code"
SESSION

  sed -i 's/^latency_ms = .*/latency_ms = 0/' "$work/unit.ini"
  cp "$work/unit.bin" "$work/cut.bin"
  said=$("$bin/ecuctl" get TIPO_ACCENSIONE 2>&1 >/dev/null || true)
  "$bin/ecuctl" recover "$choice" >"$work/recover.out" 2>&1 || true
  cp "$work/unit.bin" "$work/recovered-$choice.bin"
  again=$("$bin/ecuctl" get TIPO_ACCENSIONE 2>&1 >/dev/null || true)

  check "$choice: the program was killed in the middle of the undo" \
    '[[ $(cat "$work/exit.code") == killed ]] && ! cmp -s "$work/cut.bin" "$work/edited.bin" && ! cmp -s "$work/cut.bin" "$work/before.bin"'
  check "$choice: the next connect says that an undo was cut short" '[[ "$said" == *"ecuctl recover"* && "$said" == *"Ctrl+Z"* ]]'
  if [[ $choice == finish ]]; then
    check "finish: the unit as the undo leaves it" 'cmp "$work/before.bin" "$work/unit.bin"'
  else
    check "undo: the unit as it was before the undo" 'cmp "$work/edited.bin" "$work/unit.bin"'
  fi
  check "$choice: not asked again" '[[ "$said" != "$again" && "$again" != *"ecuctl recover"* ]]'
done

finish "memory before, edited, cut, recovered; ecuctl's words" \
  'for f in before edited cut recovered-finish recovered-undo; do echo "$f"; od -An -tu1 "$work/$f.bin" 2>/dev/null; done; echo "$said"; cat "$work/recover.out"'
