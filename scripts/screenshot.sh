#!/bin/sh
# Makes docs/screenshot.png: builds the screenshot tool and runs it under a virtual X server.
# Usage: scripts/screenshot.sh [build directory]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja
fi
ninja -C "$build" -j2 korvel-screenshot
mkdir -p "$root/docs"
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
    "$build/bin/korvel-screenshot" "$root/docs/screenshot.png"
echo "$root/docs/screenshot.png"
