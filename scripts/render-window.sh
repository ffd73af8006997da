#!/usr/bin/env bash
# Renders a window of Bastide to a PNG under Xvfb, for reviewing what users see.
#   scripts/render-window.sh OUT.png [--ini FILE] [--dpi 96|144] [--screen WxH] [--wait SECONDS]
#                            [--keys KEYS] [--click "X Y [BUTTON]"]... [--after SECONDS] [-- ARGS...]
# Runs build/bin/Bastide.exe in a scratch folder with the given settings file, waits,
# types KEYS if given (xdotool key names separated by spaces, e.g. "alt+r" to show the
# restore tab), clicks at X Y of the screen if given (the main window opens at its stored
# Left and Top, 0 0 by default; --click may be repeated, and BUTTON 3 clicks with the right
# button), waits SECONDS more (--after, default 2), then captures the windows on the screen.
# --screen sets the size of the screen (1280x1024 by default); the whole screen is then
# kept, so what lies off it shows as missing. Environment: BASTIDE_RENDER_EXE to render
# another program of the build (a test fixture that opens a given window).
set -uo pipefail
out="${1:?usage: render-window.sh OUT.png [--ini FILE] [--dpi N] [--wait S] [--keys KEYS] [-- ARGS]}"; shift
ini=""; dpi=96; screen=""; size=1280x1024; wait=6; keys=""; clicks=(); after=2
while [ $# -gt 0 ]; do
    case "$1" in
        --ini) ini="$2"; shift 2;;
        --dpi) dpi="$2"; shift 2;;
        --screen) screen="$2"; size="$2"; shift 2;;
        --wait) wait="$2"; shift 2;;
        --keys) keys="$2"; shift 2;;
        --click) clicks+=("$2"); shift 2;;
        --after) after="$2"; shift 2;;
        --) shift; break;;
        *) break;;
    esac
done
out="$(realpath -m "$out")"
[ -n "$ini" ] && ini="$(realpath "$ini")"
export BASTIDE_DISPLAY=x11
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ensure_prefix
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

scratch="$(mktemp -d)"
exe="${BASTIDE_RENDER_EXE:-$BUILD/bin/Bastide.exe}"
cp "$exe" "$scratch/"
# The control of the line menu travels beside the program.
[ -f "$(dirname "$exe")/Palisade50.dll" ] && cp "$(dirname "$exe")/Palisade50.dll" "$scratch/"
[ -n "$ini" ] && cp "$ini" "$scratch/Bastide.ini"

corner="$((${size%x*} - 1)) $((${size#*x} - 1))"
# Xvfb picks a free display itself and writes its number to the descriptor: several
# renders may run side by side.
exec {dfd}<> <(:)
Xvfb -displayfd "$dfd" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 number <&"$dfd"
display=":${number:-99}"
trap 'kill $xvfb_pid 2>/dev/null; "$WINESERVER" -k >/dev/null 2>&1; rm -rf "$scratch"' EXIT
export DISPLAY="$display"
sleep 1
# A Wine virtual desktop draws the windows' own frames and captions, which a bare X
# server without a window manager would leave out.
(cd "$scratch" && "$WINE" explorer "/desktop=Render,$size" "./$(basename "$exe")" "$@" >/dev/null 2>&1 &)
sleep "$wait"
# The pointer rests in a corner, away from any control and its tool tip.
command -v xdotool >/dev/null 2>&1 && xdotool mousemove $corner && sleep 1
if [ -n "$keys" ]; then
    # shellcheck disable=SC2086
    xdotool key --delay 300 $keys
    sleep 1
fi
for click in "${clicks[@]}"; do
    read -r x y button <<<"$click"
    xdotool mousemove "$x" "$y" click "${button:-1}"
    # A menu opened by a right click stays up with the pointer beside it.
    [ "${button:-1}" = 1 ] && xdotool mousemove $corner
    sleep 1
done
[ -n "$keys${clicks[*]}" ] && sleep "$after"

# The desktop is one plain colour around the windows: trimming it leaves the windows.
import -window root "$scratch/screen.png"
if [ -n "$screen" ]; then
    cp "$scratch/screen.png" "$out"
else
    convert "$scratch/screen.png" -trim +repage "$out"
fi
echo "$out"
