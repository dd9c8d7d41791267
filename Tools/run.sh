#!/usr/bin/env bash
# Sets up a Debian machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./Tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/bin/Game ]; then
  cd build/bin && exec ./Game
fi
echo "The game itself is not part of the build yet: run ./Tools/test.sh to build and test the engine."
