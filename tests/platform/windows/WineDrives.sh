#!/usr/bin/env bash
# Maps Wine drive letters to real disks for WindowsCopyTest, which cannot
# mount anything from inside Wine:
#   k: a plain folder (with a case-sensitive source folder, made here because
#      Windows calls cannot make two names that differ only in case)
#   l: a 512 KiB tmpfs, for a full disk
#   m: a read-only tmpfs, for a refused write
#   n: a folder that does not exist, for a drive without a medium
#   o: a FAT12 floppy image through fusefat
# Usage: WineDrives.sh up|down <work folder>; needs root (mount) and $WINEPREFIX.
# "down" fails when the FAT image was left damaged (fsck.fat -n).
set -euo pipefail
action=${1:?usage: WineDrives.sh up|down <work folder>}
work=$(realpath -m "${2:?usage: WineDrives.sh up|down <work folder>}")
devices=${WINEPREFIX:-$HOME/.wine}/dosdevices

down() {
  for letter in k l m n o; do rm -f "$devices/$letter:"; done
  for disk in fat full ro; do
    if mountpoint -q "$work/$disk"; then umount "$work/$disk" || umount -l "$work/$disk"; fi
  done
  # fusefat writes the image until it exits.
  for _ in $(seq 50); do pgrep -f "fusefat.*$work/fat" >/dev/null || break; sleep 0.1; done
  local clean=0
  if [[ -f $work/fat.img ]]; then fsck.fat -n "$work/fat.img" >/dev/null || clean=$?; fi
  rm -rf "$work"
  return "$clean"
}

up() {
  down || true
  # Without them the test finds no k: and skips itself.
  if [[ $(id -u) != 0 ]] || ! command -v fusefat mkfs.fat >/dev/null; then
    echo "WineDrives.sh: needs root, fusefat and mkfs.fat; no drives mapped" >&2
    return 0
  fi
  mkdir -p "$work"/{plain/CASE,full,ro,fat}
  printf 'lower' >"$work/plain/CASE/Acct.cvd"
  printf 'upper' >"$work/plain/CASE/ACCT.CVD"
  mount -t tmpfs -o size=512k tmpfs "$work/full"
  mount -t tmpfs -o ro,size=64k tmpfs "$work/ro"
  mkfs.fat -C -F 12 "$work/fat.img" 1440 >/dev/null
  fusefat -o rw+ "$work/fat.img" "$work/fat"
  ln -s "$work/plain" "$devices/k:"
  ln -s "$work/full" "$devices/l:"
  ln -s "$work/ro" "$devices/m:"
  ln -s "$work/missing" "$devices/n:"
  ln -s "$work/fat" "$devices/o:"
}

"$action"
