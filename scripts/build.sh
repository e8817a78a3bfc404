#!/usr/bin/env bash
# Configures and builds Tallybrook with Ninja.
#   scripts/build.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
if [ $# -gt 0 ]; then shift; fi

cmake -G Ninja -S . -B "$build_dir" "$@"
cmake --build "$build_dir" -j"$(nproc)"
