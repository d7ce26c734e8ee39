#!/usr/bin/env bash
# Installs the given package into a clean Debian root made by debootstrap from
# this machine's own package source, starts the program there offscreen, and
# removes the package again: nothing may stay behind but the conffile.
# Usage: scripts/clean-root-install.sh <package.deb>   (as root)
set -euo pipefail
deb=$(realpath "$1")
package=$(dpkg-deb --field "$deb" Package)
conffile=/etc/xdg/qel-trekkel/system.reg

# The package sources this machine uses, as "uri suite component" lines, read
# from apt itself so both sources.list formats count; only the suites of this
# release (its updates and security suites included, which the package's
# dependencies may need).
. /etc/os-release
arch=$(dpkg --print-architecture)
mapfile -t sources < <(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' \
  "Identifier: Packages" "Architecture: $arch" "Component: main" |
  awk -v codename="$VERSION_CODENAME" '$2 == codename || index($2, codename "-") == 1' | sort -u)
mirror=$(printf '%s\n' "${sources[@]}" | awk -v codename="$VERSION_CODENAME" '$2 == codename {print $1; exit}')
if [[ -z $mirror ]]; then
  echo "clean-root-install: no package source for $VERSION_CODENAME in the apt sources (apt-get update first)" >&2
  exit 1
fi

root=$(mktemp -d /var/tmp/qel-clean-root.XXXXXX)
cleanup() {
  # Whatever happened (debootstrap mounts /proc and /sys itself and may stop
  # half-way), nothing stays mounted, deepest first, and the root goes.
  awk -v root="$root/" 'index($2, root) == 1 {print $2}' /proc/self/mounts | sort -r |
    while read -r mount; do umount -l "$mount" || true; done
  rm -rf --one-file-system "$root" "$root.log"
}
trap cleanup EXIT

# The packages this machine already fetched serve as a cache; debootstrap and
# apt check each one against the source's index before using it.
cache=/var/cache/apt/archives
debootstrap --variant=minbase --cache-dir="$cache" "$VERSION_CODENAME" "$root" "$mirror" \
  >"$root.log" 2>&1 ||
  { tail -n 30 "$root.log" >&2; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
printf 'deb %s\n' "${sources[@]}" >"$root/etc/apt/sources.list"
find "$cache" -maxdepth 1 -name '*.deb' -exec cp -l -t "$root/var/cache/apt/archives/" {} + 2>/dev/null || true
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t devpts devpts "$root/dev/pts"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

cp "$deb" "$root/tmp/"
in_root apt-get update -q
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  "/tmp/$(basename "$deb")"

# The smoke run: a drive a: that is ready, so no question stops the start.
in_root mkdir -p /root/.config/qel-trekkel/dosdevices /root/floppy
in_root ln -s /root/floppy /root/.config/qel-trekkel/dosdevices/a:
in_root ln -s /root /root/.config/qel-trekkel/dosdevices/C:
shown=$(in_root env QT_QPA_PLATFORM=offscreen QEL_TREKKEL_SMOKE_RUN=1 timeout 60 QEL_Trekkel)
echo "$shown"
[[ $shown == "QEL_Trekkel: shown: Qel Trekkel" ]] || { echo "clean-root-install: the program did not show its main window" >&2; exit 1; }
in_root man -w QEL_Trekkel >/dev/null 2>&1 || [[ -e $root/usr/share/man/man1/QEL_Trekkel.1.gz ]]

# Removal: every file of the package goes, except the conffile.
in_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q "$package"
left=()
while read -r path; do
  path=${path#.}
  [[ $path == "$conffile" ]] && continue
  if [[ -e $root$path || -L $root$path ]] && ! [[ -d $root$path && ! -L $root$path ]]; then
    left+=("$path")
  fi
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t)
if ((${#left[@]})); then
  printf 'clean-root-install: left behind after removal: %s\n' "${left[@]}" >&2
  exit 1
fi
[[ -f $root$conffile ]] || { echo "clean-root-install: the conffile went with the removal" >&2; exit 1; }
[[ ! -e $root/usr/lib/qel-trekkel ]] || { echo "clean-root-install: /usr/lib/qel-trekkel left behind" >&2; exit 1; }
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "$package"
[[ ! -e $root$conffile ]] || { echo "clean-root-install: the conffile stays after purge" >&2; exit 1; }
echo "clean-root-install: installed, started and removed cleanly"
