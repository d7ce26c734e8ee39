#!/usr/bin/env bash
# Retakes the pictures in screenshots/ as a person sees the windows: the built
# program under Xvfb with a window manager (openbox), driven by xdotool, each
# picture taken with import. Needs a build in build/ (scripts/test.sh makes one)
# and root for the read-only destination mount.
#   scripts/screenshots.sh [display number]     (default 77)
set -euo pipefail
cd "$(dirname "$0")/.."
num=${1:-77}
export DISPLAY=:$num
out=${QEL_SCREENSHOT_OUT:-$PWD/screenshots}
program=$PWD/build/bin/QEL_Trekkel
demo=$PWD/build/tests/backup/progress_window_demo
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  umount "$work/ro" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp &
pids+=($!)
sleep 1
openbox &
pids+=($!)
sleep 1

# The drive table: a: a stick, c: with the data folder, d: a read-only
# stick that already holds the backup folder (a copy onto it fails).
mkdir -p "$work/config/qel-trekkel/dosdevices" "$work/a" "$work/c/DATA/ACCT1" "$work/ro"
for f in ACCT1.CVT ACCT1.CVD ACCT1.XPT PORT.HST WINCORV.EXE x.tar.gz 'a\b.CVT' 'ÉTÉ.TXT' notes.txt; do
  echo "sample" >"$work/c/DATA/ACCT1/$f"
done
touch -d '2026-12-08 09:37:43' "$work/c/DATA/ACCT1/"*
mount -t tmpfs -o size=1m tmpfs "$work/ro"
mkdir "$work/ro/ACCT1"
mount -o remount,ro "$work/ro"
"$demo" "$work/demo.png" "$work/c/FILECOPY.AVI" >/dev/null
ln -s "$work/a" "$work/config/qel-trekkel/dosdevices/a:"
ln -s "$work/c" "$work/config/qel-trekkel/dosdevices/c:"
ln -s "$work/ro" "$work/config/qel-trekkel/dosdevices/d:"
export XDG_CONFIG_HOME=$work/config
unset QT_QPA_PLATFORM

active() { xdotool getactivewindow; }
# The active window with its frame, as the window manager draws it.
shot() { sleep 0.7; import -window "$(active)" -frame "$out/$1"; }
# The whole screen cut to the area a set of windows covers.
screen() { sleep 0.7; import -window root -crop "$2" "$out/$1"; }
# Clicks at x,y inside the active window's client area.
click() {
  local info x y
  info=$(xwininfo -id "$(active)")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  xdotool mousemove $((x + $1)) $((y + $2)) click 1
}
key() { xdotool key "$@"; }
main() { xdotool search --name '^Qel Trekkel$' windowactivate --sync; sleep 0.3; }
wait_title() { for _ in $(seq 50); do xdotool search --name "^$1\$" >/dev/null 2>&1 && return; sleep 0.2; done; }

running=""
start() {
  (cd "$work/c/DATA" && LANG=en_US.UTF-8 exec "$program") &
  running=$!
  pids+=("$running")
}
stop() { kill "$running" 2>/dev/null || true; wait "$running" 2>/dev/null || true; sleep 0.5; }

# Start-up with a: not ready: the floppy question holds the splash window on
# the screen; moved aside, the question leaves the splash to be seen whole.
mv "$work/config/qel-trekkel/dosdevices/a:" "$work/a-link"
ln -s "$work/missing" "$work/config/qel-trekkel/dosdevices/a:"
start
wait_title "QEL Trekkel"
screen splash-floppy-question.png 520x340+252+222
xdotool getactivewindow windowmove 0 620
screen splash.png 501x318+261+225
key Escape
wait_title "Qel Trekkel"
stop
rm "$work/config/qel-trekkel/dosdevices/a:"
mv "$work/a-link" "$work/config/qel-trekkel/dosdevices/a:"

start
wait_title "Qel Trekkel"
sleep 1
shot main-window.png

# Browsing: open ACCT1 and click the file whose name holds a backslash.
click 62 184
xdotool click --repeat 2 --delay 80 1
sleep 0.5
click 500 185
shot main-window-browsing.png

main
click 29 9 # Defaults
wait_title "QEL Trekkel Defaults"
shot defaults.png
key alt+F4
sleep 0.5

main
click 75 9 # Help
sleep 0.3
key Down Down Return # About
wait_title "About QEL_Trekkel.*"
shot about.png
click 330 315 # Tech Support
shot about-tech-support.png
key Escape
sleep 0.5

main
click 75 9
sleep 0.3
key Down Return # Contents
wait_title "QEL Trekkel Help"
shot help-window.png
key alt+F4
sleep 0.5

# A backup to a: ends with its short message box.
main
click 316 210 # Backup QEL Files
wait_title "QEL_Trekkel"
key y # Yes, a: is right
wait_title "QEL Trekkel"
sleep 1
shot backup-complete.png
key Return
sleep 0.5

# A backup to the read-only d: stops at the first copy: the progress window
# stays over the main window, clip playing, behind the question.
main
click 528 36
key d Return
sleep 0.5
click 316 210
wait_title "QEL_Trekkel"
key y
sleep 2
xdotool getactivewindow windowmove 560 600
screen progress-window.png 700x720+160+110
key Escape
sleep 0.5
stop
