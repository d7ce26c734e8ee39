#!/usr/bin/env bash
# Starts the program under Xvfb with an accessibility bus and walks its
# windows with walk.py. Usage: tests/accessibility/walk.sh <QEL_Trekkel>
# Skips, saying so, where the packages it needs are missing. Debian's own
# Python, which holds the bindings.
set -euo pipefail
program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

missing=()
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v dbus-run-session >/dev/null || missing+=(dbus)
[[ -x /usr/libexec/at-spi-bus-launcher ]] || missing+=(at-spi2-core)
if ((${#missing[@]})); then
  echo "accessibility walk: SKIPPED, missing Debian packages: ${missing[*]}"
  exit 0
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A drive table: a: not ready (so the floppy question comes up while the
# splash shows), C: an empty home, D: a folder of QEL data to back up.
mkdir -p "$work/home/.config/qel-trekkel/dosdevices" "$work/data/QELDATA"
ln -s "$work/no-floppy" "$work/home/.config/qel-trekkel/dosdevices/a:"
ln -s "$work/home" "$work/home/.config/qel-trekkel/dosdevices/C:"
ln -s "$work/data" "$work/home/.config/qel-trekkel/dosdevices/D:"
for name in DATA.CVT DATA.HST DATA.CVD DATA.XPT WINCORV.EXE; do echo "$name" >"$work/data/QELDATA/$name"; done

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
display=:$(cat "$work/display")

cd "$work/data/QELDATA"
env -u XDG_CONFIG_HOME -u WINEPREFIX HOME="$work/home" DISPLAY="$display" \
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  dbus-run-session -- bash -c '
    "$1" &
    program=$!
    timeout 180 /usr/bin/python3 "$2"
    status=$?
    # After a confirmed Exit the program leaves by itself, and cleanly.
    for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$program" 2>/dev/null; then
      kill "$program"
      ((status)) || { echo "accessibility walk: the program did not leave after Exit" >&2; status=1; }
    fi
    wait "$program" || ((status)) || { echo "accessibility walk: the program failed" >&2; status=1; }
    exit $status' walk "$program" "$here/walk.py"
