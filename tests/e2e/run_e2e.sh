#!/usr/bin/env bash
# Plays the real program on a virtual X display, as a player would: the first deal, one
# move made with a real click on a lit slot, the score sheet (F9), the help (F1), both
# menus and the about screen, then a one-game series played to its end and the question
# "Do you want to play again?" answered No, after which the program must end by itself.
#
# Every window is recognised by its title and contents, read through the program's
# accessibility interface (tests/e2e/a11y.py); any other window fails the run. The series
# must be three periods, then overtime only when the score is level, then the winner's
# sheet and the question. Every wait has a deadline, and the run as a whole ends itself,
# with a screenshot, before CTest's timeout would. Screenshots of each step go to the
# output folder.
#
#   tests/e2e/run_e2e.sh [BUILD_DIR] [OUT_DIR]      (defaults: build, /tmp/bt-e2e)
#
# Needs Xvfb, xdotool, ImageMagick's import, a D-Bus session (dbus-run-session), the
# accessibility bus (at-spi2-core) and python3-dbus. The program runs from a copy in a
# scratch folder, with a settings file of its own: one game, fast cards, the player moving
# first. Exit status 0 when every step went as expected, 77 when the tools are missing.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-e2e}")
source "$(dirname "$(realpath "$0")")/lib.sh"
# The whole run's deadline, in seconds; CTest's timeout for it is 900.
LIMIT=${BT_E2E_LIMIT:-840}

e2e_need_tools
e2e_begin "$BUILD" "$OUT"

# The windows on screen are exactly the given titles (in any order).
only_windows() {
    local expected actual
    expected=$(printf '%s\n' "$@" | sort)
    actual=$(titles | sort)
    [[ "$actual" == "$expected" ]]
}
expect_windows() {
    only_windows "$@" ||
        fail "windows on screen: [$(titles | tr '\n' '|')], expected: [$(printf '%s|' "$@")]"
}

