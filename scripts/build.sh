#!/usr/bin/env bash
# Configures and builds everything (server, tools, tests) into build/.
# Usage: scripts/build.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DALBUMCORE_WERROR=ON -DALBUMCORE_TESTS=ON "$@" >/dev/null
ninja -C build -j"$(nproc)"
