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

# The user filter file. Under Wine the program is given the Windows form of the path.
windows=0
case "${filter[0]}" in *wine-run.sh) windows=1 ;; esac
program_path() { if [ "$windows" = 1 ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi; }

printf '# rules\r\na\tb\r\n\r\nc\n \td\n' > "$work/rules.txt"
printf 'bddb\r\n' > "$work/want"
run 'a c a\r\n' UseCustomFilter=1 "FilterFile=$(program_path "$work/rules.txt")"
check "rules from a filter file" 0 "$work/want" "$code" "$work/out"
printf 'a\r\n' > "$work/want"
run 'a\r\n' UseCustomFilter=1 "FilterFile=$(program_path "$work/missing.txt")"
check "missing filter file changes nothing" 0 "$work/want" "$code" "$work/out"
grep -q "missing.txt' names no file" "$work/err" || { echo "FAIL missing filter file: no warning"; failures=$((failures + 1)); }

# A socket is a file that nobody can open, root included.
if python3 -c "import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])" "$work/rules.sock" 2>/dev/null; then
    run 'a\r\n' UseCustomFilter=1 "FilterFile=$(program_path "$work/rules.sock")"
    check "unreadable filter file fails" 1 "$work/empty" "$code" "$work/out"
    # the message "file \"%s\" cannot be opened. %s"
    if [ "$windows" = 1 ]; then
        printf '\x83\x74\x83\x40\x83\x43\x83\x8B "%s" \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81\x42' \
            "$(program_path "$work/rules.sock")" > "$work/want"
        head -c "$(wc -c < "$work/want")" "$work/err" > "$work/got"
        [ "$(wc -c < "$work/err")" -gt "$(($(wc -c < "$work/want") + 1))" ] || : > "$work/got"
    else
        printf '\x83\x74\x83\x40\x83\x43\x83\x8B "%s" \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81\x42%s\n' \
            "$(realpath "$work/rules.sock")" "No such device or address" > "$work/want"
        cp "$work/err" "$work/got"
    fi
    check "unreadable filter file is named on standard error" 1 "$work/want" "$code" "$work/got"
else
    echo "skip unreadable filter file: python3 cannot make a socket here"
fi

# A device named as the filter file was read for ever and ended in an abort (exit 134).
run 'a\r\n' UseCustomFilter=1 "FilterFile=$(program_path /dev/zero)"
check "device as filter file fails" 1 "$work/empty" "$code" "$work/out"
[ -s "$work/err" ] || { echo "FAIL device as filter file: no message"; failures=$((failures + 1)); }
# Wine shows a device as a regular file; the filter file's size limit stops it there.
if [ "$windows" = 0 ]; then
    run 'a\n' --ini /dev/zero --section me
    check "device as settings file is refused" 2 "$work/empty" "$code" "$work/out"
fi

# Running out of memory ended in an abort; where a memory limit can be set (not
# under the sanitizers or Wine), an endless standard input shows how it ends now.
if [ "$windows" = 0 ] && (ulimit -v 400000 && "${filter[@]}" --help) >/dev/null 2>&1; then
    (ulimit -v 400000 && exec "${filter[@]}") < /dev/zero > "$work/out" 2> "$work/err"
    code=$?
    printf 'quillmoth-filter: out of memory\n' > "$work/want"
    check "out of memory ends with a message" 1 "$work/want" "$code" "$work/err"
else
    echo "skip out of memory: no memory limit here"
fi

run '' --help
if [ "$code" != 0 ] || ! grep -q 'EnterDeleteMode' "$work/out"; then echo "FAIL --help"; failures=$((failures + 1)); else echo "ok   --help"; fi

exit $((failures > 0))
