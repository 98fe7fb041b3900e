#!/usr/bin/env bash
# Installs what the player needs, builds it and starts it; arguments go to the player.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQARN_TESTS=OFF -DQARN_BENCH=OFF >/dev/null
cmake --build build-release --target qarn-player -j"$(nproc)"
exec build-release/program/qarn-player "$@"
