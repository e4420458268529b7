#!/usr/bin/env bash
# Plays one period with the keyboard alone and listens as a screen reader would: the
# table's fourteen slots are read through AT-SPI with their names and states, every move
# is made with xdotool keys (Home, then Enter), the intermission sheet is answered with
# Enter, and the announcements of the table's live line must arrive: the computer's moves,
# whose turn it is, and the end of the period. No pointer is used at all.
#
#   tests/e2e/keyboard_a11y.sh [BUILD_DIR] [OUT_DIR]   (defaults: build, /tmp/bt-keyboard)
#
# Leaves the announcements heard in OUT_DIR/announcements.txt and screenshots of its steps.
# Needs what run_e2e.sh needs, and python3-pyatspi. Exit status 0 when every step went as
# expected, 77 when the tools are missing.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-keyboard}")
source "$(dirname "$(realpath "$0")")/lib.sh"
LIMIT=${BT_E2E_LIMIT:-420}

e2e_need_tools
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is missing"; exit 77; }
e2e_begin "$BUILD" "$OUT"

table_slots() { timeout 20 /usr/bin/python3 "$E2E_DIR/a11y_table.py" slots 2>/dev/null || true; }
HEARD="$OUT/announcements.txt"
: >"$HEARD"

e2e_start_program

WID=$(timeout 60 xdotool search --sync --onlyvisible --name '^Brindletop$' | head -1) ||
    fail "no main window"
wait_for 30 "the table is not read as fourteen slots" eval '[[ $(table_slots | wc -l) -eq 14 ]]'
/usr/bin/python3 "$E2E_DIR/a11y_table.py" listen "$HEARD" &
LISTENER=$!
E2E_PIDS+=("$LISTENER")
# The first deal at rest, the player to move: one slot or more may be played.
wait_for 30 "no slot is playable after the deal" eval 'table_slots | grep -q "	enabled	playable"'
sleep 1

slots=$(table_slots)
echo "$slots" >"$OUT/slots-after-deal.txt"
echo "$slots"
# The names say whose slot it is and what lies there; the goals are dealt face down.
for expected in "Pack: 40 cards, " "Discard pile: empty" "Computer's goal: face down" \
    "Your goal: face down" "Computer's left defender: " "Your right wing: "; do
    grep -q "^$expected" <<<"$slots" || fail "no slot named \"$expected...\": $slots"
done
[[ $(cut -f2 <<<"$slots" | sort -u) == "push button" ]] || fail "slots of other roles: $slots"
# Exactly the playable slots are enabled, and say so.
[[ $(grep -c "enabled" <<<"$slots") -eq $(grep -c "playable" <<<"$slots") ]] ||
    fail "enabled and playable slots differ: $slots"
shot 01-dealt

# Into the table from the keyboard: Home puts the focus frame on the slot the hint would
# mark, a playable one.
xdotool windowfocus --sync "$WID"
xdotool key Home
wait_for 10 "Home puts the focus on no playable slot" \
    eval 'table_slots | grep -q "	focused enabled	playable"'
shot 02-home

# Play on until the first intermission sheet shows, by keys alone.
sheet=
modal_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [[ "$w" == "$WID" ]] || { echo "$w"; return; }
    done
}
presses=0
while [[ -z "$sheet" ]]; do
    kill -0 "$PID" 2>/dev/null || fail "the program ended during the period"
    sheet=$(modal_window)
    [[ -n "$sheet" ]] && break
    # Enter would answer a sheet that has just come up: play only once the last word
    # heard is the player's turn.
    if tail -n 1 "$HEARD" | grep -q "^Your turn: "; then
        xdotool key Home Return
        presses=$((presses + 1))
        ((presses < 500)) || fail "no intermission after $presses presses of Enter"
    fi
    sleep 0.2
done
wait_for 10 "the sheet has no title" eval 'titles | grep -qx "First intermission"'
shot 03-intermission
grep -q "^End of period 1: computer [0-9]*, you [0-9]*$" "$HEARD" ||
    fail "the end of the period was not announced"
xdotool windowfocus --sync "$sheet"
xdotool key Return
wait_for 10 "Enter does not close the sheet" eval '[[ -z "$(modal_window)" ]]'
# The second period's first turn is announced too.
wait_for 20 "the next period's turn is not announced" \
    eval 'tail -n 3 "$HEARD" | grep -q -e "^Your turn: " -e "^Computer.s turn$"'
shot 04-second-period

kill "$LISTENER" 2>/dev/null || true
grep -q "^Your turn: " "$HEARD" || fail "no \"Your turn\" was announced"
grep -q "^Computer's turn$" "$HEARD" || fail "no \"Computer's turn\" was announced"
grep -q -E "^Computer (beats|fills|discards|puts|turns|scores)|^Saved! Your" "$HEARD" ||
    fail "no move of the computer was announced"
grep -q -E "^You (beat|fill|discard|put|turn|score)|^Saved! The" "$HEARD" ||
    fail "no move of the player was announced"
echo "E2E passed: one period by keyboard ($presses presses), $(wc -l <"$HEARD") announcements in $HEARD"
