#!/usr/bin/env bash
# Bad input met by the real program on a virtual X display: damaged settings files, a
# folder in the settings file's place, a settings file or program folder the player may
# not write, a missing or damaged help file. For each case the program must start, show
# its table, say what went wrong in a box captioned "Brindletop" when something did, and
# leave the player's settings file as it was (byte for byte when a write failed).
# Screenshots of every step go to the output folder.
#
#   tests/e2e/bad_input.sh [BUILD_DIR] [OUT_DIR] [CASE...]
#                                   (defaults: build, /tmp/bt-bad-input, every case)
#
# Each case runs with failures fatal to it: its first failed check ends it, with a
# screenshot. The random bytes come from a seed printed at the start (BT_SEED=N repeats
# it); a failed case keeps its settings file in the output folder.
#
# Needs what tests/e2e/run_e2e.sh needs, and setpriv. The cases about files the player may
# not write run the program with the power to override file permissions given up, so they
# hold for root too. Exit status 0 when every case passed, 77 when the tools are missing.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-bad-input}")
shift $(($# < 2 ? $# : 2))
CASES=("$@")
source "$(dirname "$(realpath "$0")")/lib.sh"
# The whole run's deadline, in seconds; CTest's timeout for it is 900.
LIMIT=${BT_E2E_LIMIT:-840}
SEED=${BT_SEED:-$((RANDOM * 32768 + RANDOM))}

e2e_need_tools
if [[ -z "${BT_BAD_INPUT_DISPLAY:-}" ]]; then
    mkdir -p "$OUT"
    BT_BAD_INPUT_DISPLAY=1 BT_SEED=$SEED exec "$E2E_DIR/../../scripts/with-display" -- \
        dbus-run-session -- "$0" "$BUILD" "$OUT" "${CASES[@]}"
fi
echo "random bytes from BT_SEED=$SEED"

# File permissions bind the program even when it runs as root.
BOUND=(setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-dac_override,-dac_read_search)

rm -f "$OUT"/*.png "$OUT"/*.log "$OUT"/*.bytes
ROOT=$(mktemp -d)
chmod 755 "$ROOT"
PID=
cleanup() {
    e2e_stop_helpers
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null || true
    rm -rf "$ROOT"
}
trap cleanup EXIT
trap 'exit 1' TERM
e2e_deadline "$LIMIT" "$OUT/timeout.png" "$ROOT/pid"
e2e_start_a11y "$OUT/a11y-bus.log"

CASE=
DIR=
shot() { import -window root "$OUT/$CASE-$1.png"; }
# Records the failure for the summary and ends the case.
fail() {
    echo "  FAILED: $*"
    shot failure || true
    echo "$CASE: $*" >>"$ROOT/failed"
    [[ -f "$ROOT/bytes" ]] && cp "$ROOT/bytes" "$OUT/$CASE.bytes"
    exit 1
}

# A fresh copy of the program's folder; the settings file lives beside the program.
prepare() {
    DIR=$ROOT/$CASE
    mkdir -p "$DIR"
    cp "$BUILD/brindletop" "$DIR/"
    cp -r "$BUILD/HELP" "$DIR/"
}

# Starts the program in DIR; "bound": bound by file permissions, with HOME in the folder.
# Each start keeps its series to itself: none resumes another's.
start() {
    XDG_DATA_HOME=$(mktemp -d -p "$ROOT" "$CASE-data.XXXX")
    export XDG_DATA_HOME
    if [[ "${1:-}" == bound ]]; then
        mkdir -p "$ROOT/$CASE-home"
        (cd "$DIR" && exec env HOME="$ROOT/$CASE-home" XDG_CONFIG_HOME= "${A11Y_ENV[@]}" \
            "${BOUND[@]}" ./brindletop) >>"$OUT/$CASE.log" 2>&1 &
    else
        (cd "$DIR" && exec env "${A11Y_ENV[@]}" ./brindletop) >>"$OUT/$CASE.log" 2>&1 &
    fi
    PID=$!
    echo "$PID" >"$ROOT/pid"
}
# Waits until the table shows a new game for NAME: the strip in reading order, the side
# that deals named second; the computer may have moved already, so any time on the clock.
wait_table() { # name
    local name=$1
    ready() {
        [[ "$(board)" =~ ^(Computer\ 0\ $name\ 0|$name\ 0\ Computer\ 0)\ Period\ 1\ [0-9]{2}:[0-9]{2}$ ]]
    }
    wait_for 30 "the table shows no new game for $name" ready
}

# Visible windows of the program named exactly NAME.
windows() { xdotool search --onlyvisible --pid "$PID" --name "^$1\$" 2>/dev/null || true; }
# Waits up to 20 s for a window named NAME that is (or, with "other", is not) as tall as
# the main window; prints its id.
wait_window() {
    local name=$1 kind=${2:-main} w
    for _ in $(seq 200); do
        kill -0 "$PID" 2>/dev/null || return 1
        for w in $(windows "$name"); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            local is_main=0
            ((HEIGHT >= 500)) && is_main=1
            if { [[ $kind == main ]] && ((is_main)); } || { [[ $kind != main ]] && ((!is_main)); }; then
                echo "$w"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}
# A message box: a window titled "Brindletop" that is not the main window (a frame).
message_box() { { a11y windows || true; } | grep -P '\tBrindletop$' | grep -qvP '^frame\t'; }
wait_box() {
    local end=$((SECONDS + 10))
    until message_box; do
        kill -0 "$PID" 2>/dev/null && ((SECONDS < end)) || return 1
        sleep 0.1
    done
}
# Answers the box with its OK button.
answer_box() {
    a11y press Brindletop OK || fail "the box has no OK button: $(texts Brindletop)"
    wait_for 10 "the box stays open" eval '! message_box'
}
stop() {
    if [[ -n "$PID" ]] && ! kill -0 "$PID" 2>/dev/null; then
        wait "$PID" && status=0 || status=$?
        PID=
        fail "the program died (status $status)"
        return 1
    fi
    kill "$PID" 2>/dev/null || true
    wait "$PID" 2>/dev/null || true
    PID=
}
# Opens the options with F7, picks the next series length with the arrow key (so that OK
# has something to write) and confirms with Enter; returns once the dialog has closed or
# a message box shows. The dialog opens on the name: Tab goes on to the dealer, the skill
# level and then the series length, each at its ticked button.
confirm_options() { # main-window-id
    xdotool windowfocus --sync "$1"
    xdotool key F7
    local dialog
    dialog=$(wait_window Options other) || fail "F7 shows no options dialog"
    xdotool windowfocus --sync "$dialog"
    xdotool key Tab Tab Tab Down
    shot options
    xdotool key Return
    wait_for 10 "OK does not close the options" eval 'message_box || ! titles | grep -qx Options'
}
same_bytes() { cmp -s "$1" "$2" || fail "$3"; }

OPTIONS=$'[Options]\r\nPlayerName=Zed\r\nDealer=1\r\nSkillLevel=0\r\nBestOf=0\r\nAnimSpeed=0\r\n\r\n'
KEEP=$'[Keep]\r\nnote=mine\r\n'

# Damaged content: no box at start, the table for the name the file gives (or the default
# one), no box at OK, and the other section survives.
damaged() { # bytes-file [name]
    prepare
    cp "$1" "$DIR/brindletop.ini"
    cp "$1" "$ROOT/$CASE.before"
    start
    local main
    main=$(wait_window Brindletop) || fail "no main window"
    wait_table "${2:-Zed}"
    shot started
    if message_box; then fail "a message box at start: $(texts Brindletop)"; fi
    same_bytes "$DIR/brindletop.ini" "$ROOT/$CASE.before" "the file changed without OK"
    confirm_options "$main"
    if message_box; then fail "a message box after OK: $(texts Brindletop)"; fi
    grep -q $'^BestOf=1\r$' "$DIR/brindletop.ini" || fail "OK did not save the new series length"
    grep -q $'^note=mine\r$' "$DIR/brindletop.ini" || fail "OK lost the [Keep] section"
    shot after-ok
    stop
}

# COUNT bytes from the run's seed and a stream number of its own.
random_bytes() { # stream count
    /usr/bin/python3 -c 'import random, sys
sys.stdout.buffer.write(random.Random(int(sys.argv[1]) * 1000 + int(sys.argv[2])).randbytes(int(sys.argv[3])))' \
        "$SEED" "$1" "$2"
}
case_garbage() {
    { random_bytes 1 4096 | tr -d '\032'; printf '\n%s' "$OPTIONS"; random_bytes 2 300 | tr -d '\032\n\r';
      printf '\n%s' "$KEEP"; random_bytes 3 2000 | tr -d '\032'; } >"$ROOT/bytes"
    damaged "$ROOT/bytes"
}
case_long_line() {
    { printf '%s' "$OPTIONS" "$KEEP" "blob="; head -c 10485760 /dev/zero | tr '\0' x; printf '\r\n'; } >"$ROOT/bytes"
    damaged "$ROOT/bytes"
}
# A byte-order mark is text like any other: the first line names no section, so the
# options keep their defaults.
case_bom() {
    { printf '\xef\xbb\xbf'; printf '%s' "$OPTIONS" "$KEEP"; } >"$ROOT/bytes"
    damaged "$ROOT/bytes" Player
}
case_cut_off() {
    { printf '%s' "$KEEP" "$OPTIONS" | head -c -12; } >"$ROOT/bytes"
    damaged "$ROOT/bytes"
}

# A folder where the settings file belongs: a box at start, the table all the same, a
# box at OK, and the folder untouched.
case_directory() {
    prepare
    mkdir "$DIR/brindletop.ini"
    echo mine >"$DIR/brindletop.ini/inside"
    start
    local box main dialog
    wait_box || fail "no message box at start"
    shot start-box
    answer_box
    main=$(wait_window Brindletop) || fail "no main window after the box"
    wait_table Player
    shot started
    xdotool windowfocus --sync "$main"
    xdotool key F7
    dialog=$(wait_window Options other) || fail "F7 shows no options dialog"
    xdotool windowfocus --sync "$dialog"
    xdotool key Return
    wait_box || fail "no message box at OK"
    shot ok-box
    answer_box
    wait_for 10 "the options stay open after the box" eval '! titles | grep -qx Options'
    [[ -d "$DIR/brindletop.ini" && "$(cat "$DIR/brindletop.ini/inside")" == mine ]] ||
        fail "the folder was changed"
    shot after-ok
    stop
}

# A settings file the player may not write, in a folder the player may write.
case_read_only_file() {
    prepare
    printf '%s' "$OPTIONS" "$KEEP" >"$DIR/brindletop.ini"
    chmod 444 "$DIR/brindletop.ini"
    cp "$DIR/brindletop.ini" "$ROOT/$CASE.before"
    start bound
    local main box
    main=$(wait_window Brindletop) || fail "no main window"
    wait_table Zed
    shot started
    confirm_options "$main"
    wait_box || fail "no message box at OK"
    shot ok-box
    answer_box
    wait_for 10 "the options stay open after the box" eval '! titles | grep -qx Options'
    same_bytes "$DIR/brindletop.ini" "$ROOT/$CASE.before" "the read-only file changed"
    [[ "$(ls -A "$DIR" | sort | tr '\n' ' ')" == "HELP brindletop brindletop.ini " ]] ||
        fail "left behind: $(ls -A "$DIR" | tr '\n' ' ')"
    shot after-ok
    stop
}

# An installed copy: the program's folder is not the player's to write, so the settings go
# to the player's configuration folder, and the next start reads them from there.
case_read_only_folder() {
    prepare
    chmod 555 "$DIR"
    start bound
    local main
    main=$(wait_window Brindletop) || fail "no main window"
    wait_table Player
    shot started
    confirm_options "$main"
    if message_box; then fail "a message box after OK: $(texts Brindletop)"; fi
    stop
    local saved=$ROOT/$CASE-home/.config/Brindletop/brindletop.ini
    [[ -f "$saved" ]] || fail "no settings file in the configuration folder: $(find "$ROOT/$CASE-home" -name '*.ini')"
    grep -q $'^PlayerName=Player\r$' "$saved" || fail "the saved file lacks the name"
    grep -q $'^BestOf=1\r$' "$saved" || fail "the saved file lacks the new series length"
    [[ ! -e "$DIR/brindletop.ini" ]] || fail "a settings file appeared beside the program"
    # The next start reads it: a name of its own shows on the scoreboard.
    sed -i 's/^PlayerName=Player/PlayerName=Saved/' "$saved"
    start bound
    wait_window Brindletop >/dev/null || fail "no main window at the second start"
    wait_table Saved
    shot second-start
    stop
    chmod 755 "$DIR"
}

# F1 with the help file missing or damaged: a box captioned Brindletop, or the viewer.
help_case() { # how-to-damage
    prepare
    printf '%s' "$OPTIONS" >"$DIR/brindletop.ini"
    "$1"
    start
    local main box before
    main=$(wait_window Brindletop) || fail "no main window"
    wait_table Zed
    before=$(titles | sort)
    xdotool windowfocus --sync "$main"
    xdotool key F1
    answered() { message_box || [[ "$(titles | sort)" != "$before" ]]; }
    wait_for 20 "F1 showed nothing and said nothing" answered
    shot f1
    if message_box; then
        echo "  F1 answered with a message box: $(texts Brindletop)"
        answer_box
    else
        echo "  F1 opened: $(comm -13 <(echo "$before") <(titles | sort) | tr '\n' ' ')"
    fi
    kill -0 "$PID" 2>/dev/null || { PID=; fail "the program died on F1"; }
    shot after-f1
    stop
}
case_help_missing() { help_case remove_help; }
remove_help() { rm -rf "$DIR/HELP"; }
case_help_truncated() { help_case cut_help; }
cut_help() { head -c $(($(stat -c %s "$BUILD/HELP/bt.chm") / 2)) "$BUILD/HELP/bt.chm" >"$DIR/HELP/bt.chm"; }

ALL=(garbage long_line bom cut_off directory read_only_file read_only_folder help_missing help_truncated)
((${#CASES[@]})) || CASES=("${ALL[@]}")
for CASE in "${CASES[@]}"; do
    echo "case $CASE"
    rm -f "$ROOT/bytes"
    # A case of its own shell, so that any failed command in it ends it (set -e does not
    # hold inside a function called as part of a condition).
    set +e
    (
        set -e
        trap '[[ -z "$PID" ]] || kill "$PID" 2>/dev/null; wait 2>/dev/null' EXIT
        "case_$CASE"
    )
    status=$?
    set -e
    if ((status != 0)) && ! grep -q "^$CASE: " "$ROOT/failed" 2>/dev/null; then
        echo "$CASE: ended by a failed command (status $status)" >>"$ROOT/failed"
        [[ -f "$ROOT/bytes" ]] && cp "$ROOT/bytes" "$OUT/$CASE.bytes"
    fi
done

if [[ -s "$ROOT/failed" ]]; then
    sed 's/^/FAILED: /' "$ROOT/failed"
    echo "the settings files of the failed cases are kept in $OUT (*.bytes); BT_SEED=$SEED repeats the random ones"
    exit 1
fi
echo "bad input: every case passed; screenshots in $OUT"
