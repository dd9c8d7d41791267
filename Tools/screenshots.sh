#!/usr/bin/env bash
# Plays the game headless and writes the README's screenshots to docs/screenshots: the main screens
# and every level, taken at 1600 x 900 and kept small (640 x 360, a 96-colour palette).
# Usage: Tools/screenshots.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
./Tools/setup.sh
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target Test_Game_PlayThrough

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
(cd "$build/bin" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy VELA_SCREENSHOT_DIR="$frames" \
  ./Test_Game_PlayThrough --gtest_also_run_disabled_tests --gtest_filter=ByHandRunTest.DISABLED_Screenshots >/dev/null)

mkdir -p docs/screenshots
for frame in "$frames"/*.png; do
  ffmpeg -loglevel error -y -i "$frame" \
    -vf "scale=640:-1:flags=area,split[a][b];[a]palettegen=max_colors=96:stats_mode=single[p];[b][p]paletteuse=dither=none" \
    "docs/screenshots/$(basename "$frame")"
done
ls -l docs/screenshots
