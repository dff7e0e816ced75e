#!/usr/bin/env bash
# Installs the dependencies, builds Torvane and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="${TORVANE_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF -DTORVANE_WERROR=ON
cmake --build "$build" -j "$(nproc)"
exec "$build/bin/torvane" "$@"
