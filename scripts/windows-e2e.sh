#!/usr/bin/env bash
# One backup through the whole Windows program under Wine, made as a person
# makes it: a fresh prefix holding QEL data in C:\QEL\DATA\ACCT1 and the copy
# clip in C:\FILECOPY.AVI, a: mapped to an empty folder, the program driven by
# xdotool (keys and clicks on the focused window) on a virtual display with a
# window manager. Then every copy is compared byte for byte with its source.
# Needs $win/QEL_Trekkel (scripts/build-windows.sh). Exits non-zero on any
# difference, when a window does not come or any check below fails; a picture
# of the screen at that moment is left in $win/windows-e2e-failure.png.
# Then: the disk "pulled" (a:'s folder gone) and put back at the question for
# it; an older copy another program holds open, which must be named and kept;
# the same backup from cmd /c through QEL_Trekkel.com, its exit code and
# messages seen there; the text as a reader sees it (tesseract): the disabled
# "View this File" and a message box word for word, at the run's DPI and at
# 144 DPI (150 %).
#   scripts/windows-e2e.sh [--arch i686|x86_64] [--dpi N] [--screenshots]
#     --dpi N        the whole run at N DPI (96, 120, 144, 192; default 96)
#     --screenshots  also retakes screenshots/windows/ (every window and a
#                    message box; at another DPI screenshots/windows/<N>dpi/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# --arch x86_64: the 64-bit program in build-win64 (without --arch, the arch
# this machine runs); where Wine cannot run it, the run fails.
source scripts/windows-arch.sh
program=$root/$win/QEL_Trekkel/QEL_Trekkel.exe
[[ -f $program ]] || { echo "windows-e2e.sh: no $program; run scripts/build-windows.sh --arch $arch" >&2; exit 2; }
windows_wine
shots=0
dpi=96
while (($#)); do
  case $1 in
    --screenshots) shots=1 ;;
    --dpi) dpi=${2:?--dpi needs a number}; shift ;;
    *) echo "usage: windows-e2e.sh [--arch i686|x86_64] [--dpi N] [--screenshots]" >&2; exit 2 ;;
  esac
  shift
done
out=$root/screenshots/windows
((dpi == 96)) || out+=/${dpi}dpi
started=$SECONDS
rm -f "$root/$win/windows-e2e-failure.png"

work=$(mktemp -d /tmp/qel-e2e.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
fail() {
  echo "windows-e2e.sh: $*" >&2
  [[ -n ${DISPLAY:-} ]] && timeout 10 import -window root "$root/$win/windows-e2e-failure.png" 2>/dev/null
  exit 1
}

# The prefix takes about 20 s; the clip writer is built for the host meanwhile.
scripts/wine-prefix.sh "$WINEPREFIX" &
prefix_maker=$!
pids+=("$prefix_maker")
# A program that holds a file open, unshared, until it is killed.
"$triple-gcc" -O1 -x c -o "$work/hold.exe" - <<'HOLD'
#include <windows.h>
int main(int argc, char** argv) {
    if (argc < 2 || CreateFileA(argv[1], GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL) ==
                        INVALID_HANDLE_VALUE)
        return 1;
    Sleep(INFINITE);
    return 0;
}
HOLD
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC -Itests/support $(pkg-config --cflags Qt6Core) \
  tests/support/WriteDemoClip.cpp tests/support/DemoClip.cpp tests/support/AviWriter.cpp \
  $(pkg-config --libs Qt6Core) -o "$work/write_demo_clip"
wait "$prefix_maker" || fail "cannot make the Wine prefix"
# The screen's DPI as Windows keeps it, for the programs started after it.
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}
((dpi == 96)) || set_dpi "$dpi"

