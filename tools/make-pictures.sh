#!/bin/sh
# Regenerates resources/icons/*.ico, resources/desktop/*.png and
# resources/pictures/* from the drawing code in resources/src/ and checks the
# results.
#
# The drawing is done with QPainter rather than from SVG: this ImageMagick
# has no librsvg coder, and its internal SVG renderer draws gradients black
# and drops strokes. The drawing program also reduces each icon to its own
# 16-colour palette with a 1-bit mask; ImageMagick writes the .ico, .jpg and
# .gif files, which are then checked.
#
# Needs qt6-base-dev, cmake, a C++ compiler, imagemagick, fonts-liberation
# and fonts-urw-base35. Output is the same on every run, so a regenerated
# file that differs means the drawing code changed.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${MERIVEX_PICTURES_BUILD_DIR:-$root/build/pictures}
png=$build/png
icons=$root/resources/icons
pictures=$root/resources/pictures

cmake -S "$root/resources/src" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
rm -rf "$png"
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$runtime "$build/merivex-pictures" "$png"
mkdir -p "$icons" "$pictures"

# The drawing program has already reduced the icons to 16 colours.
for name in handshake new open bmi graph exit; do
    # -colors keeps them as they are but makes ImageMagick write a palette.
    convert "$png/$name-32.png" "$png/$name-16.png" +dither -colors 16 "$icons/$name.ico"
done

# The desktop's icons: the two frames of the window icon, and larger drawings.
desktop=$root/resources/desktop
convert "$icons/handshake.ico[0]" -strip "$desktop/merivex-32.png"
convert "$icons/handshake.ico[1]" -strip "$desktop/merivex-16.png"
for size in 48 64 128 256; do
    convert "$png/merivex-$size.png" -strip "$desktop/merivex-$size.png"
done

convert "$png/logo.png" -strip -sampling-factor 1x1 -quality 92 "$pictures/logo.jpg"
convert "$png/banner.png" -strip +dither -colors 256 "$pictures/banner.gif"
# GIF transparency is on or off: pixels at least half covered become opaque,
# their edges blended over the pale cyan of the About box the badge sits on.
convert "$png/badge.png" \
    \( -clone 0 -background 'rgb(128,255,255)' -alpha remove -alpha off \) \
    \( -clone 0 -alpha extract -threshold 50% \) \
    -delete 0 -alpha off -compose CopyOpacity -composite \
    +dither -colors 255 -strip "$pictures/badge.gif"

# Checks: kind, frame sizes and, for icons, 4 bits per pixel in each frame.
fail=0
expect() {
    got=$(identify -format '%m %wx%h;' "$1")
    if [ "$got" != "$2" ]; then
        echo "$1: expected '$2', got '$got'" >&2
        fail=1
    fi
}
entry() {
    od -An -tu1 -j"$2" -N8 "$1" | tr -s ' ' | sed 's/^ //; s/ $//'
}
for name in handshake new open bmi graph exit; do
    file=$icons/$name.ico
    expect "$file" 'ICO 32x32;ICO 16x16;'
    # The first 8 bytes of each directory entry: width, height, colour
    # count, 0, planes (16 bits), bits per pixel (16 bits).
    if [ "$(entry "$file" 6)" != '32 32 16 0 1 0 4 0' ] ||
        [ "$(entry "$file" 22)" != '16 16 16 0 1 0 4 0' ]; then
        echo "$file: not a 32 x 32 and a 16 x 16 image of 16 colours" >&2
        fail=1
    fi
    # Writing the palette must not have changed a pixel.
    for frame in 0:32 1:16; do
        diff=$(compare -metric AE "$file[${frame%:*}]" "$png/$name-${frame#*:}.png" null: 2>&1 || true)
        if [ "$diff" != 0 ]; then
            echo "$file: image ${frame%:*} differs from its drawing in $diff pixels" >&2
            fail=1
        fi
    done
done
expect "$pictures/logo.jpg" 'JPEG 376x347;'
expect "$pictures/banner.gif" 'GIF 452x54;'
expect "$pictures/badge.gif" 'GIF 131x129;'
[ "$fail" = 0 ] || exit 1

ls -l "$icons" "$pictures"
