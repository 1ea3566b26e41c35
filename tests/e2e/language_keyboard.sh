#!/usr/bin/env bash
# Switching the language with the keyboard alone, on a real X display: the
# Language menu through its Alt mnemonic, the pop-up menu through Shift+F10
# and through the Menu key, each followed by the language's own letter. The
# window title must follow every switch, the program must end with code 0 on
# F5, and the per-user settings must hold the last language.
#   language_keyboard.sh BIN_DIR
set -euo pipefail
bin=${1:?folder of noxconfig}
for tool in xvfb-run xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'latency_ms = 0\n' >"$work/unit.ini"
export NOX_SIMECU_CONFIG=$work/unit.ini
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime HOME=$work
mkdir -m 700 -p "$work/runtime"

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

title() { xdotool getactivewindow getwindowname 2>/dev/null || true; }
last=""
key() {
  last="$*"
  xdotool key --clearmodifiers "$@"
  sleep 0.3
}
# Waits until the active window's title starts with the given text (the
# German one has a non-ASCII letter further on).
wait_title() {
  for _ in $(seq 100); do
    [[ "$(title)" == "$1"* ]] && { echo "ok: after $last the title is \"$1...\""; return 0; }
    sleep 0.1
  done
  echo "FAILED: after $last the title is \"$(title)\", not \"$1...\"" >&2
  return 1
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
last="start"
wait_title "Configurazione Centralina Gas QMD652"

key alt+l                       # "&Lingua"
key e                           # "&English"
wait_title "QMD652 Gas ECU Configuration"
key shift+F10                   # the pop-up menu
key d                           # "&Deutsch"
wait_title "Konfiguration Gas-Steuerger"
key Menu                        # the pop-up menu again
key f                           # "&Français"
wait_title "Configuration centrale gaz QMD652"
key alt+l                       # "&Langue"
key p                           # "&Polski"
wait_title "Konfiguracja sterownika gazu QMD652"
key F5
status=0
wait "$app" || status=$?
echo "$status" >"$work/exit.code"
SESSION
chmod +x "$work/session.sh"
fail=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$bin" "$work" || fail=1
[[ -s "$work/exit.code" ]] || echo "no exit code" >"$work/exit.code"

check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
check "the program exited with code 0" '[[ $(cat "$work/exit.code") == 0 ]]'
check "the settings keep Polish (language 4) for the next start" \
  'grep -rqx "Language=4" "$work/config"'
if ((fail)); then
  echo "--- program output"; cat "$work/noxconfig.log" || true
  echo "--- settings"; cat "$work/config"/*/* 2>/dev/null || true
fi
exit "$fail"
