#!/usr/bin/env bash
# Renders a window of Bastide to a PNG under Xvfb, for reviewing what users see.
#   scripts/render-window.sh OUT.png [--ini FILE] [--dpi 96|144] [--wait SECONDS] [--title TEXT] [-- ARGS...]
# Runs build/bin/Bastide.exe in a scratch folder with the given settings file, waits,
# then captures the window whose title contains TEXT (default: the main window), or the
# whole screen when no such window is found. Environment: BASTIDE_RENDER_EXE to render
# another program of the build (a test fixture that opens a given window).
set -uo pipefail
out="${1:?usage: render-window.sh OUT.png [--ini FILE] [--dpi N] [--wait S] [--title T] [-- ARGS]}"; shift
ini=""; dpi=96; wait=6; title="Bastide"
while [ $# -gt 0 ]; do
    case "$1" in
        --ini) ini="$2"; shift 2;;
        --dpi) dpi="$2"; shift 2;;
        --wait) wait="$2"; shift 2;;
        --title) title="$2"; shift 2;;
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
[ -n "$ini" ] && cp "$ini" "$scratch/Bastide.ini"

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; "$WINESERVER" -k >/dev/null 2>&1; rm -rf "$scratch"' EXIT
export DISPLAY="$display"
sleep 1
(cd "$scratch" && "$WINE" "./$(basename "$exe")" "$@" >/dev/null 2>&1 &)
sleep "$wait"

win="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title" | grep -v 'has no name' | head -n1 | awk '{print $1}')"
if [ -n "$win" ]; then
    import -window "$win" "$out"
else
    import -window root "$out"
fi
echo "$out"
