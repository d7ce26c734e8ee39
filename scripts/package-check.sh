#!/usr/bin/env bash
# The slow checks of the Debian package, run by CI after scripts/test.sh:
# the package is built, lintian and the desktop-entry and AppStream validators
# pass, the screen-reader walk finds a name for every control, and the
# package installs into a clean Debian root (with its dependencies from the
# machine's own package source), starts there and is removed cleanly.
# Run as root on Debian 12. Each step says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package-check

step() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

build_package() {
  cmake --preset linux >/dev/null
  cmake --build --preset linux --target package
}

validate() {
  desktop-file-validate data/qel-trekkel.desktop
  echo "desktop-file-validate: data/qel-trekkel.desktop is valid"
  appstreamcli validate --no-net data/qel-trekkel.metainfo.xml
}

step "package" build_package
deb=$(ls build/qel-trekkel_*.deb)
step "validators" validate
step "lintian" lintian --fail-on error --info "$deb"
step "accessibility walk" tests/accessibility/walk.sh build/bin/QEL_Trekkel
step "clean-root install" scripts/clean-root-install.sh "$deb"
