#!/usr/bin/env bash
# Starts Bastide.exe from build/bin (its Bastide.ini lives beside it) on the X display,
# starting a virtual one with Xvfb when there is none. Arguments go to the program.
set -uo pipefail
export BASTIDE_DISPLAY=x11
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:77
    if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
        sleep 1
        echo "Pas d'écran : Bastide s'affiche sur l'écran virtuel $DISPLAY (Xvfb)."
    fi
fi
ensure_prefix
cd "$BUILD/bin" && "$WINE" ./Bastide.exe "$@"
