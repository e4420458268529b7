#!/usr/bin/env bash
# The real program as a native Wayland client on Weston's X11 backend, nested in a
# virtual X display of its own and driven with xdotool, as a player's session would run it:
#  1. with the pointer resting on the table and MALLOC_PERTURB_ set (freed memory is
#     overwritten at once, so a use of it shows), New Game (F2) 50 times, each in the
#     middle of the last one's deal: no crash, and every New Game dealt under the pointer;
#  2. the first period of a new run played with clicks until its intermission sheet
#     shows, the sheet closed with Return, the second period dealt.
#
#   tests/e2e/wayland_pointer.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, /tmp/bt-wayland-pointer)
#
# Where the pointer is, and what reached the program, is read from the program's own
# Wayland protocol log (WAYLAND_DEBUG=client); the scoreboard through the accessibility
# bus. Needs weston, Qt's Wayland plugin, Xvfb, xdotool, ImageMagick, a D-Bus session and
# at-spi2-core. Exit status 0 when both went as expected, 77 when the tools are missing.
# Screenshots go to OUT_DIR.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-wayland-pointer}")
LIMIT=600
NEW_GAMES=${BT_NEW_GAMES:-50}

for tool in Xvfb xdotool import dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
source "$(dirname "$(realpath "$0")")/lib.sh"
if [[ -z "${BT_E2E_DISPLAY:-}" ]]; then
    mkdir -p "$OUT"
    rm -f "$OUT"/*.png
    BT_E2E_DISPLAY=1 exec "$E2E_DIR/../../scripts/with-display" -- dbus-run-session -- \
        "$0" "$BUILD" "$OUT"
fi

source "$E2E_DIR/wayland_common.sh"
e2e_start_a11y "$OUT/a11y-bus.log"

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

# Weston's X11 backend moves its own pointer by the X pointer's relative motion, from
# wherever its pointer began and clamped at its output's edges: an absolute move lands
# where it is aimed only once both pointers have been pinned in the top-left corner. So
# every aim starts from there. Weston's window lies at the top-left corner of the X screen
# (no window manager there), so screen and compositor coordinates are the same.
aim() { # x y (on the screen)
    xdotool mousemove 0 0 sleep 0.05 mousemove "$1" "$2"
}
# The pointer's last place on one of the program's surfaces, as the program was told it:
# "X Y" in the surface's coordinates, from the protocol log's enter and motion events.
pointer_in_log() {
    grep -o 'wl_pointer@[0-9]*\.\(enter([0-9]*, wl_surface@[0-9]*, \|motion([0-9]*, \)[-0-9.]*, [-0-9.]*)' \
        "$OUT/program.log" | tail -n 1 | sed 's/.*, \([-0-9.]*\), \([-0-9.]*\))$/\1 \2/' |
        awk '{ printf "%d %d\n", $1, $2 }' || true
}
# Aims at the table's point (DX, DY) and waits until the program has been told that the
# pointer is there: at TABLE_IN_SURFACE + (DX, DY) on its window's surface. The run fails
# when the pointer lands anywhere else.
point_at() { # dx dy
    local want="$((TABLE_IN_SURFACE_X + $1)) $((TABLE_IN_SURFACE_Y + $2))" at=
    aim $((TX + $1)) $((TY + $2))
    for _ in $(seq 40); do
        at=$(pointer_in_log)
        [[ "$at" == "$want" ]] && return 0
        sleep 0.05
    done
    fail "the pointer aimed at the table's ($1, $2) is at ($at) on the surface, not ($want)"
}
# The table's top-left corner on the window's surface: Qt's own window frame (Weston
# leaves decorations to the client) is 3 pixels wide at the side, with a 30-pixel title
# bar above the 25-pixel menu bar; then the table's 1-pixel border.
TABLE_IN_SURFACE_X=4
TABLE_IN_SURFACE_Y=56
# New Game shows its hourglass over the table while the cards are dealt; with the pointer
# there, Qt sets it as the pointer's cursor: the one 24-pixel cursor of ours, its hotspot
# in the middle (platform/WindowSystem.cpp).
hourglasses() { grep -c 'wl_pointer@[0-9]*\.set_cursor([0-9]*, wl_surface@[0-9]*, 12, 12)' "$OUT/program.log" || true; }
clicks_received() { grep -c 'wl_pointer@[0-9]*\.button([0-9]*, [0-9]*, 272, 1)' "$OUT/program.log" || true; }

start_weston --backend=x11-backend.so --use-pixman --width=1000 --height=740

# 1. New Game again and again, the pointer on the table, cards at their designed speed.
options 1
start=$SECONDS
start_game MALLOC_PERTURB_=165 WAYLAND_DEBUG=client "${A11Y_ENV[@]}"
wait_for_deal
echo "first deal after $((SECONDS - start)) s"
shot 01-dealt
point_at 172 269
since=$(wc -l <"$OUT/program.log")
deals=$(hourglasses)
for i in $(seq "$NEW_GAMES"); do
    # Each New Game once the last one's deal has begun: it lands in the middle of a deal,
    # with cards in flight, at a moment that differs from press to press.
    xdotool key F2
    for _ in $(seq 200); do
        (($(hourglasses) > deals + i - 1)) && break
        game_alive || break
        sleep 0.05
    done
    if ! game_alive; then
        wait "$PID" && status=0 || status=$?
        PID=
        fail "the program died (status $status) after New Game $i of $NEW_GAMES"
    fi
    (($(hourglasses) > deals + i - 1)) || fail "New Game $i dealt nothing under the pointer"
    sleep "0.$((RANDOM % 4))"
done
wait_for_deal
shot 02-after-new-games
# Each New Game dealt anew under the pointer, which never left the table.
dealt=$(($(hourglasses) - deals))
((dealt == NEW_GAMES)) || fail "$dealt deals under the pointer for $NEW_GAMES New Games"
[[ "$(pointer_in_log)" == "$((TABLE_IN_SURFACE_X + 172)) $((TABLE_IN_SURFACE_Y + 269))" ]] ||
    fail "the pointer left the table during the deals: now at $(pointer_in_log)"
tail -n "+$since" "$OUT/program.log" | grep -q 'wl_pointer@[0-9]*\.leave(' &&
    fail "the pointer left the window during the deals"
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
echo "New Game $NEW_GAMES times with the pointer on the table: $dealt deals, no crash ($((SECONDS - start)) s)"

# 2. One period played with clicks. Qt's protocol trace tells when the sheet shows. A new
# series, not the one the first part left.
rm -rf "${XDG_DATA_HOME:?}"/*
options 0
start=$SECONDS
start_game MALLOC_PERTURB_=165 WAYLAND_DEBUG=client "${A11Y_ENV[@]}"
wait_for_deal
sheet=
clicks=0
while [[ -z "$sheet" ]]; do
    # Only a lit slot takes the click; the computer moves in between.
    for s in 1 2 3 4 5 6 7 14 8 9 10 11 12 13; do
        game_alive || fail "the program ended during the period"
        point_at $((SLOT_LEFT[s] + 26)) $((SLOT_TOP[s] + 41))
        xdotool click 1
        clicks=$((clicks + 1))
        sheet=$(grep -o 'xdg_toplevel@[0-9]*\.set_title("First intermission")' "$OUT/program.log" |
            head -1 | cut -d. -f1) || true
        [[ -n "$sheet" ]] && break
    done
done
sleep 1
shot 03-first-intermission
# Every click reached the program (the last may still be on its way).
received=$(clicks_received)
((received >= clicks - 1 && received <= clicks)) ||
    fail "the program received $received of the $clicks clicks"
# The strip as the period left it: what the check below must tell from the next period.
second_period() {
    local strip
    strip=$(board)
    [[ " $strip " == *" Period 2 "* && "$strip" =~ (^| )[0-2][0-9]:[0-5][0-9]( |$) ]]
}
[[ " $(board) " == *" Period 1 "* ]] && ! second_period ||
    fail "at the intermission the strip reads '$(board)'"
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
# The second period is dealt: the strip reads it, with its clock.
wait_for 20 "the second period was not dealt: the strip reads '$(board)'" second_period
shot 04-second-period
echo "First period played with $clicks clicks, all received; sheet closed; second period dealt: $(board) ($((SECONDS - start)) s)"
echo "E2E passed; screenshots in $OUT"
