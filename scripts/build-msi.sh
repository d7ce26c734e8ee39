#!/usr/bin/env bash
# Packs the runnable Windows folder (made by scripts/build-windows.sh) as an
# MSI installer and a portable .zip in build-win/.
#   --test  also checks the .exe's version block and, under Wine, installs the
#           MSI silently, checks what it put where, starts the installed
#           program, installs it again, removes it and checks nothing is left.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
folder=build-win/QEL_Trekkel
[[ -f $folder/QEL_Trekkel.exe ]] || { echo "build-msi.sh: run scripts/build-windows.sh first" >&2; exit 1; }
version=$(sed -n 's/^project(QEL_Trekkel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
msi=build-win/QEL_Trekkel-$version.msi
zip=build-win/QEL_Trekkel-$version-win32.zip

wixl -a x86 -D SourceDir="$folder" -D Version="$version" \
  -D Icon=build-win/build/data/qel-trekkel.ico -o "$msi" packaging/windows/QEL_Trekkel.wxs
rm -f "$zip"
(cd build-win && zip -qr9 "$(basename "$zip")" QEL_Trekkel)
echo "build-msi.sh: $msi ($(du -k "$msi" | cut -f1) KB), $zip ($(du -k "$zip" | cut -f1) KB)"
[[ ${1:-} == --test ]] || exit 0

fail() { echo "build-msi.sh: FAILED: $*" >&2; exit 1; }

# The version block, as the file's properties show it.
strings=$(wrestool -x --raw -t 16 "$folder/QEL_Trekkel.exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null |
          tr -c '[:print:]' '\n')
for pair in "FileDescription=Simple Data Backup utility for QEL data files." \
            "ProductName=QEL_Trekkel" "InternalName=QEL_Trekkel" \
            "OriginalFilename=QEL_Trekkel.exe" "FileVersion=$version" "ProductVersion=$version"; do
  grep -qxF "${pair%%=*}" <<<"$strings" && grep -A3 -xF "${pair%%=*}" <<<"$strings" | grep -qxF "${pair#*=}" ||
    fail "version block lacks ${pair%%=*} \"${pair#*=}\""
done
wrestool -l -t 14 "$folder/QEL_Trekkel.exe" | grep -q group_icon || fail "no icon in the .exe"

scripts/wine-runs.sh || { echo "build-msi.sh: installing under Wine NOT RUN here" >&2; exit 0; }
export WINEPREFIX=$root/build-win/wineprefix-msi WINEARCH=win32 WINEDEBUG=-all
scripts/wine-prefix.sh "$WINEPREFIX"
installed="$WINEPREFIX/drive_c/Program Files/QEL Trekkel"
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/QEL Trekkel.lnk"
           "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/QEL Trekkel.lnk")
msi_win="Z:$(realpath "$msi" | tr / '\\')"
uninstall_entry() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    grep -A30 'DisplayName *REG_SZ *QEL Trekkel$' | grep -m1 DisplayVersion | awk '{print $3}'
}
listing() { (cd "$1" && find . -type f | sort | xargs md5sum); }

start=$(date +%s.%N)
wine msiexec /i "$msi_win" /qn || fail "msiexec /i"
wineserver -w
echo "build-msi.sh: installed in $(awk "BEGIN{printf \"%.1f\", $(date +%s.%N) - $start}") s, $(du -sk "$installed" | cut -f1) KB"
[[ $(listing "$installed") == "$(listing "$folder")" ]] || fail "installed files differ from $folder"
[[ -f ${shortcuts[0]} || -f ${shortcuts[1]} ]] || fail "no Start-menu shortcut"
[[ $(uninstall_entry) == "$version" ]] || fail "no uninstall entry with version $version"

wine msiexec /i "$msi_win" /qn || fail "installing a second time"
wineserver -w
[[ $(listing "$installed") == "$(listing "$folder")" ]] || fail "a second install changed the files"

# The installed program starts and shows its main window (with a: mapped, so
# the start-up asks no question).
mkdir -p build-win/msi-a && ln -sfn "$root/build-win/msi-a" "$WINEPREFIX/dosdevices/a:"
shown=$(QEL_TREKKEL_SMOKE_RUN=1 timeout 120 xvfb-run -a wine "C:\\Program Files\\QEL Trekkel\\QEL_Trekkel.exe" 2>/dev/null | tr -d '\r')
[[ $shown == "QEL_Trekkel: shown: Qel Trekkel" ]] || fail "the installed program did not show its window ($shown)"

start=$(date +%s.%N)
wine msiexec /x "$msi_win" /qn || fail "msiexec /x"
wineserver -w
echo "build-msi.sh: removed in $(awk "BEGIN{printf \"%.1f\", $(date +%s.%N) - $start}") s"
[[ ! -e $installed ]] || fail "$installed is left after removal"
[[ ! -e ${shortcuts[0]} && ! -e ${shortcuts[1]} ]] || fail "the shortcut is left after removal"
[[ -z $(uninstall_entry) ]] || fail "the uninstall entry is left after removal"
wineserver -k || true
rm -rf build-win/msi-a "$WINEPREFIX"
echo "build-msi.sh: install, second install, start and removal under Wine passed"
