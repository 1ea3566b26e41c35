#!/usr/bin/env bash
# A recording reviewed with the cursor on a real X display, in Italian (the
# default) and in English, a fresh start each: `noxconfig --recording FILE`
# on a recording that `ecuctl live --format csv` wrote, then End, Left three
# times, + (zoom), Home, the wheel, Right. Each cursor position the review
# window logs (nox.recording) must carry the time and the values of the
# recording's row there, worked out here from the file. A file damaged
# halfway: a message box that names the line, the rows before it reviewed,
# and a program that ends with code 0.
#   recording_review.sh BIN_DIR
set -euo pipefail
source "$(dirname "$0")/x_scenario.sh"
prepare "${1:?folder of noxconfig and ecuctl}"

factory_unit 0
# A couple of seconds of live values, as F9 records them.
"$bin/ecuctl" live --format csv --interval 100 --count 12 >"$work/day.csv"
rows=$(($(wc -l <"$work/day.csv") - 1))
# The same with one line cut short (the header is line 1): the rows before
# it count.
damaged_line=10
kept=$((damaged_line - 2))
awk -v line=$damaged_line 'NR == line { sub(/,[^,]*$/, "") } { print }' "$work/day.csv" >"$work/damaged.csv"

# The log lines the cursor must give on the given rows (0 the first) of a
# recording: the time of day and every value as the readout shows it ("%g",
# "-" for a cell without a number).
cursor_lines() {
  awk -F, -v rows="$2" '
    NR == 1 { columns = NF; for (i = 2; i <= NF; i++) name[i] = $i; next }
    { row[NR - 2] = $0 }
    END {
      wanted = split(rows, want, " ")
      for (k = 1; k <= wanted; k++) {
        split(row[want[k]], cell, ",")
        line = "cursor: " substr(cell[1], 12)
        for (i = 2; i <= columns; i++)
          line = line " " name[i] "=" (cell[i] ~ /^ *-?[0-9.]+([eE][-+]?[0-9]+)? *$/ ? sprintf("%.6g", cell[i]) : "-")
        print line
      }
    }' "$1"
}
cursor_lines "$work/day.csv" "0 $((rows - 1)) $((rows - 2)) $((rows - 3)) $((rows - 4)) 0 1" >"$work/expected.cursor"
cursor_lines "$work/damaged.csv" "0 $((kept - 1))" >"$work/expected-damaged.cursor"

# The window titles and the damaged row's message, in each language.
tables=$e2e_dir/../../libs/languages/tables
text() { sed -n "s/^$2 = //p" "$tables/$1.txt"; }
for lang in it en; do
  title=$(text $lang 500)
  echo "${title//%1/day.csv}" >"$work/title.$lang"
  echo "${title//%1/damaged.csv}" >"$work/damaged-title.$lang"
  message=$(text $lang 506)
  message=${message//%1/$work/damaged.csv}
  message=${message//%2/$damaged_line}
  echo "problem: ${message//%3/$kept}" >"$work/expected-problem.$lang"
done

run_session <<'SESSION'
export QT_LOGGING_RULES="nox.recording.debug=true"
cursors() { grep -ac "^nox\.recording: cursor:" "$work/noxconfig.log" || true; }
# Waits until the active window is titled $1 and is not window $2; prints
# its id.
wait_titled() {
  for _ in $(seq 200); do
    if [[ "$(active_name)" == "$1" ]]; then
      local id
      id=$(xdotool getactivewindow)
      [[ $id != "${2:-}" ]] && { echo "$id"; return 0; }
    fi
    sleep 0.1
  done
  echo "no window \"$1\" after: $last (active: \"$(active_name)\")" >&2
  return 1
}
# Esc closes the review, F5 the program; its exit code and log are kept.
close_and_exit() {
  key Escape
  wait_active "!=" "$1"
  key F5
  record_exit_code
  mv "$work/exit.code" "$work/exit.$2"
  cp "$work/noxconfig.log" "$work/$2.log"
}

for lang in it en; do
  if [[ $lang == en ]]; then
    start_program
    wait_active "=" "$(xdotool getwindowname "$window")"
    main=$(active_name)
    key alt+l                   # "&Lingua"
    key e                       # "&English"
    wait_active "!=" "$main"
    key F5
    record_exit_code
  fi

  title=$(cat "$work/title.$lang")
  start_program --recording "$work/day.csv"
  review=$(wait_titled "$title")
  key End
  key Left Left Left
  key plus                      # zoom in around the cursor: it stays
  key Home
  eval "$(xdotool getwindowgeometry --shell "$review")"
  xdotool mousemove --window "$review" $((WIDTH / 2)) $((HEIGHT / 3)) click 4
  sleep 0.3
  key Right
  for _ in $(seq 50); do (($(cursors) >= 7)) && break; sleep 0.1; done
  close_and_exit "$title" good.$lang

  title=$(cat "$work/damaged-title.$lang")
  start_program --recording "$work/damaged.csv"
  # Titled as the review, but up before the review has a cursor: the box.
  box=$(wait_titled "$title")
  (($(cursors) == 0)) && echo "$box" >"$work/box.$lang"
  key Return
  wait_titled "$title" "$box" >/dev/null
  key End
  for _ in $(seq 50); do (($(cursors) >= 2)) && break; sleep 0.1; done
  close_and_exit "$title" damaged.$lang
done
SESSION

logged() { sed -n "s/^nox\.recording: \($1: .*\)/\1/p" "$work/$2.log"; }
check "the recording holds enough rows for the walk and the damage ($rows)" '((rows >= damaged_line))'
for lang in it en; do
  check "$lang: the program exited with code 0 after the review" '[[ $(cat "$work/exit.good.$lang" 2>/dev/null) == 0 ]]'
  check "$lang: every cursor position showed its row's time and values" \
    'diff "$work/expected.cursor" <(logged cursor good.$lang)'
  check "$lang: the damaged file was said in a message box before any review" '[[ -s "$work/box.$lang" ]]'
  check "$lang: the message names the damaged line and the rows kept" \
    'diff "$work/expected-problem.$lang" <(logged problem damaged.$lang)'
  check "$lang: the rows before it were reviewed, End on the last of them" \
    'diff "$work/expected-damaged.cursor" <(logged cursor damaged.$lang)'
  check "$lang: the program did not crash on it and exited with code 0" \
    '[[ $(cat "$work/exit.damaged.$lang" 2>/dev/null) == 0 ]]'
done
finish "recording" 'cat "$work/day.csv"' "logs" 'grep -a "^nox.recording" "$work"/*.log'
