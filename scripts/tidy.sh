#!/usr/bin/env bash
# Runs clang-tidy, with the checks of .clang-tidy, over the core's sources and headers; any
# finding fails the run.
#   scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-tidy}
# The compile database comes from a core-only configuration: the windows' files need wx and
# GCC's precompiled header, which clang cannot read. Configuring is enough; nothing is built.
cmake -G Ninja -S . -B "$build_dir" -DTALLYBROOK_BUILD_UI=OFF -DTALLYBROOK_BUILD_TESTS=OFF \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

src=$PWD/src
grep -o '"file": "[^"]*"' "$build_dir/compile_commands.json" | sed 's/"file": "\(.*\)"/\1/' |
  grep "^$src/" | sort -u |
  xargs -n 4 -P "$(nproc)" clang-tidy -p "$build_dir" --quiet --warnings-as-errors='*' \
    --header-filter="^$src/" 2>&1 |
  { grep -v "warnings generated\.$" || true; } # clang's count of what it left unreported
echo "clang-tidy: no findings in the core"
