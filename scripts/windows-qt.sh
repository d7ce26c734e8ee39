#!/usr/bin/env bash
# Provides Qt 6.4.2 for Windows (MinGW-w64, posix threads) in the folder given
# as $1 (made if missing) and prints the Qt prefix; $2 is the arch, i686 (the
# default, 32-bit) or x86_64. Unpacks the prebuilt archive when it is there and
# its checksum matches ($QEL_QT_ARCHIVE, default
# ../shared/toolchains/qt6.4.2-ft-mingw-<arch>.tar.zst; both arches are the
# same Qt configuration, with FreeType); otherwise builds qtbase by the same
# recipe from Debian's own source package (about 25 minutes on 2 cores). That
# build has no Qt SVG, which the program does not need. A Qt from another
# archive (or none recorded) is replaced, and with it the build folder
# $1/build that was made against it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(realpath -m "${1:?usage: windows-qt.sh <folder> [i686|x86_64]}")
arch=${2:-i686}
case $arch in
  i686) archive_sha256=7d9a88b7fb5f620cf75bfa1e8891ce9b57b2cde1827092dd06bd68d35e02a6e1 ;;
  x86_64) archive_sha256=a0b1e0a4ba1af068a05e073b0ab4ac47a0528f4edb6a1ab6e2e18a64bc1118b2 ;;
  *) echo "usage: windows-qt.sh <folder> [i686|x86_64]" >&2; exit 2 ;;
esac
archive=${QEL_QT_ARCHIVE:-$root/../shared/toolchains/qt6.4.2-ft-mingw-$arch.tar.zst}
prefix=$work/qt6-mingw-$arch
# What the prefix was made from: the archive's checksum, or "source".
stamp=$prefix/.qel-qt-origin
mkdir -p "$work"

archive_ok=0
[[ -f $archive ]] && echo "$archive_sha256  $archive" | sha256sum -c --quiet - >/dev/null 2>&1 && archive_ok=1
if [[ -f $prefix/lib/cmake/Qt6/Qt6Config.cmake && -f $stamp ]]; then
  origin=$(<"$stamp")
  # A Qt built from source stays until the archive is there.
  if [[ $origin == "$archive_sha256" ]] || { ((!archive_ok)) && [[ $origin == source ]]; }; then
    echo "$prefix"
    exit 0
  fi
fi
if [[ -e $prefix ]]; then
  echo "windows-qt.sh: replacing $prefix (another Qt) and $work/build" >&2
  rm -rf "$prefix" "$work/build"
fi

if ((archive_ok)); then
  tar --zstd -xf "$archive" -C "$work"
  echo "$archive_sha256" >"$stamp"
  echo "$prefix"
  exit 0
fi
[[ -f $archive ]] && echo "windows-qt.sh: $archive has another checksum; building Qt instead" >&2

# Debian's qt6-base source, fetched through a private deb-src list so the
# system's apt configuration stays as it is.
src=$work/src
mkdir -p "$src/aptsrc/lists/partial"
sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src/aptsrc/src.sources"
aptopt=(-o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$src/aptsrc"
        -o "Dir::State::lists=$src/aptsrc/lists")
apt-get update "${aptopt[@]}" >&2
(cd "$src" && apt-get source --download-only "${aptopt[@]}" qt6-base=6.4.2+dfsg-10 >&2)
rm -rf "$src/qtbase-src"
dpkg-source -x "$src/qt6-base_6.4.2+dfsg-10.dsc" "$src/qtbase-src" >&2

# Qt 6.4.2's Windows platform plugin uses the DirectWrite font database
# whenever DirectWrite 3 is there, but Qt Gui builds it only with Direct2D.
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
  "$src/qtbase-src/src/plugins/platforms/windows/qwindowsintegration.cpp"
[[ $(grep -c 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' \
     "$src/qtbase-src/src/plugins/platforms/windows/qwindowsintegration.cpp") == 2 ]]

toolchain=$root/cmake/toolchain-$arch-w64-mingw32.cmake
rm -rf "$src/build-qtbase" && mkdir "$src/build-qtbase"
(cd "$src/build-qtbase" &&
  nice -n 19 "$src/qtbase-src/configure" -prefix "$prefix" \
    -release -shared -opensource -confirm-license -qt-host-path /usr \
    -nomake tests -nomake examples \
    -no-opengl -no-dbus -no-icu -no-pkg-config -no-zstd -no-glib -no-fontconfig -qt-freetype \
    -qt-zlib -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-pcre -qt-doubleconversion \
    -no-feature-network -no-feature-sql -no-feature-printsupport -no-feature-concurrent \
    -no-feature-xml -no-feature-tabletevent -no-feature-androiddeployqt -no-feature-vulkan \
    -no-feature-direct2d \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake &&
  nice -n 19 ninja -j2 &&
  cmake --install .) >&2

# As the archive has it: the prefix finds its toolchain file wherever it lies.
cp "$toolchain" "$prefix/"
sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")$|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../'"${toolchain##*/}"'")|' \
  "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
cat >"$prefix/bin/target_qt.conf" <<'CONF'
[Paths]
Prefix=../
HostPrefix=../
HostBinaries=/usr/lib/qt6/bin
HostLibraries=/usr/lib/x86_64-linux-gnu
HostLibraryExecutables=/usr/lib/qt6/libexec
HostData=.
Sysroot=
SysrootifyPrefix=false
TargetSpec=win32-g++
HostSpec=
CONF
sed -i 's|^prefix=/.*$|prefix=${pcfiledir}/../..|' "$prefix"/lib/pkgconfig/*.pc
sed -i 's| -D_UNICODE>$| -DUNICODE -D_UNICODE|' "$prefix/lib/pkgconfig/Qt6Platform.pc"
rm -rf "$src"
echo source >"$stamp"
echo "$prefix"
