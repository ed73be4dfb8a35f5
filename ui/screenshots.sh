#!/usr/bin/env bash
# Builds the screenshot program and saves a PNG of every window into the
# folder given as the first argument (default: build/screenshots). Runs
# under Xvfb when it is installed, otherwise on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ui_screenshots kd_data
if [ -f adjustment/CMakeLists.txt ]; then
  cmake --build build -j2 --target gama || true
fi
if command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 1600x1200x24" build/tests/ui_screenshots "$out"
else
  QT_QPA_PLATFORM=offscreen build/tests/ui_screenshots "$out"
fi
