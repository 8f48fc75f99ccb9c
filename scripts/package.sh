#!/usr/bin/env bash
# Builds the release talvern.exe for both Windows architectures and packs each into
#   dist/talvern-<version>-x86.zip and dist/talvern-<version>-x64.zip
# with dist/SHA256SUMS beside them. Each zip holds one folder, talvern-<version>/, with
# talvern.exe, Readme.txt (the Japanese user's guide, code page 932, CRLF) and LICENSE.txt.
# The zips are reproducible: the same sources give the same bytes, so the sums stay put.
# Their file times are $SOURCE_DATE_EPOCH when set, otherwise the time of the last commit.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

archs=(x86 x64)
source scripts/arch.sh

fail() {
  echo "package.sh: $*" >&2
  exit 1
}

# Builds the release talvern.exe in build/win-<arch>.
build_exe() {
  local arch=$1 dir
  dir="$(talvern_build_dir "$arch")"
  echo "== release build, $arch ($dir)"
  talvern_build_windows "$arch" talvern
  [[ -f $dir/talvern.exe ]] || fail "the build left no $dir/talvern.exe"
}

# One of the texts CMake worked out for the version resource (TALVERN_RC_<name>).
resource_text() {
  local arch=$1 name=$2 header text
  header="$(talvern_build_dir "$arch")/talvern_version.h"
  [[ -f $header ]] || fail "$header is missing: configure the build first"
  text="$(sed -n -E "s/^#define TALVERN_RC_$name \"([^\"]+)\"\$/\\1/p" "$header")"
  [[ -n $text ]] || fail "no TALVERN_RC_$name in $header"
  echo "$text"
}

# Copies a UTF-8, LF text file as Windows users read it: @VERSION@ and @PRODUCT_NAME@
# filled in, CRLF line ends, in the given encoding. A character the encoding cannot hold
# stops the packaging, naming the file.
windows_text() {
  local source=$1 target=$2 encoding=$3
  if LC_ALL=C grep -q $'\r' "$source"; then
    fail "$source has CR characters; keep it with LF line ends"
  fi
  if ! LC_ALL=C awk -v version="$version" -v product="$product" \
    '{ gsub(/@VERSION@/, version); gsub(/@PRODUCT_NAME@/, product); printf "%s\r\n", $0 }' \
    "$source" | iconv -f UTF-8 -t "$encoding" >"$target"; then
    fail "$source holds text that $encoding cannot store (iconv's message is above)"
  fi
}

# Lays out talvern-<version>/ for one architecture under build/package/<arch>/.
stage() {
  local arch=$1 version=$2 stamp=$3
  local root=build/package/$arch folder=talvern-$2
  rm -rf "$root"
  mkdir -p "$root/$folder"
  cp "$(talvern_build_dir "$arch")/talvern.exe" "$root/$folder/talvern.exe"
  windows_text docs/Readme.ja.txt "$root/$folder/Readme.txt" CP932
  windows_text LICENSE "$root/$folder/LICENSE.txt" ASCII
  chmod 0755 "$root/$folder" "$root/$folder/talvern.exe"
  chmod 0644 "$root/$folder/Readme.txt" "$root/$folder/LICENSE.txt"
  touch -h -d "@$stamp" "$root/$folder"/* "$root/$folder"
}

# Zips the staged folder: entries in a fixed order, no extra fields (-X: no uid, gid or
# access time), file times in UTC whatever the packer's time zone.
pack() {
  local arch=$1 version=$2 zip=$PWD/dist/talvern-$2-$1.zip folder=talvern-$2
  (
    cd "build/package/$arch"
    mapfile -t entries < <(find "$folder" -mindepth 1 | LC_ALL=C sort)
    TZ=UTC zip -X -9 -q "$zip" "$folder/" "${entries[@]}"
  )
  echo "package.sh: wrote dist/$(basename "$zip") ($(stat -c %s "$zip") bytes)"
}

# The time every packed file carries.
source_stamp() {
  if [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
    echo "$SOURCE_DATE_EPOCH"
  elif git rev-parse --git-dir >/dev/null 2>&1; then
    git log -1 --format=%ct
  else
    fail "not a git checkout: set SOURCE_DATE_EPOCH to the time the packed files should carry"
  fi
}

bash scripts/deps.sh
for tool in zip iconv sha256sum; do
  command -v "$tool" >/dev/null || fail "'$tool' is not installed"
done

for arch in "${archs[@]}"; do build_exe "$arch"; done
version="$(resource_text x86 VERSION_TEXT)"
product="$(resource_text x86 PRODUCT_NAME)"
if [[ $(resource_text x64 VERSION_TEXT) != "$version" ]]; then
  fail "the two builds disagree on the version"
fi
stamp="$(source_stamp)"

rm -rf dist
mkdir -p dist
for arch in "${archs[@]}"; do
  stage "$arch" "$version" "$stamp"
  pack "$arch" "$version"
done
(cd dist && sha256sum "talvern-$version-x86.zip" "talvern-$version-x64.zip" >SHA256SUMS)
echo "package.sh: wrote dist/SHA256SUMS"
