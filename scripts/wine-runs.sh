#!/usr/bin/env bash
# Exits 0 when this machine can run the 32-bit Windows program under Wine;
# otherwise says why (a kernel without 32-bit emulation cannot start Wine's
# 32-bit loader) and exits 1, so callers skip what needs Wine.
if out=$(wine --version 2>&1) && [[ $out == wine-* ]]; then
  exit 0
fi
echo "wine-runs.sh: Wine cannot run 32-bit programs on this machine (${out:-no output})" \
  "$(dmesg 2>/dev/null | grep -o '32-bit emulation disabled.*' | tail -1)" >&2
exit 1
