#!/usr/bin/env bash
# Draws the programs' icons and bitmaps (our own pictures) into resources/art. The results are
# committed; run this again only to change a picture.
set -euo pipefail
cd "$(dirname "$0")/../resources/art"

# Application icon: an open book, blue cover, white pages, on a transparent background.
book() {
    local s=$1
    convert -size ${s}x${s} xc:none \
        -fill '#1c3f94' -draw "roundrectangle $((s/16)),$((s/5)) $((s-1-s/16)),$((s-1-s/8)) $((s/16)),$((s/16))" \
        -fill white -draw "polygon $((s/8)),$((s/4)) $((s/2-1)),$((s/3)) $((s/2-1)),$((s-1-s/5)) $((s/8)),$((s-1-s/4))" \
        -fill '#f2f2f2' -draw "polygon $((s-1-s/8)),$((s/4)) $((s/2)),$((s/3)) $((s/2)),$((s-1-s/5)) $((s-1-s/8)),$((s-1-s/4))" \
        -stroke '#7a7a7a' -strokewidth 1 \
        -draw "line $((s/5)),$((s/2-s/16)) $((s/2-s/8)),$((s/2))" \
        -draw "line $((s/5)),$((s/2+s/16)) $((s/2-s/8)),$((s/2+s/8))" \
        -draw "line $((s-1-s/5)),$((s/2-s/16)) $((s/2+s/8)),$((s/2))" \
        -draw "line $((s-1-s/5)),$((s/2+s/16)) $((s/2+s/8)),$((s/2+s/8))" \
        png:book$s.png
}
book 16; book 32; book 48
convert book16.png book32.png book48.png app.ico

# Replace question icon: a document with a yellow question badge.
replace() {
    local s=$1
    convert -size ${s}x${s} xc:none \
        -fill white -stroke '#404040' -draw "polygon $((s/6)),$((s/12)) $((s*2/3)),$((s/12)) $((s*5/6)),$((s/4)) $((s*5/6)),$((s-1-s/12)) $((s/6)),$((s-1-s/12))" \
        -stroke none -fill '#f0c020' -draw "circle $((s*5/8)),$((s*5/8)) $((s*5/8)),$((s*5/8+s*3/10))" \
        -fill black -font DejaVu-Sans-Bold -pointsize $((s/2)) -gravity center -annotate +$((s/8))+$((s/8)) '?' \
        png:replace$s.png
}
replace 16; replace 32
convert replace16.png replace32.png replace.ico
rm -f book*.png replace*.png

# Check-box strips: unchecked, checked, indeterminate; cells of 11 (flat) and 13 (classic) pixels.
strip() {
    local cell=$1 out=$2 style=$3
    local w=$((cell*3)) m=$((cell-1))
    local args=(-size ${w}x${cell} xc:white -fill none)
    for i in 0 1 2; do
        local x=$((i*cell))
        if [ "$style" = classic ]; then
            args+=(-stroke '#808080' -draw "line $x,0 $((x+m)),0" -draw "line $x,0 $x,$m")
            args+=(-stroke '#000000' -draw "line $((x+1)),1 $((x+m-1)),1" -draw "line $((x+1)),1 $((x+1)),$((m-1))")
            args+=(-stroke '#c0c0c0' -draw "line $((x+1)),$((m-1)) $((x+m-1)),$((m-1))" -draw "line $((x+m-1)),1 $((x+m-1)),$((m-1))")
        else
            args+=(-stroke '#000000' -draw "rectangle $x,0 $((x+m)),$m")
        fi
    done
    # indeterminate: grey box
    args+=(-stroke none -fill '#c0c0c0' -draw "rectangle $((2*cell+2)),2 $((2*cell+m-2)),$((m-2))")
    # ticks
    local t1="$((cell+3)),$((cell/2)) $((cell+cell*4/11)),$((cell-4)) $((cell+m-2)),3"
    local t2="$((2*cell+3)),$((cell/2)) $((2*cell+cell*4/11)),$((cell-4)) $((2*cell+m-2)),3"
    args+=(-fill none -strokewidth 2 -stroke '#000000' -draw "polyline $t1" -stroke '#808080' -draw "polyline $t2")
    convert "${args[@]}" +antialias -colors 16 -type Palette BMP3:"$out"
}
strip 11 checks-flat.bmp flat
strip 13 checks-classic.bmp classic

# Folder tree images, 16 x 15 each, magenta transparent: hard disk, floppy, CD, closed and open folder.
convert -size 80x15 xc:'#ff00ff' +antialias -stroke none \
    -fill '#808080' -draw "rectangle 1,5 14,11" -fill '#c0c0c0' -draw "rectangle 2,6 13,10" -fill '#00c000' -draw "rectangle 11,8 12,9" \
    -fill '#202020' -draw "rectangle 18,1 29,13" -fill '#c0c0c0' -draw "rectangle 20,1 27,5" -fill white -draw "rectangle 20,8 27,13" \
    -fill '#c0c0c0' -draw "circle 39,7 39,1" -fill white -draw "circle 39,7 39,4" -fill '#ff00ff' -draw "circle 39,7 39,6" -fill '#808080' -draw "point 39,7" \
    -fill '#c0a000' -draw "rectangle 49,3 54,5" -fill '#ffd040' -draw "rectangle 49,5 62,13" -stroke '#806000' -fill none -draw "rectangle 49,5 62,13" -stroke none \
    -fill '#c0a000' -draw "rectangle 65,3 70,5" -fill '#ffd040' -draw "rectangle 65,5 77,13" -fill '#ffe890' -draw "polygon 67,8 79,8 77,13 65,13" \
    -colors 16 -type Palette BMP3:foldertree.bmp
ls -l
