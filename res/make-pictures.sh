#!/usr/bin/env bash
# Draws the pictures of the main window with ImageMagick and packs each one into an
# icon holding the sizes used at 96 and 144 dpi. Run from anywhere; writes beside this
# script. The drawings are made large and scaled down, which smooths their edges.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# pack NAME SIZE... : scales $work/NAME.png to each WxH size and writes NAME.ico
pack() {
    local name="$1"; shift
    local parts=()
    for size in "$@"; do
        convert "$work/$name.png" -filter Triangle -resize "${size}!" -define png:color-type=6 \
            "$work/$name-$size.png"
        parts+=("$work/$name-$size.png")
    done
    convert "${parts[@]}" "$name.ico"
}

canvas() { convert -size "$1" xc:none "${@:2}"; }

# Arrows between a line's source and destination: grey when the line is not selected,
# green when it is.
arrow='polygon 20,46 150,46 150,10 244,64 150,118 150,82 20,82'
canvas 256x128 -fill '#c8c8c8' -stroke '#808080' -strokewidth 8 -draw "$arrow" "$work/arrow-off.png"
canvas 256x128 -fill '#3cb043' -stroke '#1d6b22' -strokewidth 8 -draw "$arrow" "$work/arrow-on.png"
pack arrow-off 32x16 48x24
pack arrow-on 32x16 48x24

# Lock closed and open.
body='roundrectangle 40,112 216,240 18,18'
canvas 256x256 -fill none -stroke '#6d6d6d' -strokewidth 26 -draw 'arc 68,24 188,150 180,360' \
    -draw 'line 68,88 68,124' -draw 'line 188,88 188,124' \
    -fill '#e0a800' -stroke '#8a6400' -strokewidth 8 -draw "$body" \
    -fill '#5a4000' -stroke none -draw 'circle 128,166 128,186' -draw 'rectangle 120,170 136,212' \
    "$work/lock-closed.png"
canvas 256x256 -fill none -stroke '#6d6d6d' -strokewidth 26 -draw 'arc 110,6 230,132 180,360' \
    -draw 'line 218,70 218,124' \
    -fill '#e0a800' -stroke '#8a6400' -strokewidth 8 -draw "$body" \
    -fill '#5a4000' -stroke none -draw 'circle 128,166 128,186' -draw 'rectangle 120,170 136,212' \
    "$work/lock-open.png"
pack lock-closed 16x16 24x24
pack lock-open 16x16 24x24

# Start button, one picture per mode: into the tray (backup), out of it (restore), and
# a magnifying glass (comparison).
tray='line 24,150 24,236 line 24,236 232,236 line 232,236 232,150'
canvas 256x256 -fill none -stroke '#505050' -strokewidth 20 -draw "$tray" \
    -fill '#1e6fd9' -stroke '#0d3f86' -strokewidth 6 \
    -draw 'polygon 96,16 160,16 160,110 206,110 128,196 50,110 96,110' "$work/start-backup.png"
canvas 256x256 -fill none -stroke '#505050' -strokewidth 20 -draw "$tray" \
    -fill '#2e9d3a' -stroke '#17611f' -strokewidth 6 \
    -draw 'polygon 96,196 160,196 160,102 206,102 128,16 50,102 96,102' "$work/start-restore.png"
canvas 256x256 -fill '#d8ecff' -stroke '#6a3fb0' -strokewidth 22 -draw 'circle 104,104 104,180' \
    -stroke '#6a3fb0' -strokewidth 36 -draw 'line 160,160 232,232' "$work/start-compare.png"
pack start-backup 24x24 36x36
pack start-restore 24x24 36x36
pack start-compare 24x24 36x36

# Small command pictures: about, configurations, refresh, excluded directories.
canvas 256x256 -fill '#1e6fd9' -stroke '#0d3f86' -strokewidth 8 -draw 'circle 128,128 128,8' \
    -fill white -stroke none -draw 'circle 128,66 128,86' -draw 'roundrectangle 110,108 146,204 8,8' \
    "$work/about.png"
