#!/usr/bin/env bash
# Sets up a Debian machine, builds the program and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
./Tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build/bin && exec ./Game
