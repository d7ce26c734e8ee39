#!/usr/bin/env bash
# Which Windows program this machine runs under Wine.
#   wine-runs.sh        prints the arch the Windows stages take here: i686 (the
#                       32-bit program, the default) where the kernel runs
#                       32-bit programs, else x86_64 (the 64-bit program under
#                       wine64), saying so in one line on standard error.
#                       Where neither runs it says so in one line and exits 1.
#                       Needs no Wine: it starts two tiny Linux programs, a
#                       32-bit and a 64-bit one, and sees which the kernel runs
#                       (a kernel without IA-32 emulation, "32-bit emulation
#                       disabled" in dmesg, refuses the first).
#   wine-runs.sh ARCH   exits 0 when Wine (installed by install-deps.sh --wine)
#                       runs ARCH's programs here; otherwise one line why, exit 1.
#   wine-runs.sh --kernel ARCH   the same before Wine is installed: whether the
#                       kernel runs ARCH's programs.
# For testing only: QEL_TEST_CANNOT_RUN="i686" (or "i686 x86_64") makes the
# probe take those arches as ones this machine cannot run, so the 64-bit path
# (or the failure) is tried on a machine that runs both.
set -uo pipefail
cd "$(dirname "$0")/.."
kernel_only=0
[[ ${1:-} == --kernel ]] && { kernel_only=1; shift; }
arch=${1:-}
case $kernel_only$arch in 0|?i686|?x86_64) ;; *) echo "usage: wine-runs.sh [[--kernel] i686|x86_64]" >&2; exit 2 ;; esac

# exit(0) as a static ELF program with no library, for each kernel ABI.
# (ELF header, one loadable segment, then mov/xor/int 0x80 or syscall.)
elf32=7f454c4601010100000000000000000002000300010000005480040834000000000000000000000034002000010028000000
elf32+=0000010000000000000000800408008004085d0000005d0000000500000000100000
elf32+=b80100000031dbcd80
elf64=7f454c4602010100000000000000000002003e0001000000780040000000000040000000000000000000000000000000
elf64+=000000004000380001004000000000000100000005000000000000000000000000004000000000000000400000000000
elf64+=810000000000000081000000000000000010000000000000
elf64+=b83c00000031ff0f05
# kernel_runs ARCH: exit 0 when the kernel starts a program of ARCH; sets why.
why=
kernel_runs() {
  if [[ " ${QEL_TEST_CANNOT_RUN:-} " == *" $1 "* ]]; then
    why="QEL_TEST_CANNOT_RUN=\"$QEL_TEST_CANNOT_RUN\" says it cannot"
    return 1
  fi
  [[ $(uname -m) == x86_64 ]] || { why="the machine is $(uname -m), not x86_64"; return 1; }
  local hex=$elf64 dir rc
  [[ $1 == i686 ]] && hex=$elf32
  for dir in "${TMPDIR:-/tmp}" "$PWD"; do
    dir=$(mktemp -d "$dir/qel-wine-runs.XXXXXX" 2>/dev/null) || continue
    printf "$(sed 's/../\\x&/g' <<<"$elf64")" >"$dir/probe64"
    printf "$(sed 's/../\\x&/g' <<<"$hex")" >"$dir/probe"
    chmod +x "$dir/probe64" "$dir/probe"
    # A folder that runs no program at all (mounted noexec) tells nothing.
    if "$dir/probe64" 2>/dev/null; then
      "$dir/probe" 2>/dev/null
      rc=$?
      rm -rf "$dir"
      ((rc == 0)) && return 0
      why="the kernel does not start a $([[ $1 == i686 ]] && echo 32 || echo 64)-bit program (exit $rc)"
      why+=$(dmesg 2>/dev/null | grep -o '32-bit emulation disabled.*' | tail -1 | sed 's/^/: dmesg: /')
      return 1
    fi
    rm -rf "$dir"
  done
  why="no folder here runs a 64-bit program (TMPDIR and the project are noexec?)"
  return 1
}

if [[ -z $arch ]]; then
  if kernel_runs i686; then
    echo i686
    exit 0
  fi
  no32=$why
  if kernel_runs x86_64; then
    echo "wine-runs.sh: this machine cannot run 32-bit programs ($no32); the Windows stages take the 64-bit program (x86_64, wine64)" >&2
    echo x86_64
    exit 0
  fi
  echo "wine-runs.sh: FAILED: this machine runs no Windows program under Wine, neither 32-bit ($no32) nor 64-bit ($why)" >&2
  exit 1
fi

kernel_runs "$arch" || {
  echo "wine-runs.sh: FAILED: Wine cannot run the $arch program on this machine: $why" >&2
  exit 1
}
((kernel_only)) && exit 0
loader=/usr/lib/wine/wine
[[ $arch == x86_64 ]] && loader=/usr/lib/wine/wine64
if out=$("$loader" --version 2>&1) && [[ $out == wine-* ]]; then
  exit 0
fi
echo "wine-runs.sh: FAILED: Wine's $arch loader $loader does not start (${out:-no output}); scripts/install-deps.sh --wine=$arch installs it" >&2
exit 1
