#!/usr/bin/env bash
# Makes one PDF manual from its Markdown source: pandoc writes the HTML with a table of
# contents and numbered sections, weasyprint lays it out with docs/manual/manual.css,
# which sets the pages, their numbers and the fonts it embeds.
# Usage: scripts/build-manual.sh SOURCE.md OUT.pdf VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
src=$1
out=$2
version=$3
for tool in pandoc weasyprint; do
    command -v "$tool" >/dev/null || { echo "$tool not found: run scripts/install-deps.sh" >&2; exit 1; }
done
html="${out%.pdf}.html"
pandoc "$src" --from markdown-smart+east_asian_line_breaks --to html5 --standalone --toc --toc-depth 2 \
    --number-sections --lua-filter "$root/scripts/manual.lua" --metadata version="$version" \
    --template "$root/docs/manual/template.html" --output "$html"
# The pictures are found beside the source; the HTML stays in the build tree.
weasyprint --base-url "$(cd "$(dirname "$src")" && pwd)/" --stylesheet "$root/docs/manual/manual.css" \
    "$html" "$out"
