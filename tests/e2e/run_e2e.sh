#!/usr/bin/env bash
# Plays the real program on a virtual X display, as a player would: the first deal, one
# move made with a real click on a lit slot, the score sheet (F9), the help (F1), the
# about screen from the menu, then a one-game series played to its end and the question
# "Do you want to play again?" answered No, after which the program must end by itself.
# Screenshots of each step go to the output folder.
#
#   tests/e2e/run_e2e.sh [BUILD_DIR] [OUT_DIR]      (defaults: build, /tmp/bt-e2e)
#
# Needs Xvfb, xdotool and ImageMagick's import. The program runs from a copy
# in a scratch folder, with a settings file of its own: one game, fast cards, the player
# moving first. Exit status 0 when every step went as expected, 77 when the tools are
# missing.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-e2e}")

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

if [[ -z "${BT_E2E_DISPLAY:-}" ]]; then
    mkdir -p "$OUT"
    BT_E2E_DISPLAY=1 exec "$(dirname "$0")/../../scripts/with-display" -- "$0" "$BUILD" "$OUT"
fi

fail() {
    echo "E2E FAILED: $*" >&2
    shot failure
    exit 1
}
shot() { import -window root "$OUT/$1.png"; }
# Colour of one screen pixel as RRGGBB.
pixel() {
    import -window root -crop "1x1+$1+$2" +repage -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#'
}

RUN=$(mktemp -d)
PID=
cleanup() {
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null || true
    rm -rf "$RUN"
}
trap cleanup EXIT

cp "$BUILD/brindletop" "$RUN/"
[[ -d "$BUILD/HELP" ]] && cp -r "$BUILD/HELP" "$RUN/"
# Dealer 0: the computer deals, so the player moves first. BestOf 0: a series of one game.
printf '[Options]\nPlayerName=Ann\nDealer=0\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n' \
    >"$RUN/brindletop.ini"

(cd "$RUN" && exec ./brindletop) >"$OUT/program.log" 2>&1 &
PID=$!

WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^Brindletop$' | head -1) ||
    fail "no main window"
eval "$(xdotool getwindowgeometry --shell "$WID")"
echo "main window $WID at $X,$Y, ${WIDTH}x$HEIGHT"
# The table's top-left corner: under the 25-pixel menu bar, inside the panel's border.
TX=$((X + 1))
TY=$((Y + 25 + 1))

# Slot rectangles' top-left corners on the table, slots 1 to 14; every card is 53 x 83.
SLOT_LEFT=(0 8 140 110 169 80 140 200 80 140 200 110 169 140 272)
SLOT_TOP=(0 232 8 96 96 184 184 184 272 272 272 360 360 448 232)
centre_x() { echo $((TX + SLOT_LEFT[$1] + 26)); }
centre_y() { echo $((TY + SLOT_TOP[$1] + 41)); }
GREEN=008000

# Dealt: the player's goal (slot 13) shows a card back, no longer the empty card place
# that the discard pile (slot 14) shows at the same spot of its rectangle.
dealt=0
for _ in $(seq 100); do
    if [[ "$(pixel $((TX + 150)) $((TY + 458)))" != "$(pixel $((TX + 282)) $((TY + 242)))" ]]; then
        dealt=1
        break
    fi
    sleep 0.1
done
((dealt)) || fail "no deal"
sleep 1
shot 01-dealt

# Find a lit slot: hover each slot in turn; a lit frame colours the table one pixel
# outside the card's left edge (the frame's border is two pixels wide, three out).
lit=0
for s in $(seq 1 14); do
    xdotool mousemove "$(centre_x "$s")" "$(centre_y "$s")"
    sleep 0.15
    if [[ "$(pixel $((TX + SLOT_LEFT[s] - 3)) "$(centre_y "$s")")" != "$GREEN" ]]; then
        lit=$s
        break
    fi
done
[[ $lit -ne 0 ]] || fail "no slot lights up for the player"
echo "slot $lit is lit"
shot 02-lit-slot
xdotool click 1
sleep 3
shot 03-after-move

xdotool windowfocus --sync "$WID"
xdotool key F9
sleep 1
[[ "$(xdotool getwindowname "$(xdotool getwindowfocus)")" == Score ]] || fail "F9 shows no score sheet"
shot 04-score-sheet
xdotool key Escape
sleep 0.5

# Without a window manager nobody hands the focus back after a window closes.
xdotool windowfocus --sync "$WID"
before=$(xdotool search --onlyvisible --name '.' | sort)
xdotool key F1
sleep 2
after=$(xdotool search --onlyvisible --name '.' | sort)
HID=$(comm -13 <(echo "$before") <(echo "$after") | head -1)
[[ -n "$HID" ]] || fail "F1 opens no help window"
echo "help window: $(xdotool getwindowname "$HID")"
shot 05-help
# Move the viewer aside; it stays open until the program ends.
xdotool windowmove "$HID" $((X + WIDTH + 4)) 0
xdotool windowfocus --sync "$WID"
sleep 0.5

xdotool key alt+g
sleep 0.5
shot 06-game-menu
xdotool key Escape Escape
sleep 0.3
xdotool key alt+h
sleep 0.5
shot 06-help-menu
xdotool key a
sleep 1.5
shot 07-about
xdotool mousemove $((TX + 20)) $((TY + 20)) click 1
sleep 0.5
shot 08-about-gone

# Play the series to its end: click every slot in turn (only a lit one takes the click),
# close the score sheet at each intermission, answer No when asked to play again.
periods=0
deadline=$((SECONDS + 600))
answered=0
# Any visible named window besides the table and the help: a modal window of the game.
modal_window() {
    local w found=
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [[ "$w" == "$WID" || "$w" == "$HID" ]] || found=$w
    done
    echo "$found"
}
while kill -0 "$PID" 2>/dev/null && ((SECONDS < deadline)); do
    dialog=$(modal_window)
    if [[ -n "$dialog" ]]; then
        name=$(xdotool getwindowname "$dialog" 2>/dev/null || true)
        xdotool windowfocus --sync "$dialog" 2>/dev/null || true
        if [[ "$name" == Confirm ]]; then # "Do you want to play again?"
            shot 19-play-again
            xdotool key n
            answered=1
            break
        fi
        periods=$((periods + 1))
        echo "intermission $periods: $name"
        shot "$(printf '1%d-sheet-%s' $((periods < 9 ? periods : 8)) "${name// /-}")"
        xdotool key Return
        sleep 0.5
        continue
    fi
    # The sheets lie over the table: stop clicking as soon as one shows.
    for s in 1 2 3 4 5 6 7 14 8 9 10 11 12 13; do
        [[ -z "$(modal_window)" ]] || break
        xdotool mousemove "$(centre_x "$s")" "$(centre_y "$s")" sleep 0.03 click 1
    done
done
((answered)) || fail "the series did not end with the question"

for _ in $(seq 50); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$PID" 2>/dev/null; then
    fail "the program did not end after No"
fi
wait "$PID" && status=0 || status=$?
PID=
[[ $status -eq 0 ]] || fail "the program ended with status $status"
shot 20-ended
echo "E2E passed: $periods intermissions; screenshots in $OUT"
