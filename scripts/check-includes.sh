#!/usr/bin/env bash
# Checks which folders include which: the layers of the README's layout table. A
# folder includes only itself and the folders below it; the engine, beyond the base
# library, only the standard library, so that it builds and is tested everywhere.
# Prints every include that breaks a rule and exits 1 if there is one.
# Usage: scripts/check-includes.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# What each folder (or one file, or a folder's tests) may include besides itself.
# bench/, fuzz/ and tests/ sit on top and may include anything.
declare -A allowed=(
    [base]=""
    [engine]="base"
    [framework]="base"
    [unicode]="base engine"
    [settings]="base engine framework"
    [controls]="base engine framework"
    [clipboard]="base engine unicode settings controls framework"
    [cli]="base engine unicode settings"
    [app]="base engine unicode settings controls clipboard framework"
    # The tray icon is a window of its own: it knows nothing of the text it filters.
    [app/TrayIcon.cpp]="base settings controls clipboard framework"
    # The dialog's settings file, read back by the command line.
    [app/tests]="base engine unicode settings controls clipboard framework cli"
)

status=0
complain() {
    echo "$1: $2" >&2
    status=1
}

while IFS= read -r file; do
    folder=${file%%/*}
    rest=${file#*/}
    key=$folder
    if [ -n "${allowed[$file]+x}" ]; then
        key=$file
    elif [[ $rest == tests/* ]] && [ -n "${allowed[$folder/tests]+x}" ]; then
        key=$folder/tests
    fi
    while IFS= read -r included; do
        target=${included%%/*}
        [ "$target" = "$folder" ] && continue
        case " ${allowed[$key]} " in
            *" $target "*) ;;
            *) complain "$file" "includes \"$included\", which $key may not" ;;
        esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")

    # The engine's platform text services are the one part of it that is Windows.
    if [ "$folder" = engine ] && [[ $rest != tests/* ]]; then
        while IFS= read -r header; do
            case "$header" in
                *.h)
                    [[ $header =~ ^[a-z]*intrin\.h$ ]] && continue
                    [ "$file:$header" = "engine/PlatformText.cpp:windows.h" ] && continue
                    complain "$file" "includes <$header>, which is not the standard library"
                    ;;
            esac
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$file")
    fi
done < <(find base engine framework unicode settings controls clipboard cli app \
    -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if [ "$status" -eq 0 ]; then echo "includes: every folder keeps to its layer"; fi
exit "$status"
