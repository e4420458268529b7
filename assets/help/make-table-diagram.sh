#!/usr/bin/env bash
# Draws table.png, the diagram of the card table's slots used by the help pages.
# Needs ImageMagick and the Liberation fonts. Run from anywhere; writes beside itself.
set -euo pipefail
cd "$(dirname "$0")"

W=344
H=538
FONT=Liberation-Sans
BOLD=Liberation-Sans-Bold

args=(-size ${W}x${H} xc:'rgb(0,128,0)')

# slot: left top outline-colour line1 [line2]
slot() {
    local left=$1 top=$2 colour=$3 first=$4 second=${5:-}
    local right=$((left + 52)) bottom=$((top + 82))
    args+=(-fill 'rgb(0,96,0)' -stroke "$colour" -strokewidth 2
           -draw "roundrectangle $left,$top $right,$bottom 5,5" -stroke none)
    # Text is placed relative to the image centre (gravity Center).
    local cx=$((left + 26 - W / 2)) cy=$((top + 41 - H / 2))
    args+=(-fill white -font "$FONT" -pointsize 11 -gravity Center)
    if [ -n "$second" ]; then
        args+=(-annotate "+${cx}+$((cy - 7))" "$first" -annotate "+${cx}+$((cy + 7))" "$second")
    else
        args+=(-annotate "+${cx}+${cy}" "$first")
    fi
}

fix() { # turns "+x+-y" offsets into the signed form ImageMagick wants
    local i
    for i in "${!args[@]}"; do
        args[$i]=${args[$i]//+-/-}
    done
}

RED='rgb(230,40,40)'
BLUE='rgb(70,120,255)'
GREY='rgb(20,20,20)'

slot 8 232 "$GREY" Pack
slot 140 8 "$RED" Goal
slot 110 96 "$RED" Left defender
slot 169 96 "$RED" Right defender
slot 80 184 "$RED" Left wing
slot 140 184 "$RED" Centre
slot 200 184 "$RED" Right wing
slot 80 272 "$BLUE" Left wing
slot 140 272 "$BLUE" Centre
slot 200 272 "$BLUE" Right wing
slot 110 360 "$BLUE" Left defender
slot 169 360 "$BLUE" Right defender
slot 140 448 "$BLUE" Goal
slot 272 232 "$GREY" Discard pile
fix

# The two halves of the table.
args+=(-gravity NorthWest -font "$BOLD" -pointsize 14
       -fill "$RED" -annotate +10+12 'Computer'
       -fill "$BLUE" -annotate +10+506 'You'
       -stroke 'rgb(0,160,0)' -strokewidth 1 -draw "line 70,269 266,269" -stroke none)

convert "${args[@]}" -strip PNG24:table.png
