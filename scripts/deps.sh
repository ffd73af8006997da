#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Bastide need (g++ builds
# the small tools the build runs on the build machine itself).
# As root they are installed with apt-get; otherwise the missing ones are named.
set -euo pipefail

packages=(g++ g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 libwine-dev
          fonts-wine xvfb x11-apps x11-utils xdotool imagemagick cmake make locales googletest)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    echo "Installation des paquets manquants : ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
else
    echo "Paquets Debian manquants : ${missing[*]}" >&2
    echo "Installez-les en root :  apt-get install ${missing[*]}" >&2
    exit 1
fi
