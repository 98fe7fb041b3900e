#!/usr/bin/env bash
# Installs, builds the release and runs every benchmark on a private X server and sound
# server; each prints its own figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQARN_TESTS=OFF -DQARN_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)"
source scripts/session.sh
start_private_session
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
