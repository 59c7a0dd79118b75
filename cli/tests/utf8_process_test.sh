#!/usr/bin/env bash
# The filter as a process with --encoding utf-8: Japanese manual pages in UTF-8
# come out as their code page 932 result read as UTF-8, for the initial options and
# every width and kana option; text that is not UTF-8 is refused.
# Arguments: the command that starts quillmoth-filter (with its emulator, if any).
set -u
filter=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

pages=$(find /usr/share/man/ja -name '*.gz' 2>/dev/null | sort | head -n 60)
[ -n "$pages" ] || { echo "FAIL no Japanese manual pages: install manpages-ja (scripts/install-deps.sh)"; exit 1; }
# shellcheck disable=SC2086
zcat $pages | iconv -f utf-8 -t cp932 -c > "$work/cp932" 2>/dev/null
iconv -f cp932 -t utf-8 < "$work/cp932" > "$work/utf8"

for options in "" NumberMode=1 NumberMode=2 AlphabetMode=1 AlphabetMode=2 PunctuationMode=1 \
    PunctuationMode=2 PeriodMode=1 PeriodMode=2 SignMode=1 SignMode=2 SpaceMode=1 SpaceMode=2 \
    ParenthesisMode=1 ParenthesisMode=2 KanaMode1=1 KanaMode1=2 KanaMode2=1 KanaMode2=2 KanaMode2=3; do
    # shellcheck disable=SC2086
    "${filter[@]}" $options < "$work/cp932" | iconv -f cp932 -t utf-8 > "$work/want"
    # shellcheck disable=SC2086
    "${filter[@]}" --encoding utf-8 $options < "$work/utf8" > "$work/got"
    if cmp -s "$work/want" "$work/got" && [ -s "$work/got" ]; then
        echo "ok   utf-8 corpus ${options:-(initial options)}"
    else
        fail "utf-8 corpus ${options:-(initial options)}: $(cmp "$work/want" "$work/got" 2>&1)"
    fi
done

# Read from a pipe rather than mapped, the text is converted in its own buffer; four
# copies of it outgrow the first megabyte the buffer is read into.
cat "$work/cp932" "$work/cp932" "$work/cp932" "$work/cp932" > "$work/cp932x4"
"${filter[@]}" < "$work/cp932x4" | iconv -f cp932 -t utf-8 > "$work/want"
cat "$work/utf8" "$work/utf8" "$work/utf8" "$work/utf8" | "${filter[@]}" --encoding utf-8 > "$work/got"
if cmp -s "$work/want" "$work/got" && [ -s "$work/got" ]; then echo "ok   utf-8 corpus from a pipe"; else fail "utf-8 corpus from a pipe"; fi

# "cafe 😀 ひらがな〜한국어" with an accent: only the hiragana change
printf 'caf\xc3\xa9 \xf0\x9f\x98\x80 \xe3\x81\xb2\xe3\x82\x89\xe3\x81\x8c\xe3\x81\xaa\xe3\x80\x9c\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4' > "$work/in"
printf 'caf\xc3\xa9 \xf0\x9f\x98\x80 \xe3\x83\x92\xe3\x83\xa9\xe3\x82\xac\xe3\x83\x8a\xe3\x80\x9c\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4' > "$work/want"
for how in file pipe; do
    if [ "$how" = file ]; then
        "${filter[@]}" --encoding utf-8 KanaMode1=2 < "$work/in" > "$work/got"
    else
        cat "$work/in" | "${filter[@]}" --encoding utf-8 KanaMode1=2 > "$work/got"
    fi
    if cmp -s "$work/want" "$work/got"; then echo "ok   foreign characters survive ($how)"; else fail "foreign characters survive ($how)"; fi
done

# Not UTF-8: a continuation byte at the start, a cut-short hiragana in the middle,
# a lone lead byte at the end.
for case in '\x80abc:0' 'ab\xe3\x81c:2' 'abc\xe3\x81\xb2\xf0:6'; do
    printf "${case%:*}" > "$work/in"
    "${filter[@]}" --encoding utf-8 < "$work/in" > "$work/got" 2> "$work/err"
    code=$?
    if [ "$code" = 1 ] && [ ! -s "$work/got" ] && grep -q "byte offset ${case##*:})" "$work/err"; then
        echo "ok   invalid UTF-8 at offset ${case##*:}"
    else
        fail "invalid UTF-8 at offset ${case##*:}: exit $code, $(cat "$work/err")"
    fi
done

# A NUL, where the filter's text would end, read from a pipe (converted in its own buffer).
printf 'ab\xc3\xa9\0c' | "${filter[@]}" --encoding utf-8 > "$work/got" 2> "$work/err"
code=$?
if [ "$code" = 1 ] && [ ! -s "$work/got" ] && grep -q "NUL byte.*byte offset 4)" "$work/err"; then
    echo "ok   a NUL is refused"
else
    fail "a NUL is refused: exit $code, $(cat "$work/err")"
fi

exit $((failures > 0))
