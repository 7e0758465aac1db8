#!/usr/bin/env bash
# Builds everything and runs every test. Each integration test starts its
# own private D-Bus daemon and server processes; nothing else is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 300
