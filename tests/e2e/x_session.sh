# Sourced by the session script that run_session (x_scenario.sh) writes: it
# drives the real desktop program on an Xvfb display with X events. Expects
# $bin (folder of noxconfig) and $work (the scenario's scratch folder).
# Nothing here activates or focuses a window of the program: where the focus
# goes is the program's business.

# The window manager first, ready before any window maps: it gives a new
# window the focus, as on the fitter's desktop.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  wm=$!
  # A loaded machine can take seconds to start it.
  for _ in $(seq 600); do
    xdotool get_desktop >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "the window manager did not start" >&2
  return 1
}

# Starts noxconfig with the given arguments and waits for its first window.
start_program() {
  "$bin/noxconfig" --no-splash "$@" >"$work/noxconfig.log" 2>&1 &
  app=$!
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1 || true)
    [[ -n "$window" ]] && return 0
    sleep 0.1
  done
  echo "the main window did not appear" >&2
  cat "$work/noxconfig.log" >&2
  return 1
}

program_windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
active_name() { xdotool getactivewindow getwindowname 2>/dev/null || true; }

# Waits until the active window's title satisfies "= NAME" or "!= NAME".
wait_active() {
  local op=$1 name=$2 now
  for _ in $(seq 200); do
    now=$(active_name)
    if [[ -n "$now" ]] && { [[ $op == "=" && "$now" == "$name" ]] || [[ $op == "!=" && "$now" != "$name" ]]; }; then
      return 0
    fi
    sleep 0.1
  done
  echo "timed out waiting for the active window ($op $name; now: \"$(active_name)\") after: $last" >&2
  return 1
}

# Waits until the program shows at most n windows (a wait window or a
# dialog has gone).
wait_windows_at_most() {
  for _ in $(seq 200); do
    (($(program_windows) <= $1)) && return 0
    sleep 0.1
  done
  echo "still $(program_windows) windows after: $last" >&2
  return 1
}

# The program's exit code, for the checks after the session.
record_exit_code() {
  local status=0
  wait "$app" || status=$?
  echo "$status" >"$work/exit.code"
}

# What was sent last, for the messages of a wait that timed out; the pause
# after each key lets the program act on it.
last=""
key_pause=0.3
key() {
  last="$*"
  xdotool key --clearmodifiers "$@"
  sleep "$key_pause"
}
type_text() {
  last="typing $1"
  xdotool type --delay 60 "$1"
  sleep 0.2
}
