# Sourced by every end-to-end scenario that drives the desktop program on an
# Xvfb display: the ground it stands on, the session run on a display of its
# own, and the checks afterwards. The session's steps use x_session.sh.
#
#   prepare BIN_DIR [TOOL...]    $bin, $work and a home of the scenario's own
#   factory_unit LATENCY_MS      the unit the program talks to, erased
#   run_session <<'SESSION'      the fitter's steps, inside the X session
#   check TEXT CONDITION         one line "ok: TEXT" or "FAILED: TEXT"
#   finish [LABEL COMMAND]...    on a failure what the program printed, then
#                                each LABEL's COMMAND; exits with the result

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fail=0

# Everything below the scratch folder $work, removed at exit: the program's
# settings, state and home start empty in every run.
prepare() {
  bin=$(cd "$1" && pwd)
  shift
  local tool
  for tool in xvfb-run xdotool openbox "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime HOME=$work
  mkdir -m 700 -p "$work/runtime"
}

# The simulated unit's settings $work/NAME.ini: it answers after LATENCY ms
# and keeps its memory in $work/NAME.bin across runs.
unit_ini() {
  printf 'latency_ms = %s\nmemory_image = %s/%s.bin\npersist = true\n' "$2" "$work" "$1" >"$work/$1.ini"
}

# The unit of the program and of every plain ecuctl call: $work/unit.bin,
# erased to the factory image.
factory_unit() {
  unit_ini unit "$1"
  export NOX_SIMECU_CONFIG=$work/unit.ini
  "$bin/ecuctl" erase-eeprom --yes >/dev/null
}

# ecuctl with the given arguments on a fresh copy of $work/factory.bin, left
# in $work/expected.bin: what the unit must hold after the same changes.
on_factory_copy() {
  cp "$work/factory.bin" "$work/expected.bin"
  unit_ini expected 0
  NOX_SIMECU_CONFIG=$work/expected.ini "$bin/ecuctl" "$@" >/dev/null
}

# The steps read from standard input run as one bash script under a new X
# server, after the window manager is up. A session that stops before its
# end leaves $work/failed and counts as a program that exited with 1.
run_session() {
  {
    cat <<'HEAD'
#!/usr/bin/env bash
set -euo pipefail
bin=$1 work=$2
source "$3/x_session.sh"
export QT_QPA_PLATFORM=xcb
start_window_manager
trap 'kill $wm 2>/dev/null || true' EXIT
HEAD
    cat
  } >"$work/session.sh"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$bin" "$work" "$e2e_dir" ||
    { echo 1 >"$work/exit.code"; echo 1 >"$work/failed"; }
  [[ -s "$work/exit.code" ]] || echo "no exit code" >"$work/exit.code"
}

check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
program_exited_0() { [[ $(cat "$work/exit.code") == 0 ]]; }
# The byte at OFFSET of a memory image, in decimal.
byte() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }

finish() {
  if ((fail)); then
    echo "--- program output"; cat "$work/noxconfig.log" || true
    while (($# >= 2)); do
      echo "--- $1"; eval "$2" || true
      shift 2
    done
  fi
  exit "$fail"
}
