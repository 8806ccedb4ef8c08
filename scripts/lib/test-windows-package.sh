#!/usr/bin/env bash
# Tries the Windows zip as a user would, in a fresh wine prefix with nothing else installed:
# test-windows-package.sh <zip>. Unzips it, starts vardelo.exe until the main window shows, copies a text in
# another Windows program, saves with the default name through real clicks and checks the bytes of
# C:\Безымянный.txt, then closes the program with its Close button and waits for it to end.
# Needs an X server in DISPLAY and the Windows build's test owner in build-windows.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/windows.sh
source scripts/lib/wine.sh

zip=$1
WINDOW_TIMEOUT=60

fail() {
    echo "test-windows-package: $*" >&2
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "needs an X server in DISPLAY"
scratch=$(mktemp -d /tmp/vardelo-winzip.XXXXXX)
app_pid=""
cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    WINEPREFIX=$scratch/prefix wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

make_wine_prefix "$scratch/prefix"
unzip -q "$zip" -d "$scratch/prefix/drive_c/Program Files"
exe=$(find "$scratch/prefix/drive_c/Program Files" -name vardelo.exe)
[ -n "$exe" ] || fail "the zip holds no vardelo.exe"

# Started as a user starts it: from its own folder, with only what the zip brought.
(cd "$(dirname "$exe")" && exec env -u WINEPATH wine vardelo.exe) >"$scratch/vardelo.log" 2>&1 &
app_pid=$!

find_window() { # <title> <width>x<height>: the visible window with that title and client size
    local window
    for window in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        if xdotool getwindowgeometry "$window" | grep -q "Geometry: $2\$"; then
            echo "$window"
            return 0
        fi
    done
    return 1
}
wait_window() { # <title> <size>
    local tries=0 window
    until window=$(find_window "$1" "$2"); do
        tries=$((tries + 1))
        [ "$tries" -lt $((WINDOW_TIMEOUT * 10)) ] || { cat "$scratch/vardelo.log" >&2; fail "no window '$1' of $2"; }
        kill -0 "$app_pid" 2>/dev/null || { cat "$scratch/vardelo.log" >&2; fail "vardelo.exe ended"; }
        sleep 0.1
    done
    echo "$window"
}
click() { # <window> <x> <y> within its client area
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + $2)) $((Y + $3)) click 1
}

main=$(wait_window Vardelo 633x337)
echo "The main window shows"

owner=build-windows/vardelo_win32_test_owner.exe
text=$'Выписка из другой программы\r\nвторая строка'
WINEPATH=$(wine_dll_path) \
    wine "$owner" < <(printf '%s' "$text") >/dev/null
sleep 1

click "$main" 148 36 # «Сохранить»
save=$(wait_window 'Сохранение' 361x89)
click "$save" 180 68 # its own «Сохранить», with the name «Безымянный» as it stands
box=$(wait_window 'Оповещение!' '[0-9]*x[0-9]*')
xdotool windowfocus --sync "$box" key Return 2>/dev/null || xdotool key Return

file="$scratch/prefix/drive_c/Безымянный.txt"
for _ in $(seq 100); do [ -f "$file" ] && break; sleep 0.1; done
expected=$(printf '\r\n---------------\r\n%s' "$text" | iconv -f UTF-8 -t CP1251 | base64 -w0)
actual=$(base64 -w0 <"$file")
[ "$actual" = "$expected" ] || fail "C:\\Безымянный.txt holds $(xxd "$file" | head -5)"
echo "C:\\Безымянный.txt holds the copy in Windows-1251, byte for byte"

click "$main" 436 36 # «Закрыть»
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "vardelo.exe is still running after Close"
app_pid=""
echo "Close ended the program"
