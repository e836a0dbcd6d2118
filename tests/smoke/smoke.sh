#!/usr/bin/env bash
# Starts the real tallowin on a virtual X display (Xvfb) and checks, from
# outside, what a user sees first:
#   - the main window "Tallowin" with the start chooser "Quick Start" in
#     front of it, or
#   - on a machine where the word processor cannot be started, the one
#     start-up message (window "Error!") and no other window;
# exactly one of the two. Then it ends the program as a user would: the
# chooser's "Cancel" and File > Exit by keyboard, or OK on the message, and
# checks that the program and everything it started are gone.
#
# usage: smoke.sh PATH/TO/tallowin
set -uo pipefail

exe=${1:?usage: smoke.sh PATH/TO/tallowin}

if [ "${2:-}" != "--on-display" ]; then
  for tool in xvfb-run xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "smoke: $tool is missing (scripts/setup-debian.sh installs it)"; exit 1; }
  done
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$exe" --on-display
fi

fail() { echo "smoke: FAIL: $*"; exit 1; }

# Visible top-level windows with exactly this title.
count() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }

# The program in a session of its own, so that whatever it starts can be
# found (and, if the test fails, ended) afterwards.
unset QT_QPA_PLATFORM
setsid "$exe" >smoke-tallowin.log 2>&1 &
pid=$!
sid=$pid

cleanup() {
  if kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null; fi
  pkill -KILL -s "$sid" 2>/dev/null || true
}
trap cleanup EXIT

# Wait for the first screen.
first=""
for _ in $(seq 1 240); do
  if [ "$(count 'Quick Start')" -gt 0 ]; then first=chooser; break; fi
  if [ "$(count 'Error!')" -gt 0 ]; then first=message; break; fi
  kill -0 "$pid" 2>/dev/null || fail "tallowin ended before showing anything (log: $(cat smoke-tallowin.log))"
  sleep 0.5
done
[ -n "$first" ] || fail "no first screen within two minutes"
sleep 1 # let anything that would wrongly follow show up too

echo "smoke: windows on screen:"
xwininfo -root -tree | grep -E '^ +0x[0-9a-f]+ "' | grep -v '"tallowin": ()' | grep -v 'Qt Selection Owner'

main=$(count 'Tallowin'); chooser=$(count 'Quick Start'); message=$(count 'Error!')
echo "smoke: first screen: $first (main window $main, start chooser $chooser, start-up message $message)"

expected_code=0
if [ "$first" = chooser ]; then
  [ "$main" -eq 1 ] || fail "expected one main window \"Tallowin\", saw $main"
  [ "$chooser" -eq 1 ] || fail "expected one start chooser \"Quick Start\", saw $chooser"
  [ "$message" -eq 0 ] || fail "the start-up message appeared as well as the windows"
  # "Cancel" by keyboard: the chooser opens with "Open Document" focused;
  # Tab, Tab reaches "Cancel".
  xdotool windowfocus --sync "$(window 'Quick Start')"
  sleep 0.3
  xdotool key --clearmodifiers Tab Tab space
  for _ in $(seq 1 20); do [ "$(count 'Quick Start')" -eq 0 ] && break; sleep 0.25; done
  [ "$(count 'Quick Start')" -eq 0 ] || fail "\"Cancel\" did not hide the start chooser"
  [ "$(count 'Tallowin')" -eq 1 ] || fail "the main window went away with the start chooser"
  # File > Exit: Alt+F opens "File" on "Open"; Up wraps round to "Exit".
  xdotool windowfocus --sync "$(window 'Tallowin')"
  sleep 0.3
  xdotool key --clearmodifiers alt+f
  sleep 0.3
  xdotool key Up
  sleep 0.2
  xdotool key Return
else
  [ "$message" -eq 1 ] || fail "expected one start-up message, saw $message"
  [ "$main" -eq 0 ] || fail "the main window appeared as well as the start-up message"
  [ "$chooser" -eq 0 ] || fail "the start chooser appeared as well as the start-up message"
  xdotool windowfocus --sync "$(window 'Error!')"
  sleep 0.3
  xdotool key --clearmodifiers Return
  expected_code=1
fi

# The program ends, with nothing it started left behind.
for _ in $(seq 1 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
kill -0 "$pid" 2>/dev/null && fail "tallowin did not end"
wait "$pid"
code=$?
[ "$code" -eq "$expected_code" ] || fail "tallowin ended with code $code, expected $expected_code"
for _ in $(seq 1 40); do pgrep -s "$sid" >/dev/null || break; sleep 0.5; done
if pgrep -s "$sid" >/dev/null; then
  left=$(pgrep -a -s "$sid")
  fail "processes left behind: $left"
fi
echo "smoke: PASS ($first)"
