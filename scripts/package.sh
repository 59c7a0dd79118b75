#!/usr/bin/env bash
# Builds what a user downloads, from the Windows build:
#   dist/Quillmoth-<version>-win64.zip   the program, both manuals, the command-line
#                                        filter, a sample filter file, a Japanese read-me
#                                        and the licence
#   dist/Quillmoth-<version>-setup.exe   the same as a per-user installer (NSIS)
# The version is the project's, the one the version resource carries.
# Usage: scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh >/dev/null
scripts/build.sh windows --target Quillmoth quillmoth-filter manual >/dev/null

build="$root/build/windows"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
readme=$(printf '\xe3\x81\xaf\xe3\x81\x98\xe3\x82\x81\xe3\x81\xab\xe3\x81\x8a\xe8\xaa\xad\xe3\x81\xbf\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3\x81\x84.txt')  # "please read first"

stage="$root/build/package"
rm -rf "$stage"
mkdir -p "$stage" "$root/dist"
cp "$build/app/Quillmoth.exe" "$build/cli/quillmoth-filter.exe" "$build/app/Quillmoth.pdf" \
    "$build/app/Quillmoth-en.pdf" "$stage/"
# Text for Windows: code page 932 with CR LF line ends.
windows_text() {  # utf-8-source destination
    iconv -f utf-8 -t cp932 "$1" | sed 's/$/\r/' > "$2"
}
windows_text packaging/sample-filter.txt "$stage/sample-filter.txt"
sed "s/@VERSION@/$version/" packaging/readme-ja.txt > "$stage/readme.utf8"
windows_text "$stage/readme.utf8" "$stage/$readme"
rm "$stage/readme.utf8"
windows_text LICENSE "$stage/LICENSE.txt"

zip="$root/dist/Quillmoth-$version-win64.zip"
setup="$root/dist/Quillmoth-$version-setup.exe"
rm -f "$zip" "$setup"
# Python's zip flags a name in UTF-8 as such, which Windows needs to show the read-me's
# name; Debian's zip writes the bytes unflagged.
python3 - "$stage" "$zip" <<'PY'
import os, sys, zipfile
stage, path = sys.argv[1:]
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in sorted(os.listdir(stage)):
        z.write(os.path.join(stage, name), name)
PY
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
    packaging/Quillmoth.nsi
echo "$zip"
echo "$setup"