# The source folder: every kind of QEL file, one smaller than a cluster, one
# empty, one spanning many copy buffers, and a file that is not QEL's.
c=$WINEPREFIX/drive_c
data=$c/QEL/DATA/ACCT1
mkdir -p "$data" "$work/a"
head -c 3000001 /dev/urandom >"$data/PORT.HST"
head -c 70000 /dev/urandom >"$data/ACCT1.HST"
head -c 100 /dev/urandom >"$data/ACCT1.CVD"
head -c 9000 /dev/urandom >"$data/ACCT1.CVT"
head -c 5000 /dev/urandom >"$data/ACCT1.XPT"
: >"$data/EMPTY.XPT"
head -c 400000 /dev/urandom >"$data/WINCORV.EXE"
echo "not a QEL file" >"$data/NOTES.TXT"
# For the pictures, a history long enough to see the progress window by.
((shots)) && truncate -s 1G "$data/LONG.HST"
# The clip is drawn on the prefix's button face, the colour of its strip.
face=$(grep -m1 '^"ButtonFace"=' "$WINEPREFIX/user.reg" | grep -o '[0-9]* [0-9]* [0-9]*' || echo 240 240 240)
# shellcheck disable=SC2086
"$work/write_demo_clip" "$c/FILECOPY.AVI" "$(printf '%02x%02x%02x' $face)"
rm -f "$WINEPREFIX/dosdevices/a:"
ln -s "$work/a" "$WINEPREFIX/dosdevices/a:"

# A screen that holds the windows at the DPI asked for as 1024x768 does at 96.
Xvfb -displayfd 3 -screen 0 "$((1024 * dpi / 96))x$((768 * dpi / 96))x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
DISPLAY=:$(cat "$work/display")
export DISPLAY
openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xdotool search --class openbox >/dev/null 2>&1 && break
  sleep 0.1
done

# Started in C:\QEL\DATA, so the directory list opens there with ACCT1 below it.
(cd "$c/QEL/DATA" && exec wine "$program") >"$work/program.log" 2>&1 &
pids+=($!)

# Titles are matched without regard to case (xdotool's way), so "Qel Trekkel"
# (the main window) and "QEL Trekkel" (the program's own boxes) are told
# apart by the window: the first visible window with the title other than the
# ones given, activated so that keys reach it. 30 s at most.
window() {
  local title=$1 id deadline=$((SECONDS + 30))
  shift
  while ((SECONDS < deadline)); do
    for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null); do
      [[ " $* " == *" $id "* ]] && continue
      for _ in $(seq 20); do
        [[ $(xdotool getactivewindow 2>/dev/null) == "$id" ]] && { sleep 0.3; echo "$id"; return; }
        xdotool windowactivate "$id" >/dev/null 2>&1 || true
        sleep 0.1
      done
    done
    sleep 0.2
  done
  return 1
}
# A window as the window manager frames it, after the given pause. import
# holds the display while it reads, and has been seen to hang there once in
# many runs: it gets a second try.
shot() {
  sleep "$3"
  timeout 10 import -window "$2" -frame "$out/$1" || timeout 10 import -window "$2" -frame "$out/$1" ||
    fail "cannot take the picture $1"
}
# Clicks at x,y inside the active window, given as at 96 DPI.
click() {
  xdotool mousemove --window "$(xdotool getactivewindow)" $(($1 * dpi / 96)) $(($2 * dpi / 96)) click 1
}
# The text of the focused message box: Ctrl+C puts its title, text and
# buttons on the clipboard, which Wine shares with X.
box_text() {
  printf '' | xclip -selection clipboard
  xdotool key ctrl+c
  sleep 0.5
  xclip -o -selection clipboard 2>/dev/null | tr -d '\r'
}
# The text the reader finds in a picture, its words and spaces as one line.
read_picture() {
  tesseract "$1" - "${@:2}" 2>/dev/null | tr -s ' \n' '  '
}

main=$(window '^Qel Trekkel$') || fail "the main window did not come"
width=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
((width > 500)) || fail "a box came before the main window (is a: mapped?)"
((shots)) && mkdir -p "$out" && shot main.png "$main" 1
# The disabled button's caption, two words apart. Read among the sparse text
# of the whole window at its own size, where a one-pixel gap is a gap.
sleep 0.5
timeout 10 import -window "$main" "$work/main.png" || fail "cannot take the main window's picture"
read_out=$(read_picture "$work/main.png" --psm 11)
[[ $read_out == *"View this File"* ]] || fail "the main window does not read \"View this File\": $read_out"

