#!/usr/bin/env bash
# The real program as a native Wayland client on Weston's headless backend, which has no
# input seat: nothing ever activates the window, and the first series must still be dealt.
# Checked on Weston's own screenshots: the table is shown and cards lie in its 13 slots.
#
#   tests/e2e/wayland_headless.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, /tmp/bt-wayland-headless)
#
# Needs weston (with weston-screenshooter), Qt's Wayland plugin and ImageMagick. Exit
# status 0 when the deal was seen, 77 when the tools are missing.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-wayland-headless}")
LIMIT=90
command -v weston-screenshooter >/dev/null || { echo "SKIP: weston-screenshooter is missing"; exit 77; }

# Weston's screenshooter names its file by the time: take it from a folder of its own.
shot() {
    local dir
    dir=$(mktemp -d)
    (cd "$dir" && WAYLAND_DISPLAY="$SOCKET" timeout 10 weston-screenshooter >/dev/null 2>&1) || true
    local file
    file=$(ls "$dir"/*.png 2>/dev/null | head -1)
    [[ -n "$file" ]] && mv "$file" "$OUT/$1.png"
    rm -rf "$dir"
    [[ -f "$OUT/$1.png" ]]
}

source "$(dirname "$0")/wayland_common.sh"

start_weston --backend=headless-backend.so --use-pixman --debug --width=1024 --height=768
# The options' defaults, but fast cards.
printf '[Options]\nPlayerName=Ann\nDealer=0\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n' \
    >"$RUN/brindletop.ini"
start_game

# The deal is over when all 13 slots have held their cards for two looks in a row.
dealt=0
seen=0
for i in $(seq 20); do
    game_alive || fail "the program ended"
    sleep 0.5
    shot "look" || fail "no screenshot from Weston"
    if ! table_origin "$OUT/look.png"; then
        continue
    fi
    n=$(cards_in_slots "$OUT/look.png")
    ((i % 4)) || echo "look $i: table at $TX,$TY, $n of 13 slots hold a card"
    if [[ $n -eq 13 ]]; then
        seen=$((seen + 1))
        if ((seen == 2)); then
            dealt=1
            break
        fi
    else
        seen=0
    fi
done
mv "$OUT/look.png" "$OUT/dealt.png"
table_origin "$OUT/dealt.png" || fail "no table on the screen"
((dealt)) || fail "no deal without activation ($(cards_in_slots "$OUT/dealt.png") of 13 slots hold a card)"
echo "E2E passed: dealt with no input; table at $TX,$TY; screenshot in $OUT/dealt.png"