# Colour of one screen pixel as RRGGBB, and a digest of a screen rectangle.
pixel() {
    import -window root -crop "1x1+$1+$2" +repage -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#'
}
area() { # left top width height
    import -window root -crop "$3x$4+$1+$2" +repage -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

e2e_start_program

WID=$(timeout 60 xdotool search --sync --onlyvisible --name '^Brindletop$' | head -1) ||
    fail "no main window"
eval "$(xdotool getwindowgeometry --shell "$WID")"
echo "main window $WID at $X,$Y, ${WIDTH}x$HEIGHT"
# The table's top-left corner: under the 25-pixel menu bar, inside the panel's border.
TX=$((X + 1))
TY=$((Y + 25 + 1))

# One item of the scoreboard: the clock, the period, a side's goals.
clock() { board | grep -o '[0-9][0-9]:[0-9][0-9]' || true; }
goals_of() { board | grep -o "$1 [0-9]*" | awk '{print $NF}' || true; }
clock_is() { [[ "$(clock)" == "$1" ]]; }
# The side that deals is named second: the order on the strip changes from game to game.
new_game() {
    local shown
    shown=$(board)
    [[ "$(goals_of Computer)" == 0 && "$(goals_of Ann)" == 0 && "$(clock)" == 20:00 &&
        "$shown" == *"Period 1"* && $(wc -w <<<"$shown") -eq 7 ]]
}
wait_for 30 "the scoreboard shows no new game" new_game

# Slot rectangles' top-left corners on the table, slots 1 to 14; every card is 53 x 83.
# Slot 1 is the pack, 2 the computer's goal and 3 to 7 its line-up, 8 to 12 the player's
# line-up and 13 the player's goal, 14 the discard pile.
SLOT_LEFT=(0 8 140 110 169 80 140 200 80 140 200 110 169 140 272)
SLOT_TOP=(0 232 8 96 96 184 184 184 272 272 272 360 360 448 232)
centre_x() { echo $((TX + SLOT_LEFT[$1] + 26)); }
centre_y() { echo $((TY + SLOT_TOP[$1] + 41)); }
slot_area() { area $((TX + SLOT_LEFT[$1])) $((TY + SLOT_TOP[$1])) 53 83; }
GREEN=008000

# Dealt: the player's goal (slot 13) shows a card back, no longer the empty card place
# that the discard pile (slot 14) shows at the same spot of its rectangle.
dealt() { [[ "$(pixel $((TX + 150)) $((TY + 458)))" != "$(pixel $((TX + 282)) $((TY + 242)))" ]]; }
wait_for 20 "no deal" dealt
shot 01-dealt
expect_windows Brindletop

# Find a lit slot in the line-ups: a move there keeps the player's turn (only a shot or a
# discard hands it on), so the table and the clock stay as the move left them. Hover each
# slot in turn; a lit frame colours the table one pixel outside the card's left edge (the
# frame's border is two pixels wide, three out). A deal without such a move is dealt again
# with New Game (F2).
lit_frame() { [[ "$(pixel $((TX + SLOT_LEFT[$1] - 3)) "$(centre_y "$1")")" != "$GREEN" ]]; }
find_lit() {
    local s end
    for s in 3 4 5 6 7 8 9 10 11 12; do
        xdotool mousemove "$(centre_x "$s")" "$(centre_y "$s")"
        end=$((SECONDS + 1))
        until lit_frame "$s" || ((SECONDS >= end)); do sleep 0.05; done
        if lit_frame "$s"; then
            lit=$s
            return 0
        fi
    done
    return 1
}
TABLE=("$TX" "$TY" 330 530)
table_changed() { [[ "$(area "${TABLE[@]}")" != "$table" ]]; }
table_still() {
    local now
    now=$(area "${TABLE[@]}")
    sleep 0.3
    [[ "$(area "${TABLE[@]}")" == "$now" ]]
}
# The player's goal is dealt before the deal ends; a card flying past a slot's edge would
# read as a lit frame.
wait_for 20 "the first deal does not come to rest" table_still
lit=0
for deal in $(seq 10); do
    find_lit && break
    echo "deal $deal: no move in the line-ups; dealing again"
    xdotool mousemove $((TX + 300)) $((TY + 20))
    table=$(area "${TABLE[@]}")
    xdotool windowfocus --sync "$WID"
    xdotool key F2
    wait_for 10 "New Game deals no new cards" table_changed
    wait_for 20 "the new deal does not come to rest" table_still
    wait_for 10 "New Game does not start a new game" new_game
done
[[ $lit -ne 0 ]] || fail "no slot of the line-ups lit up in 10 deals"
echo "slot $lit is lit"
shot 02-lit-slot
before=$(slot_area "$lit")
clock_is 20:00 || fail "the clock reads $(clock) before the first move"
xdotool click 1
# The card taken off the pack advances the clock by 30 seconds and lands in the slot.
wait_for 10 "the clock does not read 19:30 after the first move" clock_is 19:30
landed() {
    local now
    now=$(slot_area "$lit")
    [[ "$now" != "$before" ]] && sleep 0.3 && [[ "$(slot_area "$lit")" == "$now" ]]
}
wait_for 10 "no card came to rest in slot $lit" landed
clock_is 19:30 || fail "the clock moved on while the player kept the turn: $(clock)"
shot 03-after-move
expect_windows Brindletop

xdotool windowfocus --sync "$WID"
xdotool key F9
wait_for 10 "F9 shows no score sheet" eval 'titles | grep -qx Score'
sheet=$(texts Score)
# What a screen reader hears: each result named by its game and period.
unplayed="Game 1, first period: not played yet , Game 1, second period: not played yet ,"
unplayed+=" Game 1, third period: not played yet ) Game 1, final score: not played yet"
# Below the rows, the period under way.
[[ "$sheet" == "Ann - Computer ( $unplayed Game 1, period 1 under way: 0-0 so far OK" ]] ||
    fail "the score sheet shows: $sheet"
expect_windows Brindletop Score
shot 04-score-sheet
xdotool key Escape
wait_for 10 "Escape does not close the score sheet" only_windows Brindletop

# Without a window manager nobody hands the focus back after a window closes.
xdotool windowfocus --sync "$WID"
xdotool key F1
HELP_TITLE="Brindletop Help"
wait_for 20 "F1 opens no help window" eval 'titles | grep -qx "$HELP_TITLE"'
expect_windows Brindletop "$HELP_TITLE"
HID=$(xdotool search --onlyvisible --name "^$HELP_TITLE\$" | head -1)
[[ -n "$HID" ]] || fail "the help window has no X window"
help=$(texts "$HELP_TITLE")
[[ "$help" == *Brindletop* ]] || fail "the help window shows: ${help:0:300}"
shot 05-help
# Move the viewer aside; it stays open until the program ends.
xdotool windowmove "$HID" $((X + WIDTH + 4)) 0
xdotool windowfocus --sync "$WID"

menu_is() { [[ "$(a11y menu "$1" | tr '\n' '|')" == "$2" ]]; }
xdotool key alt+g
wait_for 10 "Alt+G opens no Game menu" menu_is Game "New Game|Hint|Options...|Score...|Statistics...|Exit|"
shot 06-game-menu
xdotool key Escape Escape
wait_for 10 "the Game menu stays open" menu_is Game ""
xdotool key alt+h
wait_for 10 "Alt+H opens no Help menu" menu_is Help "Index|About...|"
shot 06-help-menu
# The about screen lies over the table and its cards drift: the middle of the table
# changes, and changes again while it shows; a click ends it and the table is back.
MIDDLE=($((TX + 100)) $((TY + 200)) 140 100)
table=$(area "${MIDDLE[@]}")
xdotool key a
wait_for 10 "About... shows nothing over the table" eval '[[ "$(area "${MIDDLE[@]}")" != "$table" ]]'
first=$(area "${MIDDLE[@]}")
wait_for 10 "the about screen does not move" eval '[[ "$(area "${MIDDLE[@]}")" != "$first" ]]'
menu_is Help "" || fail "the Help menu is still open over the about screen"
shot 07-about
xdotool mousemove $((TX + 20)) $((TY + 20)) click 1
wait_for 10 "a click does not end the about screen" eval '[[ "$(area "${MIDDLE[@]}")" == "$table" ]]'
expect_windows Brindletop "$HELP_TITLE"
clock_is 19:30 || fail "the about screen changed the clock to $(clock)"
shot 08-about-gone

# Game > Statistics: no series has ended yet; each cell tells its level and figure.
xdotool key alt+g t
wait_for 10 "Game > Statistics shows no statistics" \
    eval '[[ "$(texts Statistics)" == *"Rookie, series played: 0"*"All-Star, longest winning streak: 0"* ]]'
shot 09-statistics
xdotool key Escape
wait_for 10 "Escape leaves the statistics open" eval '! titles | grep -qx Statistics'
expect_windows Brindletop "$HELP_TITLE"

# Play the series to its end: click every slot in turn (only a lit one takes the click);
# at each sheet check it is the one due, and close it; answer No to the question.
periods=0 # periods played, overtime included
won=
# A visible named window besides the table and the help: a window of the game.
modal_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [[ "$w" == "$WID" || "$w" == "$HID" ]] || { echo "$w"; return; }
    done
}
while :; do
    kill -0 "$PID" 2>/dev/null || fail "the program ended before the question"
    dialog=$(modal_window)
    if [[ -z "$dialog" ]]; then
        # The sheets lie over the table: stop clicking as soon as one shows.
        for s in 1 2 3 4 5 6 7 14 8 9 10 11 12 13; do
            [[ -z "$(modal_window)" ]] || break
            xdotool mousemove "$(centre_x "$s")" "$(centre_y "$s")" sleep 0.03 click 1
        done
        continue
    fi
    if (($(titles | grep -cx Brindletop) > 1)); then
        fail "a second window titled Brindletop: $(texts Brindletop)"
    fi
    title=
    wait_for 10 "a window no one can read: $(xdotool getwindowname "$dialog" 2>/dev/null)" \
        eval 'title=$(titles | grep -vx -e Brindletop -e "$HELP_TITLE" | head -1); [[ -n $title ]]'
    content=$(texts "$title")
    computer=$(goals_of Computer)
    ann=$(goals_of Ann)
    [[ $computer =~ ^[0-9]+$ && $ann =~ ^[0-9]+$ ]] ||
        fail "the scoreboard cannot be read at \"$title\": '$(board)'"
    echo "window \"$title\" after $periods periods at $computer-$ann: $content"
    shot "$(printf '1%d-%s' $((periods < 9 ? periods : 9)) "${title//[^A-Za-z-]/_}")"
    expect_windows Brindletop "$HELP_TITLE" "$title"
    if [[ "$title" == Confirm ]]; then
        [[ -n "$won" ]] || fail "the question came before the game was won"
        [[ "$content" == *"Do you want to play again?"* ]] || fail "the Confirm box asks: $content"
        shot 19-play-again
        xdotool windowfocus --sync "$dialog"
        xdotool key n
        break
    fi
    [[ -z "$won" ]] || fail "\"$title\" after the winner's sheet: a one-game series is over"
    [[ "$content" == "Ann - Computer ("* ]] || fail "\"$title\" shows: $content"
    level=0
    [[ "$computer" == "$ann" ]] && level=1
    periods=$((periods + 1))
    case "$periods:$title" in
    "1:First intermission" | "2:Second intermission") ;;
    [3-9]:Over-time | [1-9][0-9]:Over-time)
        ((level)) || fail "overtime at $computer-$ann, which is not level" ;;
    [3-9]:"Play-off winner is "* | [1-9][0-9]:"Play-off winner is "*)
        ((!level)) || fail "a winner at $computer-$ann, which is level"
        leader=Ann
        ((computer > ann)) && leader=Computer
        [[ "$title" == "Play-off winner is $leader!" ]] || fail "\"$title\" at $computer-$ann"
        won=1 ;;
    *) fail "\"$title\" at the end of period $periods" ;;
    esac
    xdotool windowfocus --sync "$dialog"
    xdotool key Return
    wait_for 10 "\"$title\" does not close" eval '[[ "$(modal_window)" != "$dialog" ]]'
done

wait_for 10 "the program did not end after No" eval '! kill -0 "$PID" 2>/dev/null'
wait "$PID" && status=0 || status=$?
PID=
[[ $status -eq 0 ]] || fail "the program ended with status $status"
shot 20-ended
# The series that ended is kept, at the level it was played at.
STATS="$XDG_DATA_HOME/Brindletop/statistics.ini"
[[ -f "$STATS" ]] || fail "no statistics in $STATS"
tr -d '\r' <"$STATS" | grep -A1 -x '\[Rookie\]' | grep -qx 'SeriesPlayed=1' ||
    fail "the series is not in the statistics: $(tr -d '\r' <"$STATS" | tr '\n' ' ')"
echo "E2E passed: $periods periods, $((periods > 3 ? periods - 3 : 0)) of them overtime; screenshots in $OUT"