# The directory list has the focus: its last entry is ACCT1, opened with Return.
xdotool key End Return
sleep 0.5
# Backwards from the directory list: the destination drive list, then the
# backup button.
xdotool key shift+Tab a
sleep 0.3
xdotool key shift+Tab space
window '^QEL_Trekkel$' >/dev/null || fail "no confirmation of the destination drive"
xdotool key y
# The progress window shows the clip while the copies run; it is only looked
# at, and only for the picture (a plain run may be over before it is seen).
if ((shots)); then
  # Searched again and again: a search that meets a window closing as it
  # reads it gives up (BadWindow).
  progress=
  for _ in $(seq 150); do
    progress=$(xdotool search --onlyvisible --name '^QEL_Trekkel Backup$' 2>/dev/null | head -1 || true)
    [[ -n $progress ]] && break
    sleep 0.2
  done
  [[ -n $progress ]] || fail "no progress window"
  shot progress.png "$progress" 0.3
fi
done_box=$(window '^QEL Trekkel$' "$main") || fail "no \"Backup Complete\" box"
((shots)) && shot backup-complete.png "$done_box" 0.3
xdotool key Return
sleep 0.5
extra=$(xdotool search --onlyvisible --name 'QEL.Trekkel' | grep -vx "$main" || true)
[[ -z $extra ]] || fail "a window is left after the backup: $(xdotool getwindowname "$extra")"

status=0
# shellcheck disable=SC2010,SC2012 # the names are the script's own
expected=$(cd "$data" && ls -1 | grep -E '\.(HST|CVD|CVT|XPT)$' | sort)
copied=$(ls -1 "$work/a/ACCT1" 2>/dev/null | sort)
[[ $copied == "$expected" ]] || { echo "windows-e2e.sh: a:\\ACCT1 holds [${copied//$'\n'/ }]," \
  "expected [${expected//$'\n'/ }]" >&2; status=1; }
for name in $expected; do
  cmp "$data/$name" "$work/a/ACCT1/$name" || status=1
done
cmp "$data/WINCORV.EXE" "$work/a/WINCORV.EXE" || status=1
[[ $(ls -1 "$work/a") == $'ACCT1\nWINCORV.EXE' ]] || { echo "windows-e2e.sh: a:\\ holds" \
  "$(ls -1 "$work/a" | tr '\n' ' ')" >&2; status=1; }

# Pressed again with the disk pulled (a:'s folder gone): the disk is asked
# for, and once it is back the run completes.
pulled_disk() {
  window '^Qel Trekkel$' >/dev/null || fail "the main window is gone"
  mv "$work/a" "$work/a-out"
  click 316 212 # Backup QEL Files
  window '^QEL_Trekkel$' >/dev/null || fail "no confirmation for the pulled disk"
  xdotool key y
  local disk text
  disk=$(window '^QEL Trekkel$' "$main") || fail "no question for the missing disk"
  text=$(box_text)
  mv "$work/a-out" "$work/a"
  [[ $text == *"Please insert a disk in drive a."* ]] || fail "the missing disk was told as: $text"
  xdotool windowactivate "$disk" key Return
  window '^QEL Trekkel$' "$main" "$disk" >/dev/null || fail "no \"Backup Complete\" after the disk came back"
  xdotool key Return
}
pulled_disk

# Again, with a changed CVT whose older copy another program holds open: the
# run names that file and stops, and the older copy stays.
held_copy() {
  cp "$work/a/ACCT1/ACCT1.CVT" "$work/older.CVT"
  head -c 9000 /dev/urandom >"$data/ACCT1.CVT"
  wine "$work/hold.exe" 'a:\ACCT1\ACCT1.CVT' >/dev/null 2>&1 &
  local holder=$! confirm text
  sleep 2
  kill -0 "$holder" 2>/dev/null || fail "the holder program did not start"
  window '^Qel Trekkel$' >/dev/null || fail "the main window is gone"
  click 316 212 # Backup QEL Files
  confirm=$(window '^QEL_Trekkel$') || fail "no confirmation for the held copy"
  xdotool key y
  window '^QEL_Trekkel$' "$confirm" >/dev/null || fail "no message for the held copy"
  text=$(box_text)
  xdotool key Return
  kill "$holder" 2>/dev/null || true
  [[ $text == *'a:\ACCT1\ACCT1.CVT is in use by another program'* ]] ||
    fail "the held copy was told as: $text"
  cmp "$work/older.CVT" "$work/a/ACCT1/ACCT1.CVT" || fail "the held copy was lost"
  [[ -z $(find "$work/a" -iname '*qel*' -o -iname '*.TMP') ]] || fail "temporary files left on a:"
}
held_copy

