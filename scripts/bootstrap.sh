#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark
# and run the demo, starting from a minimal Debian 12 (debootstrap minbase);
# scripts/check-fresh-debian.sh proves it. Idempotent; run as root.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libsqlite3-dev
  sqlite3                     # the sqlite3 shell: tests change files from another process with it
  libsdbus-c++-dev libsdbus-c++-bin libsystemd-dev
  dbus                        # dbus-daemon and dbus-run-session: the private buses of tests and demo
  systemd                     # busctl, which the demo shows the server's objects with
  libicu-dev libpugixml-dev libvips-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfmt-dev libcli11-dev
  clang libclang-rt-14-dev    # the translator's fuzz target
)

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: run as root (it installs Debian packages)" >&2
  exit 1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "bootstrap: installed ${missing[*]}"
