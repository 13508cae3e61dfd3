# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Throwaway Debian roots for building and installing the package, shared by
# scripts/package.sh and tests/package/install_in_debian.sh. Sourced, not run.
#   root_start SUITE ARCH DIR   a fresh root in DIR (unpacked from a cached debootstrap)
#   root_save TARBALL           keeps the root as it is now, for root_start to start from
#   in_root CMD...              runs CMD in that root with a clean environment
#   root_stop                   unmounts what root_start mounted
# Roots are made with debootstrap from the mirrors in this machine's own apt sources, once
# per suite and architecture, and kept as a tarball in build/roots/ for twelve hours: making
# one costs minutes, unpacking a copy seconds. Needs root.
# A root of another architecture runs its programs through qemu-user-static: through the
# kernel's binfmt handler when it is registered or can be (the handler opens the emulator
# at registration, so nothing is copied into the root). Where it cannot be (no right to
# mount binfmt_misc or to register), nothing of the root can run inside it: root_start then
# sets root_emulator and unpacks a root made by debootstrap's first stage alone, whose
# packages are unpacked but not set up; a program is run with "$root_emulator -L ROOT".
# CHIMEWICK_NO_BINFMT=1 takes that way even where the handler works.

root_cache=${CHIMEWICK_ROOT_CACHE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/roots}
root_dir=
root_suite=
root_arch=
root_emulator=

# "suite uri" for SUITE and its updates and security suites. A suite this machine does not
# run takes the mirror of the machine's own suite of the same kind (release, -updates,
# -security): the same archive holds every release.
root_mirrors() {
  local suite=$1 own
  own=$(. /etc/os-release && echo "$VERSION_CODENAME")
  python3 - "$own" "$suite" <<'PY'
import glob, re, sys
own, wanted = sys.argv[1], sys.argv[2]
found = {}
for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
    try:
        lines = open(path).read().splitlines()
    except OSError:
        continue
    for line in lines:
        words = re.sub(r"\[[^]]*\]", "", line.split("#")[0]).split()
        if len(words) >= 3 and words[0] == "deb":
            found.setdefault(words[2], words[1])
for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
    for stanza in re.split(r"\n\s*\n", open(path).read()):
        fields = {}
        for line in stanza.splitlines():
            if line[:1] not in ("#", " ", "\t") and ":" in line:
                key, value = line.split(":", 1)
                fields[key.strip().lower()] = value.split()
        if "deb" in fields.get("types", []) and fields.get("enabled", ["yes"])[0] != "no":
            for suite in fields.get("suites", []):
                for uri in fields.get("uris", []):
                    found.setdefault(suite, uri)
for kind in ("", "-updates", "-security"):
    uri = found.get(wanted + kind) or found.get(own + kind)
    if uri:
        print(wanted + kind, uri)
PY
}

# True when programs of ARCH run here, registering qemu's binfmt handler if need be.
root_can_run() {
  local arch=$1 handler
  [[ $arch == "$(dpkg --print-architecture)" ]] && return 0
  case $arch in
  arm64) handler=qemu-aarch64 ;;
  *) return 1 ;;
  esac
  [[ -x /usr/bin/$handler-static && -z ${CHIMEWICK_NO_BINFMT:-} ]] || return 1
  if [[ ! -e /proc/sys/fs/binfmt_misc/register ]]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || return 1
  fi
  if ! grep -qx enabled "/proc/sys/fs/binfmt_misc/$handler" 2>/dev/null; then
    update-binfmts --enable "$handler" >/dev/null 2>&1 || return 1
  fi
  grep -q '^flags:.*F' "/proc/sys/fs/binfmt_misc/$handler" 2>/dev/null
}

# The cached tarball of a minimal SUITE/ARCH root; made when missing or stale.
root_tarball() {
  local suite=$1 arch=$2 tarball mirror work attempt started stage=()
  tarball=$root_cache/$suite-$arch.tar
  if ! root_can_run "$arch"; then
    stage=(--foreign)
    tarball=$root_cache/$suite-$arch-unpacked.tar
  fi
  mkdir -p "$root_cache"
  if [[ -n $(find "$tarball" -mmin -720 2>/dev/null) ]]; then
    echo "$tarball"
    return
  fi
  mirror=$(root_mirrors "$suite" | awk -v s="$suite" '$1 == s { print $2 }')
  [[ -n $mirror ]] || { echo "debian-root: no apt source for $suite on this machine" >&2; return 1; }
  work=$(mktemp -d "$root_cache/make.XXXXXX")
  started=$SECONDS
  # Retried: the mirror is a long way off and downloads sometimes break.
  for attempt in 1 2 3; do
    if debootstrap "${stage[@]}" --variant=minbase --arch="$arch" "$suite" "$work/root" "$mirror" >"$work/log" 2>&1; then
      break
    fi
    if ((attempt == 3)); then
      tail -20 "$work/log" >&2
      echo "debian-root: debootstrap $suite $arch failed three times" >&2
      rm -rf --one-file-system "$work"
      return 1
    fi
    echo "debian-root: debootstrap $suite $arch failed (attempt $attempt); retrying" >&2
    for m in proc sys; do umount -l "$work/root/$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$work/root"
    sleep $((attempt * 15))
  done
  tar -C "$work/root" -cf "$tarball.part" .
  mv "$tarball.part" "$tarball"
  rm -rf --one-file-system "$work"
  echo "debian-root: Debian $suite $arch made from $mirror in $((SECONDS - started)) s" >&2
  echo "$tarball"
}

root_start() { # SUITE ARCH DIR [TARBALL: another than debootstrap's, of that suite]
  local tarball=${4:-}
  root_suite=$1 root_arch=$2 root_dir=$3
  [[ -n $tarball ]] || tarball=$(root_tarball "$root_suite" "$root_arch") || return 1
  root_emulator=
  if ! root_can_run "$root_arch"; then
    case $root_arch in arm64) root_emulator=/usr/bin/qemu-aarch64-static ;; esac
    [[ -x $root_emulator ]] || { echo "debian-root: programs of $root_arch cannot run here" >&2; return 1; }
  fi
  mkdir -p "$root_dir"
  tar -C "$root_dir" -xf "$tarball"
  root_mirrors "$root_suite" | awk '{ print "deb " $2 " " $1 " main" }' >"$root_dir/etc/apt/sources.list"
  # A root thrown away afterwards needs no sync after every file dpkg writes.
  echo force-unsafe-io >"$root_dir/etc/dpkg/dpkg.cfg.d/unsafe-io"
  mount -t proc proc "$root_dir/proc"
}

root_stop() {
  local m
  [[ -n $root_dir ]] || return 0
  for m in tmp/.X11-unix proc sys dev/pts dev; do
    if mountpoint -q "$root_dir/$m" 2>/dev/null; then umount -l "$root_dir/$m" || true; fi
  done
}

root_save() {
  umount "$root_dir/proc"
  tar -C "$root_dir" -cf "$1.part" .
  mv "$1.part" "$1"
  mount -t proc proc "$root_dir/proc"
}

in_root() {
  chroot "$root_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

# shellcheck disable=SC2034 # for the scripts that source this one
root_apt=(apt-get -q -y -o Acquire::Retries=5 -o Dpkg::Use-Pty=0)
