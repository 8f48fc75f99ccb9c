#!/usr/bin/env bash
# Installs what building and testing Talvern needs on Debian 12 and nothing that is
# already there. Safe to run again: a machine that has everything is left untouched.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  # 64-bit Wine runs everywhere; 32-bit Wine only where the kernel runs i386 programs
  # (it installs on every machine all the same).
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth x11-utils
  # Exactly one CJK font package: with several, Wine's choice of face changes.
  fonts-noto-cjk
  locales
  imagemagick
  # Release packages.
  zip unzip
  # Sanitized unit tests, fuzz targets (libFuzzer) and static analysis.
  clang libclang-rt-14-dev clang-tidy cppcheck jq
)

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "deps.sh: '$*' needs root, and sudo is not available" >&2
    exit 1
  fi
}

installed() {
  [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]
}

need_update=false
# wine32 is an i386 package: the architecture must be known before the package lists
# are fetched.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=true
fi

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "deps.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
elif $need_update; then
  as_root apt-get update -qq
fi

# Wine garbles non-ASCII arguments unless the Japanese locale really exists.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "deps.sh: generating the ja_JP.UTF-8 locale"
  as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
