# Sourced by the Windows scripts (build-windows.sh, bench-smoke.sh --windows,
# windows-e2e.sh, build-msi.sh) before they read their own options:
#   source scripts/windows-arch.sh
# It takes "--arch i686|x86_64" out of the caller's arguments. Without it the
# arch is the one this machine runs (scripts/wine-runs.sh): the 32-bit program
# where 32-bit programs run, else the 64-bit one. It sets
#   arch      i686 or x86_64
#   triple    the MinGW-w64 target, i686-w64-mingw32 or x86_64-w64-mingw32
#   win       the arch's build folder: build-win (32-bit) or build-win64
#   preset    the configure preset, win32 or win64 (tests: $preset-test)
#   WINEARCH  win32 or win64 (exported)
# and for x86_64 puts a `wine` first on PATH that is the 64-bit loader, so
# nothing starts Wine's 32-bit one (which Debian's `wine` prefers when it is
# installed, even where the kernel cannot run it).
# windows_wine installs Wine for the arch and exits the caller with one line
# unless Wine runs the arch's programs here: a Windows stage never passes
# without running.
arch=
_qel_args=()
while (($#)); do
  case $1 in
    --arch) arch=${2:?--arch needs i686 or x86_64}; shift ;;
    --arch=*) arch=${1#--arch=} ;;
    *) _qel_args+=("$1") ;;
  esac
  shift
done
set -- "${_qel_args[@]}"
unset _qel_args
_qel_none=
if [[ -z $arch ]]; then
  # A machine that runs neither still builds: the 32-bit program, which runs
  # everywhere; windows_wine then fails with the probe's line.
  _qel_err=$(mktemp)
  arch=$(scripts/wine-runs.sh 2>"$_qel_err") || { arch=i686 _qel_none=$(<"$_qel_err"); }
  [[ -n $_qel_none ]] || cat "$_qel_err" >&2
  rm -f "$_qel_err"
  unset _qel_err
fi
case $arch in
  i686) win=build-win preset=win32 WINEARCH=win32 ;;
  x86_64) win=build-win64 preset=win64 WINEARCH=win64 ;;
  *) echo "$(basename "$0"): --arch is i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
triple=$arch-w64-mingw32
export WINEARCH
if [[ $arch == x86_64 ]]; then
  mkdir -p "$win/wine64-bin"
  for _qel_name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$win/wine64-bin/$_qel_name"
    chmod +x "$win/wine64-bin/$_qel_name"
  done
  unset _qel_name
  PATH=$PWD/$win/wine64-bin:$PATH
  export WINELOADER=/usr/lib/wine/wine64
fi

windows_wine() {
  local why=$_qel_none
  if [[ -z $why ]] && why=$(scripts/wine-runs.sh --kernel "$arch" 2>&1); then
    scripts/install-deps.sh --wine="$arch" >/dev/null
    why=$(scripts/wine-runs.sh "$arch" 2>&1) && return 0
  fi
  echo "$(basename "$0"): ${why#wine-runs.sh: }" >&2
  exit 1
}
