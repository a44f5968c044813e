#!/usr/bin/env bash
# Draws the program's images with ImageMagick (convert, version 6 or 7):
#   resources/images/glyph_1000.png .. glyph_1002.png  socket button glyphs,
#       64 x 64, grey (off), green (on), red
#   resources/images/list16/NN_<name>.png, list32/...  the window's image list
#       (entries 0 to 13) at 16 x 16 and 32 x 32
#   resources/images/tavrin_<size>.png                 program icon, 16..256 px
#   resources/images/tavrin.svg                        program icon as vector
#   resources/images/banner.png                        banner background
#   resources/tavrin.qrc                               the resource list
# Every image is drawn large and scaled down, so that the small sizes stay
# smooth. The output carries no time stamps: running the script again gives
# the same files.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$here/../resources/images}"
mkdir -p "$out/list16" "$out/list32"

if command -v magick >/dev/null 2>&1; then
    IM=(magick)
else
    IM=(convert)
fi

# A bold sans font for the glyphs that are letters.
BOLD_FONT="${BOLD_FONT:-/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf}"
[[ -f "$BOLD_FONT" ]] || BOLD_FONT="DejaVu-Sans-Bold"

# Write options: 32-bit RGBA, no metadata, no time chunks.
WOPT=(-strip -define png:exclude-chunks=date,time)

# A canvas of the given size, transparent.
canvas() { echo "-size ${1}x${1} xc:none"; }

