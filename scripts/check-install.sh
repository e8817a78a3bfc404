#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what lands on the desktop: the
# programs, the desktop entry (desktop-file-validate), the MIME package (compiled with
# update-mime-database) and the icons at every size. With --deb it also builds the Debian
# package and checks its contents and dependencies.
#   scripts/check-install.sh BUILD_DIR [--ui] [--deb]
set -euo pipefail

build=$(cd "$1" && pwd)
shift
ui=0
deb=0
for arg in "$@"; do
  case $arg in
    --ui) ui=1 ;;
    --deb) deb=1 ;;
    *) echo "check-install.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
problems=0
problem() {
  echo "PROBLEM: $*"
  problems=$((problems + 1))
}

# Width and height of a PNG from its IHDR chunk.
png_size() {
  local bytes
  bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ')
  set -- $bytes
  echo "$(($1 * 16777216 + $2 * 65536 + $3 * 256 + $4))x$(($5 * 16777216 + $6 * 65536 + $7 * 256 + $8))"
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

programs=(tallybrook-cli)
[ "$ui" -eq 1 ] && programs+=(tallybrook)
for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || problem "bin/$program is missing or not executable"
done
"$prefix/bin/tallybrook-cli" --help | grep -q "usage: tallybrook-cli" ||
  problem "the installed tallybrook-cli does not run"

desktop=$prefix/share/applications/tallybrook.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || problem "desktop-file-validate rejects the desktop entry"
  for line in "Exec=tallybrook %f" "Categories=Office;Finance;" "Icon=tallybrook"; do
    grep -qxF "$line" "$desktop" || problem "the desktop entry lacks '$line'"
  done
  for type in application/x-ofx application/x-qw; do
    grep -q "^MimeType=.*$type;" "$desktop" || problem "the desktop entry does not list $type"
  done
else
  problem "share/applications/tallybrook.desktop is missing"
fi

mime=$prefix/share/mime
if [ -f "$mime/packages/tallybrook.xml" ]; then
  if update-mime-database "$mime" >"$work/mime.log" 2>&1 && ! grep -qi "error\|warning" "$work/mime.log"; then
    for pattern in '*.ofx' '*.qfx' '*.ofc'; do
      awk -F: -v p="$pattern" '$2 == "application/x-ofx" && $3 == p { found = 1 } END { exit !found }' \
        "$mime/globs2" ||
        problem "the MIME database does not map $pattern to application/x-ofx"
    done
  else
    problem "update-mime-database rejects tallybrook.xml: $(cat "$work/mime.log")"
  fi
else
  problem "share/mime/packages/tallybrook.xml is missing"
fi

for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tallybrook.png
  if [ -f "$icon" ]; then
    [ "$(png_size "$icon")" = "${size}x${size}" ] || problem "$icon is $(png_size "$icon")"
  else
    problem "the ${size}x${size} icon is missing"
  fi
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/tallybrook.svg" ] || problem "the scalable icon is missing"

if [ "$deb" -eq 1 ]; then
  (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; problem "cpack -G DEB failed"; }
  package=$(ls "$work"/deb/tallybrook_*.deb 2>/dev/null | head -1)
  if [ -n "$package" ]; then
    contents=$(dpkg-deb -c "$package")
    for file in ./usr/bin/tallybrook ./usr/bin/tallybrook-cli \
      ./usr/share/applications/tallybrook.desktop ./usr/share/mime/packages/tallybrook.xml \
      ./usr/share/icons/hicolor/48x48/apps/tallybrook.png; do
      grep -q " $file\$" <<<"$contents" || problem "the package lacks $file"
    done
    depends=$(dpkg-deb -f "$package" Depends)
    echo "Depends: $depends"
    grep -q "libwxgtk" <<<"$depends" || problem "the package does not depend on wxWidgets"
    grep -q "libsqlite3" <<<"$depends" || problem "the package does not depend on SQLite"
    grep -q "libcurl" <<<"$depends" || problem "the package does not depend on libcurl"
    grep -q -- "-dev" <<<"$depends" && problem "the package depends on a -dev package"
  else
    problem "cpack made no .deb"
  fi
fi

if [ "$problems" -gt 0 ]; then
  echo "$problems problem(s) in the installed tree"
  exit 1
fi
echo "the installed tree holds the programs, the desktop entry, the MIME package and the icons"
