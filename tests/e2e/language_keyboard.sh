#!/usr/bin/env bash
# Switching the language with the keyboard alone, on a real X display: the
# Language menu through its Alt mnemonic, the pop-up menu through Shift+F10
# and through the Menu key, each followed by the language's own letter. The
# window title must follow every switch, the program must end with code 0 on
# F5, and the per-user settings must hold the last language.
#   language_keyboard.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig}"
printf 'latency_ms = 0\n' >"$work/unit.ini"
export NOX_SIMECU_CONFIG=$work/unit.ini

run_session <<'SESSION'
# Waits until the active window's title starts with the given text (the
# German one has a non-ASCII letter further on).
wait_title() {
  for _ in $(seq 100); do
    [[ "$(active_name)" == "$1"* ]] && { echo "ok: after $last the title is \"$1...\""; return 0; }
    sleep 0.1
  done
  echo "FAILED: after $last the title is \"$(active_name)\", not \"$1...\"" >&2
  return 1
}

start_program
# The window manager gives the new window the focus: the test never does.
wait_active "=" "$(xdotool getwindowname "$window")"
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
record_exit_code
SESSION

check "the program exited with code 0" program_exited_0
check "the settings keep Polish (language 4) for the next start" \
  'grep -rqx "Language=4" "$work/config"'
finish settings 'cat "$work/config"/*/* 2>/dev/null'
