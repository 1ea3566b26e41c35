#!/usr/bin/env bash
# The fitter's day with the keyboard alone, on a real X display: the desktop
# program on a simulated unit whose memory is a file, driven only by X key
# events. Connect (Ctrl+C), open the configuration window (F1), change a combo
# box, a value edit and a check box, close it (Alt+Q), save (F2), exit (F5).
# Then the unit's memory must hold exactly the expected bytes, the saved file
# the new values, and the program must have ended with code 0.
#   config_window_keyboard.sh BIN_DIR
set -euo pipefail
bin=${1:?folder of noxconfig and ecuctl}
for tool in xvfb-run xdotool openbox cmp od; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A unit that keeps its memory in a file, starting from the factory image.
printf 'latency_ms = 0\nmemory_image = %s/unit.bin\npersist = true\n' "$work" >"$work/unit.ini"
export NOX_SIMECU_CONFIG=$work/unit.ini
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime HOME=$work
mkdir -m 700 -p "$work/runtime"
"$bin/ecuctl" erase-eeprom --yes >/dev/null
cp "$work/unit.bin" "$work/factory.bin"

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
bin=$1 work=$2
export QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
"$bin/noxconfig" --no-splash >"$work/noxconfig.log" 2>&1 &
app=$!

active_name() { xdotool getactivewindow getwindowname 2>/dev/null || true; }
# Waits until the active window's title satisfies the test given as "= NAME"
# or "!= NAME".
wait_active() {
  local op=$1 name=$2
  for _ in $(seq 200); do
    local now
    now=$(active_name)
    if [[ -n "$now" ]] && { [[ $op == "=" && "$now" == "$name" ]] || [[ $op == "!=" && "$now" != "$name" ]]; }; then
      return 0
    fi
    sleep 0.1
  done
  echo "timed out waiting for the active window ($op $name; now: \"$(active_name)\") after: $last" >&2
  return 1
}
last=""
key() {
  last="$*"
  xdotool key --clearmodifiers "$@"
  sleep 0.3
}

window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { echo "the main window did not appear" >&2; cat "$work/noxconfig.log" >&2; exit 1; }
# The window manager may still be starting: activation fails until it runs.
for _ in $(seq 50); do
  xdotool windowactivate --sync "$window" 2>/dev/null && break
  sleep 0.1
done
main=$(xdotool getwindowname "$window")

key ctrl+c
# Connect and read-all run under the wait window; F1 must wait until it has gone.
sleep 1
for _ in $(seq 100); do
  (($(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l) <= 1)) && break
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
status=0
wait "$app" || status=$?
echo "$status" >"$work/exit.code"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$bin" "$work" || echo 1 >"$work/exit.code"
[[ -s "$work/exit.code" ]] || echo "no exit code" >"$work/exit.code"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
check "the program exited with code 0" '[[ $(cat "$work/exit.code") == 0 ]]'

# The same three changes made through ecuctl on a copy of the factory image
# give the bytes the unit must hold: nothing more, nothing less was written.
cp "$work/factory.bin" "$work/expected.bin"
printf 'latency_ms = 0\nmemory_image = %s/expected.bin\npersist = true\n' "$work" >"$work/expected.ini"
flags=$(od -An -tu1 -j162 -N1 "$work/factory.bin" | tr -d ' ')
NOX_SIMECU_CONFIG=$work/expected.ini "$bin/ecuctl" set TIPO_CAMBIO=1 GiriPerCambio=3000 \
  "FLAG_GONFIGURAZIONE=$((flags | 1))" >/dev/null
byte() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }
check "the speed reached the unit (byte 223: 120000 / 3000)" '[[ $(byte "$work/unit.bin" 223) == 40 ]]'
check "the gear-change type reached the unit (byte 163, bits 3-4)" '(( ($(byte "$work/unit.bin" 163) & 24) == 8 ))'
check "the full-throttle bit reached the unit (byte 162, bit 0)" '(( $(byte "$work/unit.bin" 162) == (flags | 1) ))'
check "the unit holds exactly the expected bytes" 'cmp "$work/unit.bin" "$work/expected.bin"'

"$bin/ecuctl" decrypt "$work/saved.kfg" | tr -d '\r' >"$work/saved.ini" || true
check "the saved file holds the new speed" 'grep -qx "RIFERIMENTO GIRI CAMBIO=3000" "$work/saved.ini"'
check "the saved file holds the new gear-change type" 'grep -qx "TIPO CAMBIO=1" "$work/saved.ini"'
check "the saved file holds the new flags" "grep -qx \"FLAG DI CONFIGURAZIONE=$((flags | 1))\" \"\$work/saved.ini\""
if ((fail)); then
  echo "--- program output"; cat "$work/noxconfig.log" || true
  echo "--- saved file"; cat "$work/saved.ini" || true
fi
exit "$fail"
