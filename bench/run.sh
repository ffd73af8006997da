#!/usr/bin/env bash
# Times the copy engine under Wine against the floor of the platform, on a generated tree
# of small files (20 000 files in 1 000 folders by default):
#   (a) a backup where nothing has changed: the engine's analysis pass (and the whole run,
#       tree pass included) against a walk of the source with one attribute query per copy;
#   (b) a first full backup against a walk that creates the folders and copies every file
#       with CopyFileW.
# Engine and floor runs alternate (RUNS of each, 3 by default) since the machines are shared;
# the medians and the ratios engine / floor are printed. The runs use a Wine prefix of their
# own, so tests running at the same time are neither disturbed nor disturbing.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/../scripts/wine-env.sh"
export WINEPREFIX="$BUILD/wine-bench"
RUNS="${RUNS:-3}"
FOLDERS="${FOLDERS:-1000}"
FILES_PER_FOLDER="${FILES_PER_FOLDER:-20}"

if ! output=$(cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
                    -DCMAKE_BUILD_TYPE=Release 2>&1 &&
              cmake --build "$BUILD" --target bench_engine bench_floor -j2 2>&1); then
    echo "$output" | tail -30 >&2
    exit 1
fi

ensure_prefix
"$WINESERVER" -p
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT

WORK_UNIX="$WINEPREFIX/drive_c/bench"
WORK='C:\bench'
TREE="src-$FOLDERS-$FILES_PER_FOLDER"
if [ ! -d "$WORK_UNIX/$TREE" ]; then
    echo "Generating $((FOLDERS * FILES_PER_FOLDER)) files in $FOLDERS folders..."
    rm -rf "$WORK_UNIX"
    python3 - "$WORK_UNIX/$TREE" "$FOLDERS" "$FILES_PER_FOLDER" <<'PY'
import os, random, sys
root, folders, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(4)
stamp = 1600000000
tops = max(1, int(folders ** 0.5))
for f in range(folders):
    folder = os.path.join(root, "Dossier %02d" % (f % tops), "Sous-dossier %04d" % f)
    os.makedirs(folder, exist_ok=True)
    for i in range(per_folder):
        path = os.path.join(folder, "fichier %02d.txt" % i)
        with open(path, "wb") as out:
            out.write(rng.randbytes(rng.randint(100, 8000)))
        os.utime(path, (stamp, stamp))
PY
fi

BIN="$BUILD/bin"
# One timed run; its last line begins with the milliseconds. A failed run stops the benchmark.
run() {
    local output
    if ! output=$("$WINE" "$BIN/$1" "${@:2}" 2>/dev/null); then
        echo "$1 ${*:2} failed: $output" >&2
        exit 1
    fi
    echo "$output" | tail -1
}
millis() { awk '{print $1}'; }
median() { LC_ALL=C sort -n | LC_ALL=C awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

# (a) needs an up-to-date copy: one full backup by the engine makes it.
rm -rf "$WORK_UNIX/dest-a" "$WORK_UNIX/dest-b"
mkdir -p "$WORK_UNIX/dest-a" "$WORK_UNIX/dest-b"
run bench_engine.exe full "$WORK\\$TREE" "$WORK\\dest-a" >/dev/null

declare -a ENGINE_A ENGINE_A_RUN FLOOR_A ENGINE_B FLOOR_B
for ((i = 1; i <= RUNS; i++)); do
    ENGINE_A+=("$(run bench_engine.exe analysis "$WORK\\$TREE" "$WORK\\dest-a" | millis)")
    FLOOR_A+=("$(run bench_floor.exe attributes "$WORK\\$TREE" "$WORK\\dest-a" | millis)")
    ENGINE_A_RUN+=("$(run bench_engine.exe unchanged "$WORK\\$TREE" "$WORK\\dest-a" | millis)")

    rm -rf "$WORK_UNIX/dest-b/$TREE"
    ENGINE_B+=("$(run bench_engine.exe full "$WORK\\$TREE" "$WORK\\dest-b" | millis)")
    rm -rf "$WORK_UNIX/dest-b/$TREE"
    FLOOR_B+=("$(run bench_floor.exe copy "$WORK\\$TREE" "$WORK\\dest-b" | millis)")
    echo "run $i: (a) engine ${ENGINE_A[-1]} ms, whole run ${ENGINE_A_RUN[-1]} ms, floor ${FLOOR_A[-1]} ms;" \
         "(b) engine ${ENGINE_B[-1]} ms, floor ${FLOOR_B[-1]} ms"
done

ea=$(printf '%s\n' "${ENGINE_A[@]}" | median)
er=$(printf '%s\n' "${ENGINE_A_RUN[@]}" | median)
fa=$(printf '%s\n' "${FLOOR_A[@]}" | median)
eb=$(printf '%s\n' "${ENGINE_B[@]}" | median)
fb=$(printf '%s\n' "${FLOOR_B[@]}" | median)
echo
echo "Medians of $RUNS runs, $((FOLDERS * FILES_PER_FOLDER)) files in $FOLDERS folders:"
LC_ALL=C awk -v ea="$ea" -v er="$er" -v fa="$fa" -v eb="$eb" -v fb="$fb" 'BEGIN {
    printf "(a) nothing changed, analysis pass: engine %8.0f ms  floor %8.0f ms  ratio %.2f (goal 1.5)\n", ea, fa, ea / fa
    printf "    whole run, tree pass included:  engine %8.0f ms  floor %8.0f ms  ratio %.2f\n", er, fa, er / fa
    printf "(b) first full backup:              engine %8.0f ms  floor %8.0f ms  ratio %.2f (goal 1.3)\n", eb, fb, eb / fb
}'
