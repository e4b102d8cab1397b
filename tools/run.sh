#!/usr/bin/env bash
# Installs what is needed, builds Zandrel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target zandrel
if [ -n "${DISPLAY:-}" ]; then
  exec build/app/zandrel
else
  echo "No display found: Zandrel runs on a virtual screen that nobody sees. Press Ctrl+C to stop it; to see its window, run this from a desktop session or set DISPLAY." >&2
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/app/zandrel
fi
