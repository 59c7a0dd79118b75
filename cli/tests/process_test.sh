#!/usr/bin/env bash
# The filter as a process: bytes in on standard input, bytes out, exit codes.
# Arguments: the command that starts quillmoth-filter (with its emulator, if any).
set -u
filter=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # name expected-exit expected-output-file actual-exit actual-output-file
    if [ "$4" != "$2" ] || ! cmp -s "$3" "$5"; then
        echo "FAIL $1: exit $4 (want $2)"; od -c "$5" | head -5
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

run() {  # input-bytes args... ; sets code, writes $work/out and $work/err
    printf "$1" > "$work/in"; shift
    "${filter[@]}" "$@" < "$work/in" > "$work/out" 2> "$work/err"
    code=$?
}

printf 'a\r\nb' > "$work/want"
run 'a\nb'; check "breaks become CR LF" 0 "$work/want" "$code" "$work/out"

printf '\x82\xa0\x83\x41\r\n' > "$work/want"
run '\x82\xa0\x83\x41\r\n'; check "bytes pass unchanged" 0 "$work/want" "$code" "$work/out"

# full-width 2004 and nen, then half-width katakana ga with its voiced mark
printf '2004\x94\x4e\r\n' > "$work/want"
run '\x82\x51\x82\x4f\x82\x4f\x82\x53\x94\x4e\r\n' NumberMode=1; check "NumberMode=1 narrows digits" 0 "$work/want" "$code" "$work/out"
printf '\x83\x4b' > "$work/want"
run '\xb6\xde' KanaMode2=2; check "KanaMode2=2 widens kana" 0 "$work/want" "$code" "$work/out"

: > "$work/empty"
for bad in NumberMode=9 NumberMode=x DelEmptyLine=2 Bogus=1 plain --ini; do
    run 'a\n' "$bad"; check "rejects $bad" 2 "$work/empty" "$code" "$work/out"
    [ "$(wc -l < "$work/err")" = 1 ] || { echo "FAIL $bad: error is not one line"; failures=$((failures + 1)); }
done

printf '[me]\r\nDelEmptyLine=1\r\nNumberMode=7\r\n' > "$work/s.ini"
printf 'a\r\nb' > "$work/want"
run 'a\n\nb' --ini "$work/s.ini" --section me; check "options from a settings file" 0 "$work/want" "$code" "$work/out"
printf 'a\r\n\r\nb' > "$work/want"
run 'a\n\nb' DelEmptyLine=0 --ini "$work/s.ini" --section me; check "arguments override the file" 0 "$work/want" "$code" "$work/out"
run 'a\n' --ini "$work/s.ini" --section nobody; check "missing section" 2 "$work/empty" "$code" "$work/out"

run '' --help
if [ "$code" != 0 ] || ! grep -q 'EnterDeleteMode' "$work/out"; then echo "FAIL --help"; failures=$((failures + 1)); else echo "ok   --help"; fi

exit $((failures > 0))
