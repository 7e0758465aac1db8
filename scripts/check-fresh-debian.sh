#!/usr/bin/env bash
# Proves the README's two commands on a fresh, minimal Debian 12: makes a
# `debootstrap --variant=minbase bookworm` root, copies this checkout into it
# (tracked and new files, no build tree), runs scripts/demo.sh and then
# scripts/test.sh inside it the way a newcomer would, and reports each step
# with its time. A minimal Debian has no sudo, so the newcomer is root.
#
# Usage (as root, with debootstrap installed):
#   scripts/check-fresh-debian.sh [--keep] [--mirror URL] [WORKDIR]
#     WORKDIR   where the root and the logs go (default: new under /var/tmp)
#     --keep    leave the root in place afterwards, to look inside
#     --mirror  Debian mirror (default http://deb.debian.org/debian)
#
# Exit status: 0 when both commands succeeded, 1 when one failed (its log's
# tail is printed), 2 when the check itself could not run.
set -euo pipefail

keep=0
mirror=http://deb.debian.org/debian
work=
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --mirror) mirror="$2"; shift ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    -*) echo "check-fresh-debian: unknown option $1" >&2; exit 2 ;;
    *) work="$1" ;;
  esac
  shift
done

if [ "$(id -u)" -ne 0 ]; then echo "check-fresh-debian: run as root (debootstrap, chroot, mounts)" >&2; exit 2; fi
command -v debootstrap >/dev/null || { echo "check-fresh-debian: apt-get install debootstrap" >&2; exit 2; }

checkout="$(cd "$(dirname "$0")/.." && pwd)"
work="${work:-$(mktemp -d /var/tmp/albumcore-fresh-XXXXXX)}"
root="$work/root"
logs="$work/logs"
mkdir -p "$root" "$logs"

mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"; done
  mounted=()
  if [ "$keep" -eq 0 ]; then
    # Never delete through a mount that is still there (/dev is bound in).
    if findmnt -rn -o TARGET | grep -q "^$root"; then
      echo "check-fresh-debian: something is still mounted under $root; left in place" >&2
    else
      rm -rf "$root"
    fi
  fi
}
trap cleanup EXIT

mountin() {  # mountin TARGET mount-arguments...
  local target="$root$1"; shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}

declare -A result seconds
step() {  # step NAME command...: runs the command, logging to logs/NAME.log
  local name="$1"; shift
  local start=$SECONDS
  printf '%-10s ... ' "$name"
  if "$@" >"$logs/$name.log" 2>&1; then result[$name]=ok; else result[$name]=FAILED; fi
  seconds[$name]=$((SECONDS - start))
  printf '%s (%ss)\n' "${result[$name]}" "${seconds[$name]}"
  [ "${result[$name]}" = ok ]
}

# The newcomer's shell: a clean environment, the checkout as working directory.
newcomer() {
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    TERM=dumb LANG=C.UTF-8 /bin/bash -c "cd /root/albumcore && $*"
}

copy_checkout() {
  mkdir -p "$root/root/albumcore"
  git -C "$checkout" ls-files -z --cached --others --exclude-standard |
    (cd "$checkout" && tar --null --no-recursion -T - -cf -) | tar -xf - -C "$root/root/albumcore"
}

report() {
  echo
  echo "fresh Debian 12 check of $checkout ($(git -C "$checkout" rev-parse --short HEAD))"
  local name
  for name in debootstrap copy demo test; do
    [ -n "${result[$name]:-}" ] && printf '  %-12s %-7s %5ss  %s\n' "$name" "${result[$name]}" "${seconds[$name]}" "$logs/$name.log"
  done
}

failed() {
  report
  echo
  echo "last lines of $logs/$1.log:"
  tail -n 40 "$logs/$1.log"
  exit 1
}

echo "check-fresh-debian: working in $work"
step debootstrap debootstrap --variant=minbase bookworm "$root" "$mirror" || { report; tail -n 20 "$logs/debootstrap.log"; exit 2; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
mountin /proc -t proc proc
mountin /sys -t sysfs sysfs
mountin /dev --bind /dev
mountin /dev/pts -t devpts devpts
mountin /dev/shm -t tmpfs tmpfs
mountin /run -t tmpfs tmpfs
step copy copy_checkout || failed copy
step demo newcomer scripts/demo.sh || failed demo
step test newcomer scripts/test.sh || failed test
report
