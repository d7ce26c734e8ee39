#!/usr/bin/env bash
# Where `cmake --install` puts the files for a prefix given at install time:
# the settings sample follows GNUInstallDirs' rule for /usr (and /opt/<name>).
# Usage: InstallLayoutTest.sh <build folder>
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0

# prefix | where the settings sample must land
cases=(
  "/usr|/etc/xdg/qel-trekkel/system.reg"
  "/usr/local|/usr/local/etc/xdg/qel-trekkel/system.reg"
  "/opt/qel|/etc/opt/qel/xdg/qel-trekkel/system.reg"
)
for case in "${cases[@]}"; do
  prefix=${case%%|*} sample=${case#*|}
  dest="$root/${prefix//\//_}"
  DESTDIR=$dest cmake --install "$build" --prefix "$prefix" >/dev/null
  expected=(
    "$sample"
    "$prefix/bin/QEL_Trekkel"
    "$prefix/lib/qel-trekkel/QEL_Trekkel"
    "$prefix/lib/qel-trekkel/qeltrkl.HLP"
    "$prefix/lib/qel-trekkel/libqel_avidecoder.so"
    "$prefix/share/applications/qel-trekkel.desktop"
    "$prefix/share/metainfo/qel-trekkel.metainfo.xml"
    "$prefix/share/man/man1/QEL_Trekkel.1.gz"
    "$prefix/share/doc/qel-trekkel/copyright"
    "$prefix/share/doc/qel-trekkel/changelog.gz"
    "$prefix/lib/systemd/user/qel-trekkel-backup@.timer"
  )
  for file in "${expected[@]}"; do
    [[ -e $dest$file ]] || { echo "prefix $prefix: missing $file"; failed=1; }
  done
  # The link in bin/ reaches the program wherever the tree is unpacked.
  [[ $(readlink "$dest$prefix/bin/QEL_Trekkel") == ../lib/qel-trekkel/QEL_Trekkel ]] ||
    { echo "prefix $prefix: bin/QEL_Trekkel does not link to the program folder"; failed=1; }
  # A scheduled backup starts the program where this prefix put it.
  grep -qxF "ExecStart=$prefix/bin/QEL_Trekkel --backup \${SOURCE} --to \${DRIVE} --notify" \
    "$dest$prefix/lib/systemd/user/qel-trekkel-backup@.service" ||
    { echo "prefix $prefix: the backup service does not start $prefix/bin/QEL_Trekkel"; failed=1; }
  stray=$(find "$dest" -path "*/etc/*" -type f ! -path "$dest$sample")
  [[ -z $stray ]] || { echo "prefix $prefix: stray settings file $stray"; failed=1; }
done
exit $failed
