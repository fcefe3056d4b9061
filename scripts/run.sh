#!/usr/bin/env bash
# Installs what is missing, builds, and starts NUV with one simulated module.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build nuv
export MDQ4170_SIM_MODULES=${MDQ4170_SIM_MODULES:-1}
exec ./build/nuv "$@"
