#!/usr/bin/env bash
# The wait window on a real X display, driven only by X key and mouse events,
# with nothing re-activated by the test. During the connect's read-all the
# fitter clicks the F2 button and presses F2: no save dialog comes, now or
# later. Then the EEPROM erase from the configuration window: afterwards the
# focus is back on the erase button (Space asks again), and the unit holds its
# factory image.
#   wait_window_focus.sh BIN_DIR
set -euo pipefail
bin=${1:?folder of noxconfig and ecuctl}
for tool in xvfb-run xdotool openbox cmp; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A slow unit, so that the read-all lasts a few seconds; its memory is a file.
printf 'latency_ms = 15\nmemory_image = %s/unit.bin\npersist = true\n' "$work" >"$work/unit.ini"
export NOX_SIMECU_CONFIG=$work/unit.ini
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime HOME=$work
mkdir -m 700 -p "$work/runtime"
"$bin/ecuctl" erase-eeprom --yes >/dev/null
cp "$work/unit.bin" "$work/factory.bin"
"$bin/ecuctl" set GiriCutOff=3000 >/dev/null

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
windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
active() { xdotool getactivewindow 2>/dev/null || true; }
key() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
fail() { echo "FAILED: $*" >&2; echo 1 >"$work/failed"; }
# Waits until the condition holds; false after 20 s.
until_true() { for _ in $(seq 200); do eval "$1" && return 0; sleep 0.1; done; return 1; }

main=""
until_true 'main=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1); [[ -n "$main" ]]' ||
  { echo "the main window did not appear" >&2; exit 1; }
# Only at start-up: the window manager may still be starting.
until_true 'xdotool windowactivate --sync "$main" 2>/dev/null'

key ctrl+c
until_true '(($(windows) == 2))' || fail "no wait window after Ctrl+C"
# The fitter clicks the main window's F2 button (left column, below the
# menu bar) and presses F2.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 90)) $((Y + 262)) click 1
sleep 0.3
key F2
(($(windows) == 2)) || fail "a window opened during the wait"
until_true '(($(windows) == 1))' || fail "the wait window did not go"
sleep 1
(($(windows) == 1)) || fail "F2 pressed during the wait opened the save dialog afterwards"
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
until_true '(($(windows) == 3))' || fail "no wait window during the erase"
until_true '(($(windows) == 2))' || fail "the erase did not end"
until_true '[[ $(active) == "$config" ]]' || fail "the configuration window did not get the focus back"
key space                       # the erase button has the focus: it asks again
(($(windows) == 3)) || fail "Space after the erase did not reach the erase button"
key Escape                      # No
key alt+q
until_true '[[ $(active) == "$main" ]]' || fail "the main window did not get the focus back"
key F5
until_true '! kill -0 "$app" 2>/dev/null' || { fail "F5 did not end the program"; kill "$app"; }
status=0
wait "$app" || status=$?
echo "$status" >"$work/exit.code"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$bin" "$work" || echo 1 >"$work/failed"
[[ -s "$work/exit.code" ]] || echo "no exit code" >"$work/exit.code"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
check "every step of the session" '[[ ! -e "$work/failed" ]]'
check "the program exited with code 0" '[[ $(cat "$work/exit.code") == 0 ]]'
check "the unit was erased: it holds the factory image" 'cmp "$work/unit.bin" "$work/factory.bin"'
check "no file was saved" '[[ -z $(find "$work" -name "*.kfg" -print -quit) ]]'
if ((fail)); then
  echo "--- program output"; cat "$work/noxconfig.log" || true
fi
exit "$fail"
