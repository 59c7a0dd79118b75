#!/usr/bin/env bash
# Installs what the builds, the Wine test bench and the benchmarks need.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake make g++ clang-format
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine64 xvfb xauth openbox trayer xclip xsel xdotool imagemagick x11-utils
  locales googletest libgtest-dev libbenchmark-dev clang libfuzzer-14-dev
  nkf manpages-ja debian-reference-ja fonts-ipafont-gothic
  pandoc weasyprint poppler-utils python3 fonts-dejavu-core nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: without ja_JP.UTF-8 it silently uses 1252.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $sudo sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
fi
