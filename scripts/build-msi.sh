#!/usr/bin/env bash
# Packs the runnable Windows folder (made by scripts/build-windows.sh) as an
# MSI installer and a portable .zip: build-win/QEL_Trekkel-<version>.msi and
# -win32.zip for the 32-bit program, build-win64/QEL_Trekkel-<version>-x64.msi
# and -win64.zip for the 64-bit one (--arch x86_64; without --arch the arch is
# taken as build-windows.sh takes it).
#   --test  also checks the .exe's version block, arch and manifest and, under
#           Wine, installs the MSI silently, checks what it put where, starts
#           the installed program, installs it again, removes it and checks
#           nothing is left.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/windows-arch.sh
folder=$win/QEL_Trekkel
[[ -f $folder/QEL_Trekkel.exe ]] || { echo "build-msi.sh: run scripts/build-windows.sh --arch $arch first" >&2; exit 1; }
version=$(sed -n 's/^project(QEL_Trekkel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [[ $arch == x86_64 ]]; then
  msi_arch=x64 pe_format=pei-x86-64 manifest_arch=amd64 template=x64
  msi=$win/QEL_Trekkel-$version-x64.msi zip=$win/QEL_Trekkel-$version-win64.zip
else
  msi_arch=x86 pe_format=pei-i386 manifest_arch=x86 template=Intel
  msi=$win/QEL_Trekkel-$version.msi zip=$win/QEL_Trekkel-$version-win32.zip
fi

wixl -a $msi_arch -D Arch=$msi_arch -D SourceDir="$folder" -D Version="$version" \
  -D Icon="$win/build/data/qel-trekkel.ico" -o "$msi" packaging/windows/QEL_Trekkel.wxs
rm -f "$zip"
(cd "$win" && zip -qr9 "$(basename "$zip")" QEL_Trekkel)
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
# The arch, as Windows reads it from the programs, their manifest and the MSI.
for exe in QEL_Trekkel.exe QEL_Trekkel.com; do
  "$triple-objdump" -f "$folder/$exe" | grep -q "file format $pe_format\$" || fail "$exe is not $pe_format"
  wrestool -x --raw -t 24 "$folder/$exe" | grep -q "name=\"QEL_Trekkel\".*processorArchitecture=\"$manifest_arch\"" ||
    fail "the manifest of $exe does not say processorArchitecture=\"$manifest_arch\""
done
msiinfo suminfo "$msi" | grep -qx "Template: $template;1033" || fail "the MSI's platform is not $template"

windows_wine
export WINEPREFIX=$root/$win/wineprefix-msi WINEDEBUG=-all
scripts/wine-prefix.sh "$WINEPREFIX"
# Program Files: in a 64-bit prefix the 64-bit one, Program Files (x86) beside it.
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
[[ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/QEL Trekkel" ]] || fail "installed into Program Files (x86)"
[[ -f ${shortcuts[0]} || -f ${shortcuts[1]} ]] || fail "no Start-menu shortcut"
[[ $(uninstall_entry) == "$version" ]] || fail "no uninstall entry with version $version"

wine msiexec /i "$msi_win" /qn || fail "installing a second time"
wineserver -w
[[ $(listing "$installed") == "$(listing "$folder")" ]] || fail "a second install changed the files"

# The installed program starts and shows its main window (with a: mapped, so
# the start-up asks no question).
mkdir -p "$win/msi-a" && ln -sfn "$root/$win/msi-a" "$WINEPREFIX/dosdevices/a:"
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
rm -rf "$win/msi-a" "$WINEPREFIX"
echo "build-msi.sh: $arch: install, second install, start and removal under Wine passed"
