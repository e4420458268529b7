#!/usr/bin/env bash
# The real program as a native Wayland client on Weston's X11 backend, nested in a
# virtual X display of its own and driven with xdotool, as a player's session would run it:
#  1. with the pointer resting on the table and MALLOC_PERTURB_ set (freed memory is
#     overwritten at once, so a use of it shows), New Game (F2) 50 times: no crash;
#  2. the first period of a new run played with clicks until its intermission sheet
#     shows, the sheet closed with Return, the second period dealt.
#
#   tests/e2e/wayland_pointer.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, /tmp/bt-wayland-pointer)
#
# Needs weston, Qt's Wayland plugin, Xvfb, xdotool and ImageMagick. Exit status 0 when
# both went as expected, 77 when the tools are missing. Screenshots go to OUT_DIR.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-wayland-pointer}")
LIMIT=300
NEW_GAMES=${BT_NEW_GAMES:-50}

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
if [[ -z "${BT_E2E_DISPLAY:-}" ]]; then
    mkdir -p "$OUT"
    BT_E2E_DISPLAY=1 exec "$(dirname "$0")/../../scripts/with-display" -- "$0" "$BUILD" "$OUT"
fi

# Weston's window lies at the top-left corner of the X screen (no window manager there),
# so screen and compositor coordinates are the same.
shot() { import -window root "$OUT/$1.png"; }

source "$(dirname "$0")/wayland_common.sh"

# Waits until the table is on the screen and all 13 slots hold a card; sets TX TY.
wait_for_deal() {
    local n=0
    for _ in $(seq 30); do
        game_alive || fail "the program ended"
        shot look
        if table_origin "$OUT/look.png"; then
            n=$(cards_in_slots "$OUT/look.png")
            [[ $n -eq 13 ]] && return 0
        fi
        sleep 0.3
    done
    fail "no deal on the table ($n of 13 slots hold a card)"
}
options() {
    printf '[Options]\nPlayerName=Ann\nDealer=0\nSkillLevel=0\nBestOf=0\nAnimSpeed=%s\n' "$1" \
        >"$RUN/brindletop.ini"
}

start_weston --backend=x11-backend.so --use-pixman --width=1000 --height=740

# 1. New Game again and again, the pointer on the table, cards at their designed speed.
options 1
start=$SECONDS
start_game MALLOC_PERTURB_=165
wait_for_deal
echo "first deal after $((SECONDS - start)) s"
shot 01-dealt
xdotool mousemove $((TX + 172)) $((TY + 269))
for i in $(seq "$NEW_GAMES"); do
    xdotool key F2
    sleep 0.4
    if ! game_alive; then
        wait "$PID" && status=0 || status=$?
        PID=
        fail "the program died (status $status) after New Game $i of $NEW_GAMES"
    fi
done
wait_for_deal
shot 02-after-new-games
kill "$PID"
wait "$PID" 2>/dev/null || true
PID=
# Weston fades a closed window out: until it is gone, its table would be taken for the
# next run's, and the clicks would go where no window is.
for _ in $(seq 50); do
    shot look
    table_origin "$OUT/look.png" || break
    sleep 0.1
done
table_origin "$OUT/look.png" && fail "the closed window stays on the screen"
echo "New Game $NEW_GAMES times with the pointer on the table: no crash ($((SECONDS - start)) s)"

# 2. One period played with clicks. Qt's protocol trace tells when the sheet shows. A new
# series, not the one the first part left.
rm -rf "${XDG_DATA_HOME:?}"/*
options 0
start=$SECONDS
start_game MALLOC_PERTURB_=165 WAYLAND_DEBUG=client
wait_for_deal
sheet=
while [[ -z "$sheet" ]]; do
    # Only a lit slot takes the click; the computer moves in between.
    for s in 1 2 3 4 5 6 7 14 8 9 10 11 12 13; do
        game_alive || fail "the program ended during the period"
        xdotool mousemove $((TX + SLOT_LEFT[s] + 26)) $((TY + SLOT_TOP[s] + 41)) sleep 0.03 click 1
        sheet=$(grep -o 'xdg_toplevel@[0-9]*\.set_title("First intermission")' "$OUT/program.log" |
            head -1 | cut -d. -f1) || true
        [[ -n "$sheet" ]] && break
    done
done
sleep 1
shot 03-first-intermission
xdotool key Return
closed=0
for _ in $(seq 50); do
    if grep -q "$sheet\.destroy()" "$OUT/program.log"; then
        closed=1
        break
    fi
    sleep 0.1
done
((closed)) || fail "Return did not close the intermission sheet"
# The second period is dealt, and its first moves may already have been made.
sleep 2
game_alive || fail "the program ended after the period"
shot 04-second-period
table_origin "$OUT/04-second-period.png" || fail "no table after the intermission"
n=$(cards_in_slots "$OUT/04-second-period.png")
((n >= 7)) || fail "the second period was not dealt ($n of 13 slots hold a card)"
echo "First period played with clicks, sheet closed, second period dealt ($((SECONDS - start)) s)"
echo "E2E passed; screenshots in $OUT"
