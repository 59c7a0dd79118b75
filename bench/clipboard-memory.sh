#!/usr/bin/env bash
# A big copy through the running Quillmoth.exe under Wine: the time from the copy to
# the filtered text on the clipboard, and the program's peak memory meanwhile, next
# to the text's size. The result is checked byte for byte against quillmoth-filter.
# Usage: bench/clipboard-memory.sh [--unicode] [MEGABYTES [OPTION=VALUE...]]
#        (default: 100 MB of the Japanese corpus, NumberMode=1)
# --unicode copies the corpus as Unicode text (CF_UNICODETEXT), as most programs
# copy, with a character that code page 932 lacks at the end of every line (1,000
# Hangul syllables, 20 emoji and an accented letter, in turn); MEGABYTES is then its
# size in UTF-8.
# Memory is the growth of the process's peak resident set (VmHWM, reset through
# /proc/PID/clear_refs just before the copy) over what it held before: the pages the
# run touched, which under Wine are the process's private memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unicode=
if [ "${1:-}" = --unicode ]; then unicode=1; shift; fi
mb=${1:-100}
shift || true
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(NumberMode=1)

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
work=$(mktemp -d)
trap 'kill "${app:-}" 2>/dev/null; wait "${app:-}" 2>/dev/null; qm_display_stop; rm -rf "$work"' EXIT
qm_display_start
scripts/build.sh windows --target Quillmoth cliptool quillmoth-filter >/dev/null
bash bench/make-corpus.sh >/dev/null
qm_wine_env "$root/build/windows/wineprefix"
cliptool() { "$QM_WINE" "$root/build/windows/tests/e2e/cliptool.exe" "$@"; }

text="$work/copy.txt"
if [ -n "$unicode" ]; then
    # Whole lines of the UTF-8 corpus, each with its foreign character, up to the size.
    perl -e '
        my ($limit, $file) = @ARGV;
        my @foreign = ((map { chr(0xAC00 + 11 * $_) } 0 .. 999), (map { chr(0x1F600 + $_) } 0 .. 19), chr(0xE9));
        utf8::encode($_) for @foreign;
        my ($n, $size) = (0, 0);
        while (1) {
            open(my $in, "<:raw", $file) or die "$file: $!";
            while (my $line = <$in>) {
                $line =~ s/\n\z//;
                $line .= " " . $foreign[$n++ % @foreign] . "\n";
                exit 0 if $size + length($line) > $limit;
                print $line;
                $size += length($line);
            }
        }' $((mb * 1000 * 1000)) bench/corpus/ja-80M.utf8.txt >"$text"
    put=put-unicode get=get-unicode
    encoding=(--encoding utf-8)
else
    while [ "$(stat -c %s "$text" 2>/dev/null || echo 0)" -lt $((mb * 1000 * 1000)) ]; do
        cat bench/corpus/base.txt >>"$text"
    done
    truncate -s $((mb * 1000 * 1000)) "$text"
    put=put get=get
    encoding=()
fi
"$QM_WINE" build/windows/cli/quillmoth-filter.exe "${encoding[@]}" "${options[@]}" <"$text" >"$work/expected.txt"

mkdir "$work/app"
cp build/windows/app/Quillmoth.exe "$work/app/"
{
    printf '[%s]\r\n' "$(id -un)"
    for o in "${options[@]}"; do printf '%s\r\n' "$o"; done
} >"$work/app/Quillmoth.ini"
(cd "$work/app" && exec "$QM_WINE" Quillmoth.exe) >/dev/null 2>&1 &
app=$!
sleep 4
kb() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$app/status"; }

before=$(kb VmRSS)
echo 5 >"/proc/$app/clear_refs"
# cliptool times from its copy to the program's write.
ms=$(cliptool "$put" --time <"$text" | tr -d '\r')
peak=$(kb VmHWM)
[ "$(cliptool owner | tr -d '\r')" = Quillmoth.exe ] || { echo "the program did not write the clipboard" >&2; exit 1; }
cliptool "$get" >"$work/got.txt"
cmp -s "$work/got.txt" "$work/expected.txt" && result=correct || result=WRONG

size_kb=$(($(stat -c %s "$text") / 1024))
growth=$((peak - before))
echo "copy: $mb MB${unicode:+ of UTF-8}, options: ${options[*]}, output $result"
echo "from the copy to the filtered text on the clipboard: $ms ms"
echo "resident before: $((before / 1024)) MB, peak during the run: $((peak / 1024)) MB"
echo "peak growth: $((growth / 1024)) MB = $(echo "scale=2; $growth / $size_kb" | bc) x the text (bound: 5 x)"
if [ -n "$unicode" ]; then
    utf16_kb=$(($(iconv -f utf-8 -t utf-16le <"$text" | wc -c) / 1024))
    echo "  the copy as UTF-16 on the clipboard: $((utf16_kb / 1024)) MB, growth $(echo "scale=2; $growth / $utf16_kb" | bc) x that"
fi
# The copy as read stays for the undo command until the clipboard moves on.
echo "resident after the run: $(($(kb VmRSS) / 1024)) MB"
[ "$result" = correct ]