# ---------------------------------------------------------------------------
# Socket button glyphs: a round power button on a radial gradient.
# glyph <number> <light colour> <dark colour> <ring colour>
glyph() {
    local num="$1" light="$2" dark="$3" ring="$4"
    "${IM[@]}" -size 256x256 "radial-gradient:${light}-${dark}" \
        \( -size 256x256 xc:black -fill white -draw "circle 128,128 128,8" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill none -stroke "$ring" -strokewidth 8 -draw "circle 128,128 128,12" \
        -fill 'rgba(255,255,255,0.25)' -stroke none -draw "ellipse 128,84 78,40 180,360" \
        -fill none -stroke white -strokewidth 20 \
        -draw "stroke-linecap round arc 66,70 190,194 -52,232" \
        -draw "stroke-linecap round line 128,44 128,124" \
        -filter Lanczos -resize 64x64 "${WOPT[@]}" "png32:$out/glyph_${num}.png"
}

glyph 1000 '#e4e4e4' '#707070' '#4a4a4a'   # off
glyph 1001 '#9cf59c' '#178a17' '#0e5a0e'   # on
glyph 1002 '#ff9a9a' '#b01010' '#700808'   # red

# ---------------------------------------------------------------------------
# Image list entries, drawn on a 128 x 128 canvas.
# icon <index> <name> <draw arguments...>
icon() {
    local idx="$1" name="$2"
    shift 2
    local file
    file="$(printf '%02d_%s.png' "$idx" "$name")"
    "${IM[@]}" -size 128x128 xc:none "$@" \
        -filter Lanczos -resize 32x32 "${WOPT[@]}" "png32:$out/list32/$file"
    "${IM[@]}" -size 128x128 xc:none "$@" \
        -filter Lanczos -resize 16x16 "${WOPT[@]}" "png32:$out/list16/$file"
}

# Shared pieces, as argument arrays.
# A socket face: rounded plate, round recess, two pin holes.
socket_face() {
    FACE=(-fill "$1" -stroke "$2" -strokewidth 6 -draw "roundrectangle 8,8 120,120 22,22"
        -fill 'rgba(255,255,255,0.9)' -stroke "$2" -strokewidth 5 -draw "circle 64,64 64,26"
        -fill '#303030' -stroke none -draw "circle 46,64 46,54" -draw "circle 82,64 82,54")
}
# Power symbol in white, centred on 64,64.
POWER=(-fill none -stroke white -strokewidth 10
    -draw "stroke-linecap round arc 30,34 98,102 -52,232"
    -draw "stroke-linecap round line 64,16 64,62")
# Window frame with a title bar.
WINDOW=(-fill white -stroke '#2b4f8c' -strokewidth 6 -draw "rectangle 10,18 118,110"
    -fill '#3c78d8' -stroke none -draw "rectangle 13,21 115,42")

socket_face '#b0b0b0' '#555555'
icon 0 socket_off "${FACE[@]}"
socket_face '#3cc83c' '#137313'
icon 1 socket_on "${FACE[@]}"
icon 2 emergency_off \
    -fill '#f5d20a' -stroke '#8a7300' -strokewidth 5 -draw "circle 64,64 64,4" \
    -fill '#d81818' -stroke '#7a0000' -strokewidth 4 -draw "circle 64,64 64,24" \
    "${POWER[@]}"
icon 3 settings \
    -fill '#5f6f82' -stroke none \
    -draw "push graphic-context translate 64,64 rotate 0 rectangle -12,-58 12,58 pop graphic-context" \
    -draw "push graphic-context translate 64,64 rotate 45 rectangle -12,-58 12,58 pop graphic-context" \
    -draw "push graphic-context translate 64,64 rotate 90 rectangle -12,-58 12,58 pop graphic-context" \
    -draw "push graphic-context translate 64,64 rotate 135 rectangle -12,-58 12,58 pop graphic-context" \
    -draw "circle 64,64 64,20" \
    -fill none -stroke '#c9d3df' -strokewidth 6 -draw "circle 64,64 64,44" \
    -fill white -stroke '#3d4855' -strokewidth 4 -draw "circle 64,64 64,48"
icon 4 show "${WINDOW[@]}" \
    -fill '#20a020' -stroke none -draw "polygon 64,56 94,86 74,86 74,104 54,104 54,86 34,86"
icon 5 info \
    -fill '#2a6fd6' -stroke '#1a4a94' -strokewidth 5 -draw "circle 64,64 64,5" \
    -fill white -stroke none -draw "circle 64,34 64,24" -draw "roundrectangle 55,50 73,104 5,5"
icon 6 help \
    -fill '#2a6fd6' -stroke '#1a4a94' -strokewidth 5 -draw "circle 64,64 64,5" \
    -fill white -stroke none -font "$BOLD_FONT" -pointsize 96 -gravity center \
    -annotate +0+4 '?' -gravity northwest
icon 7 update \
    -fill none -stroke '#1f9a3a' -strokewidth 16 -draw "arc 18,18 110,110 200,480" \
    -fill '#1f9a3a' -stroke none -draw "polygon 2,58 34,58 18,84"
icon 8 edit \
    -draw "push graphic-context translate 64,64 rotate 45 fill '#f2b705' stroke '#8a6400' stroke-width 4 rectangle -13,-50 13,34 fill '#e8a0a8' rectangle -13,-60 13,-50 fill '#f0d0a0' polygon -13,34 13,34 0,58 fill '#303030' stroke none polygon -5,49 5,49 0,58 pop graphic-context"
icon 9 file \
    -fill '#e0a820' -stroke '#8a6200' -strokewidth 5 \
    -draw "polygon 8,24 48,24 58,36 120,36 120,108 8,108" \
    -fill '#f8cc50' -draw "polygon 8,50 120,50 120,108 8,108"
icon 10 quit \
    -fill '#d82020' -stroke '#7a0000' -strokewidth 5 -draw "roundrectangle 8,8 120,120 20,20" \
    -fill none -stroke white -strokewidth 16 \
    -draw "stroke-linecap round line 38,38 90,90" -draw "stroke-linecap round line 90,38 38,90"
icon 11 hide "${WINDOW[@]}" \
    -fill '#d07010' -stroke none -draw "polygon 64,104 94,74 74,74 74,54 54,54 54,74 34,74"
icon 12 unlocked \
    -fill none -stroke '#7a7a7a' -strokewidth 14 -draw "arc 52,4 108,60 180,360" \
    -draw "line 101,32 101,52" \
    -fill '#e8b820' -stroke '#8a6a00' -strokewidth 5 -draw "roundrectangle 14,56 94,120 8,8" \
    -fill '#5a4300' -stroke none -draw "circle 54,82 54,74" -draw "rectangle 50,82 58,102"
icon 13 locked \
    -fill none -stroke '#7a7a7a' -strokewidth 14 -draw "arc 36,12 92,68 180,360" \
    -draw "line 37,40 37,60" -draw "line 91,40 91,60" \
    -fill '#e8b820' -stroke '#8a6a00' -strokewidth 5 -draw "roundrectangle 24,56 104,120 8,8" \
    -fill '#5a4300' -stroke none -draw "circle 64,82 64,74" -draw "rectangle 60,82 68,102"

# ---------------------------------------------------------------------------
# Program icon: a blue tile with a socket face and a power symbol.
cat >"$out/tavrin.svg" <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <rect x="8" y="8" width="240" height="240" rx="44" ry="44" fill="#1f5fbf" stroke="#0f3a7a" stroke-width="8"/>
  <rect x="20" y="20" width="216" height="96" rx="36" ry="36" fill="#ffffff" fill-opacity="0.15"/>
  <circle cx="128" cy="128" r="84" fill="#f4f4f4" stroke="#0f3a7a" stroke-width="8"/>
  <circle cx="92" cy="128" r="16" fill="#303030"/>
  <circle cx="164" cy="128" r="16" fill="#303030"/>
  <rect x="120" y="36" width="16" height="40" rx="8" ry="8" fill="#24b024"/>
  <rect x="120" y="180" width="16" height="40" rx="8" ry="8" fill="#24b024"/>
</svg>
SVG

for size in 16 32 48 64 128 256; do
    "${IM[@]}" -background none -density 384 "$out/tavrin.svg" \
        -filter Lanczos -resize "${size}x${size}" "${WOPT[@]}" "png32:$out/tavrin_${size}.png"
done

# Banner background: a horizontal blue gradient, stretched by the windows.
"${IM[@]}" -size 44x330 gradient:'#0f3a7a'-'#3c78d8' -rotate -90 \
    "${WOPT[@]}" "png32:$out/banner.png"

# The resource list that the build compiles into the program (only when the
# images went to the project's own folder).
if [[ -z "${1:-}" ]]; then
    qrc="$here/../resources/tavrin.qrc"
    {
        echo '<!DOCTYPE RCC>'
        echo '<RCC version="1.0">'
        echo '<qresource prefix="/">'
        (cd "$here/../resources" && find images -type f \( -name '*.png' -o -name '*.svg' \) | LC_ALL=C sort |
            sed 's|.*|    <file>&</file>|')
        echo '</qresource>'
        echo '</RCC>'
    } >"$qrc"
fi

echo "images written to $out"