canvas 256x256 -fill white -stroke '#606060' -strokewidth 10 -draw 'rectangle 40,12 216,244' \
    -stroke '#1e6fd9' -strokewidth 18 -draw 'line 76,70 180,70' -draw 'line 76,128 180,128' \
    -draw 'line 76,186 150,186' "$work/config.png"
canvas 256x256 -fill none -stroke '#2e9d3a' -strokewidth 30 -draw 'arc 36,36 220,220 20,300' \
    -fill '#2e9d3a' -stroke none -draw 'polygon 150,6 246,50 158,112' "$work/refresh.png"
canvas 256x256 -fill '#d22f27' -stroke '#861a15' -strokewidth 8 -draw 'circle 128,128 128,8' \
    -fill white -stroke none -draw 'rectangle 52,108 204,148' "$work/exclusions.png"
for name in about config refresh exclusions; do pack "$name" 16x16 24x24; done

# Last-result marks: clean run, run with errors, error count.
canvas 256x256 -fill none -stroke '#2e9d3a' -strokewidth 40 -draw 'stroke-linecap round stroke-linejoin round line 34,132 100,198 line 100,198 222,58' \
    "$work/ok.png"
canvas 256x256 -fill '#d22f27' -stroke '#861a15' -strokewidth 8 -draw 'circle 128,128 128,8' \
    -stroke white -strokewidth 30 -draw 'line 82,82 174,174' -draw 'line 174,82 82,174' "$work/error.png"
canvas 256x256 -fill '#ffc20e' -stroke '#8a6400' -strokewidth 10 -draw 'polygon 128,14 246,236 10,236' \
    -fill '#303030' -stroke none -draw 'roundrectangle 114,82 142,174 8,8' -draw 'circle 128,204 128,220' \
    "$work/count.png"
for name in ok error count; do pack "$name" 16x16 24x24; done

# The program: a tower with battlements and a flag.
canvas 256x256 -fill '#a9a9a9' -stroke '#4a4a4a' -strokewidth 8 \
    -draw 'polygon 60,250 60,92 76,92 76,70 100,70 100,92 116,92 116,70 140,70 140,92 156,92 156,70 180,70 180,92 196,92 196,250' \
    -fill '#3a2a1a' -stroke none -draw 'roundrectangle 104,180 152,250 20,20' \
    -fill '#3a3a3a' -draw 'rectangle 118,118 138,150' \
    -stroke '#4a4a4a' -strokewidth 6 -draw 'line 128,70 128,8' \
    -fill '#1e6fd9' -stroke none -draw 'polygon 131,8 190,24 131,40' "$work/bastide.png"
pack bastide 16x16 24x24 32x32 48x48

# The sound test buttons of the options: a loudspeaker with two waves (filled bands, so
# that no stroke of an open curve gets filled).
inner='178,82 182,85 185,89 189,93 191,98 194,102 196,107 197,112 199,117 199,122 200,128 199,133 199,138 197,143 196,148 194,153 191,158 189,162 185,166 182,170 178,173 165,158 168,156 170,153 172,150 174,148 176,144 177,141 178,138 179,134 179,131 180,128 179,124 179,121 178,117 177,114 176,111 174,108 172,105 170,102 168,99 165,97'
outer='207,47 214,53 220,60 226,67 230,75 235,83 238,92 241,100 243,109 244,118 245,128 244,137 243,146 241,155 238,163 235,172 230,180 226,188 220,195 214,202 207,208 194,193 200,188 205,182 209,176 213,170 217,163 219,157 222,149 223,142 224,135 225,128 224,120 223,113 222,106 219,98 217,92 213,85 209,79 205,73 200,67 194,62'
canvas 256x256 -fill '#505050' -stroke '#2a2a2a' -strokewidth 8 \
    -draw 'polygon 24,92 76,92 140,32 140,224 76,164 24,164' \
    -fill '#1e6fd9' -stroke none -draw "polygon $inner" -draw "polygon $outer" "$work/sound.png"
pack sound 16x16 24x24
