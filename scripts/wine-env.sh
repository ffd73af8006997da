# Sourced by the Wine scripts: the project's Wine prefixes, locale and quiet output.
# BASTIDE_DISPLAY=null (tests) uses Wine's null display driver; x11 a real X display.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BASTIDE_BUILD:-$ROOT/build}"
BASTIDE_DISPLAY="${BASTIDE_DISPLAY:-null}"
# BASTIDE_WINE_PREFIX gives a test a prefix of its own (the registration tests).
export WINEPREFIX="${BASTIDE_WINE_PREFIX:-$BUILD/wine-$BASTIDE_DISPLAY}"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

# Wine reads Unix file names in the C library's locale: without a real French UTF-8
# locale every non-ASCII name is garbled. A private copy is compiled once under build/.
export LOCPATH="$BUILD/locale"
if [ ! -f "$LOCPATH/fr_FR.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$LOCPATH"
    localedef -i fr_FR -f UTF-8 "$LOCPATH/fr_FR.UTF-8" >/dev/null 2>&1 || true
fi
{ export LC_ALL=fr_FR.UTF-8; } 2>/dev/null
{ export LANG=fr_FR.UTF-8; } 2>/dev/null

wine_bin() { if command -v wine64 >/dev/null 2>&1; then echo wine64; else echo wine; fi; }
WINE="$(wine_bin)"
WINESERVER="$(command -v wineserver || echo /usr/lib/wine/wineserver64)"

# Creates the prefix on first use.
ensure_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    if [ "$BASTIDE_DISPLAY" = null ]; then
        "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    fi
    # No crash dialog: a failing test must end, not wait for a click.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINESERVER" -w
}
