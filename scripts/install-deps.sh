#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tallybrook need,
# and generates the named locales that the locale-dependent tests use.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libgtk-3-dev
  libsqlite3-dev libcurl4-openssl-dev libxml2-dev
  libgtest-dev libgmock-dev
  xvfb xauth locales
  desktop-file-utils shared-mime-info
  clang-tidy
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Locales for the regional-format tests: a point and a comma decimal separator, and one
# whose character set is not UTF-8 (its euro sign is a single ISO-8859-15 byte).
need_gen=0
for entry in "en_US.UTF-8 UTF-8" "de_DE.UTF-8 UTF-8" "de_DE@euro ISO-8859-15"; do
  loc=${entry%% *}
  norm=$(echo "$loc" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$norm"; then
    "${sudo_cmd[@]}" sed -i "s/^# *\($entry\)/\1/" /etc/locale.gen
    grep -q "^$entry" /etc/locale.gen || echo "$entry" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    need_gen=1
  fi
done
if [ "$need_gen" -eq 1 ]; then "${sudo_cmd[@]}" locale-gen; fi
