#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test on a private X server
# and sound server. QARN_SANITIZE=1 builds and runs with ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test

build=build-test
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${QARN_SANITIZE:-0}" = "1" ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DQARN_SANITIZE=ON)
  # The display and audio driver libraries keep allocations until exit; leaks are not ours.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

source scripts/session.sh
start_private_session
ctest --test-dir "$build" --output-on-failure -j2 "$@"