# The backup from cmd.exe with no window: cmd picks the console program,
# waits for it and sees its exit code; the copies match their sources.
headless() {
  find "$work/a" -mindepth 1 -delete
  local com err path rc=0
  com=$(winepath -w "${program%.exe}.com")
  wine cmd /c "$com --backup C:\\QEL\\DATA\\ACCT1 --to a:" 2>"$work/headless.err" || rc=$?
  err=$(tr -d '\r' <"$work/headless.err")
  ((rc == 0)) || fail "the headless run ended with $rc: $err"
  [[ $err == *"Backup Complete"* ]] || fail "the headless run said: $err"
  for path in "$data"/*.HST "$data"/*.CVD "$data"/*.CVT "$data"/*.XPT; do
    cmp "$path" "$work/a/ACCT1/${path##*/}" || fail "the headless copy of ${path##*/} differs"
  done
  cmp "$data/WINCORV.EXE" "$work/a/WINCORV.EXE" || fail "the headless copy of WINCORV.EXE differs"
}
headless

if ((shots)); then
  window '^Qel Trekkel$' >/dev/null || fail "the main window is gone"
  click 75 9 # Help
  sleep 0.5
  xdotool key Down Down Return # About
  about=$(window '^About QEL_Trekkel') || fail "no About dialog"
  shot about.png "$about" 0.5
  xdotool key Escape

  window '^Qel Trekkel$' >/dev/null || fail "the main window is gone"
  click 29 9 # Defaults
  defaults=$(window '^QEL Trekkel Defaults$') || fail "no defaults window"
  shot defaults.png "$defaults" 0.5
  xdotool key alt+F4

  window '^Qel Trekkel$' >/dev/null || fail "the main window is gone"
  click 75 9 # Help
  sleep 0.5
  xdotool key Down Return # Contents
  help=$(window '^QEL Trekkel Help$') || fail "no help window"
  shot help-window.png "$help" 0.5
  xdotool key alt+F4

  # Started again without a: the floppy question holds the splash on the
  # screen: both are pictured, the question as the program's message boxes
  # look.
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/a:"
  (cd "$c/QEL/DATA" && exec wine "$program") >>"$work/program.log" 2>&1 &
  pids+=($!)
  question=$(window '^QEL Trekkel$') || fail "no floppy question"
  shot floppy-question.png "$question" 0.5
  xdotool windowmove "$question" 0 0
  splash=$(xdotool search --onlyvisible --class 'qel_trekkel' | grep -vx "$question" | head -1)
  [[ -n $splash ]] || fail "no splash window"
  # The splash has no frame of its own to take it by: the screen, cut to it.
  sleep 1
  read -r x y w h < <(xdotool getwindowgeometry --shell "$splash" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
  timeout 10 import -window root -crop "$((w + 2))x$((h + 2))+$((x - 1))+$((y - 1))" "$out/splash.png" ||
    fail "cannot take the picture splash.png"
  xdotool windowactivate "$question" key Escape
fi

((status == 0)) || fail "the copies on a: differ from their sources"

# A message box read back word for word, every space where the program put
# one: the floppy question of a start without a:, at the DPI given, its
# picture enlarged for the reader, against the text it puts on the clipboard.
box_reads_at() {
  wineserver -k 2>/dev/null || true
  set_dpi "$1"
  rm -f "$WINEPREFIX/dosdevices/a:"
  (cd "$c/QEL/DATA" && exec wine "$program") >>"$work/program.log" 2>&1 &
  pids+=($!)
  local question text read_out
  question=$(window '^QEL Trekkel$') || fail "no floppy question at $1 DPI"
  sleep 0.5
  timeout 10 import -window "$question" "$work/question.png" || fail "cannot take the question's picture"
  text=$(box_text | awk '/^-+$/ { part++; next } part == 2' | tr -s ' \n' '  ')
  xdotool windowactivate "$question" key Escape
  [[ $text == *floppy* ]] || fail "the floppy question's text was not copied: $text"
  convert "$work/question.png" -resize 300% "$work/question-large.png"
  read_out=$(read_picture "$work/question-large.png" --psm 6)
  [[ $read_out == *"${text% }"* ]] || fail "at $1 DPI the box reads \"$read_out\", not \"$text\""
}
box_reads_at "$dpi"
((dpi == 144)) || box_reads_at 144
echo "windows-e2e.sh: backup under Wine copied $(wc -w <<<"$expected") QEL files and WINCORV.EXE" \
  "identically ($((SECONDS - started)) s)"
