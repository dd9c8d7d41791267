#!/usr/bin/env bash
# Sets up a Debian machine, builds everything twice (normal, and with AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs every test in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
./Tools/setup.sh

jobs=$(nproc)
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

run_build() {
  local directory=$1; shift
  cmake -S . -B "$directory" -G Ninja "$@" >/dev/null
  cmake --build "$directory" -j"$jobs"
  (cd "$directory" && ctest --output-on-failure -j"$jobs")
}

echo "== Normal build"
run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer build"
run_build build-asan -DCMAKE_BUILD_TYPE=Debug -DVELA_SANITIZE=ON -DVELA_BUILD_BENCHMARKS=OFF
