#!/usr/bin/env bash
# Draws the installed program icons from packaging/tallybrook.svg at every hicolor size into
# packaging/icons/SIZE/tallybrook.png. Run it after changing the drawing and commit the PNGs;
# the build only copies them. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v rsvg-convert >/dev/null; then
  echo "make-icons.sh: rsvg-convert is missing; install the Debian package librsvg2-bin" >&2
  exit 1
fi

for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "packaging/icons/$size"
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "packaging/icons/$size/tallybrook.png" packaging/tallybrook.svg
done
echo "icons written to packaging/icons"
