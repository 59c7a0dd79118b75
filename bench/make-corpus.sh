#!/usr/bin/env bash
# Builds the Japanese benchmark corpus in code page 932 from Debian's Japanese
# manual pages (manpages-ja) and the Japanese Debian reference (debian-reference-ja):
#   bench/corpus/base.txt    the two sources once (about 12 MB)
#   bench/corpus/ja-8M.txt   8 MB, cut from repetitions of base
#   bench/corpus/ja-80M.txt  80 MB, likewise
#   bench/corpus/html.txt    the reference's HTML alone, for markup steps
#   bench/corpus/ja-8M.utf8.txt, ja-80M.utf8.txt  the same texts in UTF-8
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/bench/corpus"
mkdir -p "$out"
utf8_forms() {  # the UTF-8 form of each size; a character cut in two at the end is dropped
    local size
    for size in 8M 80M; do
        [ -s "$out/ja-$size.utf8.txt" ] && continue
        iconv -f cp932 -t utf-8 -c < "$out/ja-$size.txt" > "$out/ja-$size.utf8.txt" 2>/dev/null || true
    done
}
if [ -s "$out/ja-80M.txt" ] && [ -s "$out/base.txt" ]; then
    utf8_forms
    exit 0
fi

man=/usr/share/man/ja
ref=/usr/share/debian-reference
[ -d "$man" ] && ls "$ref"/*.ja.html >/dev/null 2>&1 || { echo "make-corpus: install manpages-ja and debian-reference-ja (scripts/install-deps.sh)" >&2; exit 1; }

tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
find "$man" -name '*.gz' | sort | xargs zcat > "$tmp"
iconv -f utf-8 -t cp932 -c < "$tmp" > "$out/man.txt" || true
cat "$ref"/*.ja.html | iconv -f utf-8 -t cp932 -c > "$out/html.txt" || true
cat "$out/man.txt" "$out/html.txt" > "$out/base.txt"

make_size() {  # bytes file
    local n=$1 f=$2
    : > "$f.tmp"
    while [ "$(stat -c %s "$f.tmp")" -lt "$n" ]; do cat "$out/base.txt" >> "$f.tmp"; done
    head -c "$n" "$f.tmp" > "$f"
    rm -f "$f.tmp"
}
make_size $((8 * 1000 * 1000)) "$out/ja-8M.txt"
make_size $((80 * 1000 * 1000)) "$out/ja-80M.txt"
utf8_forms
ls -l "$out"
