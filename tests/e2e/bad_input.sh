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
# Needs Xvfb, xdotool and ImageMagick's import; the cases that play an ordinary user
# need setpriv and root (they are skipped otherwise). Exit status 0 when every case
# passed, 77 when the tools are missing.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
OUT=$(realpath -m "${2:-/tmp/bt-bad-input}")
shift $(($# < 2 ? $# : 2))
CASES=("$@")

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

if [[ -z "${BT_BAD_INPUT_DISPLAY:-}" ]]; then
    mkdir -p "$OUT"
    # -ac: the cases that run the program as another user need the display too.
    BT_BAD_INPUT_DISPLAY=1 exec "$(dirname "$0")/../../scripts/with-display" -ac -- \
        "$0" "$BUILD" "$OUT" "${CASES[@]}"
fi

AS_PLAYER=()
if [[ $(id -u) -eq 0 ]] && command -v setpriv >/dev/null; then
    AS_PLAYER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

rm -f "$OUT"/*.png "$OUT"/*.log
ROOT=$(mktemp -d)
chmod 755 "$ROOT"
PID=
cleanup() {
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null || true
    rm -rf "$ROOT"
}
trap cleanup EXIT

FAILED=()
CASE=
DIR=
shot() { import -window root "$OUT/$CASE-$1.png"; }
fail() {
    echo "  FAILED: $*"
    shot failure || true
    FAILED+=("$CASE: $*")
    return 1
}

# A fresh copy of the program's folder; the settings file lives beside the program.
prepare() {
    DIR=$ROOT/$CASE
    mkdir -p "$DIR"
    cp "$BUILD/brindletop" "$DIR/"
    cp -r "$BUILD/HELP" "$DIR/"
}

# Starts the program in DIR, optionally as the player (nobody) with HOME in the folder.
start() {
    if [[ "${1:-}" == player ]]; then
        mkdir -p "$ROOT/$CASE-home"
        chown nobody:nogroup "$ROOT/$CASE-home"
        (cd "$DIR" && exec env HOME="$ROOT/$CASE-home" XDG_RUNTIME_DIR= XDG_CONFIG_HOME= \
            "${AS_PLAYER[@]}" ./brindletop) >"$OUT/$CASE.log" 2>&1 &
    else
        (cd "$DIR" && exec ./brindletop) >"$OUT/$CASE.log" 2>&1 &
    fi
    PID=$!
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
# Any visible "Brindletop" window other than the main window: a message box.
message_box() {
    local w
    for w in $(windows Brindletop); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        ((HEIGHT >= 500)) || { echo "$w"; return 0; }
    done
    return 1
}
wait_box() {
    for _ in $(seq 100); do
        message_box && return 0
        kill -0 "$PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
answer_box() { # box-id
    xdotool windowfocus --sync "$1"
    xdotool key Return
    sleep 0.5
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
# has something to write) and confirms with Enter.
confirm_options() { # main-window-id
    xdotool windowfocus --sync "$1"
    xdotool key F7
    local dialog
    dialog=$(wait_window Options other) || { fail "F7 shows no options dialog"; return 1; }
    xdotool windowfocus --sync "$dialog"
    xdotool key Down
    sleep 0.3
    shot options
    xdotool key Return
    sleep 1
}
same_bytes() { cmp -s "$1" "$2" || fail "$3"; }

OPTIONS=$'[Options]\r\nPlayerName=Zed\r\nDealer=1\r\nSkillLevel=0\r\nBestOf=0\r\nAnimSpeed=0\r\n\r\n'
KEEP=$'[Keep]\r\nnote=mine\r\n'

# Damaged content: no box at start, no box at OK, and the other section survives.
damaged() { # bytes-file
    prepare
    cp "$1" "$DIR/brindletop.ini"
    cp "$1" "$ROOT/$CASE.before"
    start
    local main
    main=$(wait_window Brindletop) || { fail "no main window"; message_box && shot box; stop; return 1; }
    sleep 2.5
    shot started
    if message_box >/dev/null; then fail "a message box at start"; fi
    same_bytes "$DIR/brindletop.ini" "$ROOT/$CASE.before" "the file changed without OK"
    confirm_options "$main"
    if box=$(message_box); then shot ok-box; fail "a message box after OK"; answer_box "$box"; fi
    grep -q $'^BestOf=1\r$' "$DIR/brindletop.ini" || fail "OK did not save the new series length"
    grep -q $'^note=mine\r$' "$DIR/brindletop.ini" || fail "OK lost the [Keep] section"
    shot after-ok
    stop
}

case_garbage() {
    { head -c 4096 /dev/urandom | tr -d '\032'; printf '\n%s' "$OPTIONS"; head -c 300 /dev/urandom | tr -d '\032\n\r';
      printf '\n%s' "$KEEP"; head -c 2000 /dev/urandom | tr -d '\032'; } >"$ROOT/bytes"
    damaged "$ROOT/bytes"
}
case_long_line() {
    { printf '%s' "$OPTIONS" "$KEEP" "blob="; head -c 10485760 /dev/zero | tr '\0' x; printf '\r\n'; } >"$ROOT/bytes"
    damaged "$ROOT/bytes"
}
case_bom() {
    { printf '\xef\xbb\xbf'; printf '%s' "$OPTIONS" "$KEEP"; } >"$ROOT/bytes"
    damaged "$ROOT/bytes"
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
    local box main
    box=$(wait_box) || { fail "no message box at start"; stop; return 1; }
    shot start-box
    answer_box "$box"
    main=$(wait_window Brindletop) || { fail "no main window after the box"; stop; return 1; }
    sleep 2.5
    shot started
    xdotool windowfocus --sync "$main"
    xdotool key F7
    local dialog
    dialog=$(wait_window Options other) || { fail "F7 shows no options dialog"; stop; return 1; }
    xdotool windowfocus --sync "$dialog"
    xdotool key Return
    box=$(wait_box) || { fail "no message box at OK"; stop; return 1; }
    shot ok-box
    answer_box "$box"
    [[ -d "$DIR/brindletop.ini" && "$(cat "$DIR/brindletop.ini/inside")" == mine ]] ||
        fail "the folder was changed"
    shot after-ok
    stop
}

# A settings file the player may not write, in a folder the player may write.
case_read_only_file() {
    ((${#AS_PLAYER[@]})) || { echo "  skipped: needs root and setpriv"; return 0; }
    prepare
    printf '%s' "$OPTIONS" "$KEEP" >"$DIR/brindletop.ini"
    chown -R nobody:nogroup "$DIR"
    chmod 444 "$DIR/brindletop.ini"
    cp "$DIR/brindletop.ini" "$ROOT/$CASE.before"
    start player
    local main box
    main=$(wait_window Brindletop) || { fail "no main window"; stop; return 1; }
    sleep 2.5
    shot started
    confirm_options "$main"
    box=$(wait_box) || { fail "no message box at OK"; stop; return 1; }
    shot ok-box
    answer_box "$box"
    same_bytes "$DIR/brindletop.ini" "$ROOT/$CASE.before" "the read-only file changed"
    [[ "$(ls -A "$DIR" | sort | tr '\n' ' ')" == "HELP brindletop brindletop.ini " ]] ||
        fail "left behind: $(ls -A "$DIR" | tr '\n' ' ')"
    shot after-ok
    stop
}

# An installed copy: the program's folder belongs to root, so the settings go to the
# player's configuration folder, and the next start reads them from there.
case_read_only_folder() {
    ((${#AS_PLAYER[@]})) || { echo "  skipped: needs root and setpriv"; return 0; }
    prepare
    chmod 755 "$DIR"
    start player
    local main box
    main=$(wait_window Brindletop) || { fail "no main window"; stop; return 1; }
    sleep 2.5
    shot started
    confirm_options "$main"
    if box=$(message_box); then shot ok-box; fail "a message box after OK"; answer_box "$box"; fi
    stop
    local saved=$ROOT/$CASE-home/.config/Brindletop/brindletop.ini
    [[ -f "$saved" ]] || { fail "no settings file in the configuration folder: $(find "$ROOT/$CASE-home" -name '*.ini')"; return 1; }
    grep -q $'^PlayerName=Player\r$' "$saved" || fail "the saved file lacks the name"
    [[ ! -e "$DIR/brindletop.ini" ]] || fail "a settings file appeared beside the program"
    # The next start reads it: a name of its own shows on the scoreboard.
    sed -i 's/^PlayerName=Player/PlayerName=Saved/' "$saved"
    start player
    wait_window Brindletop >/dev/null || { fail "no main window at the second start"; stop; return 1; }
    sleep 2.5
    shot second-start
    stop
}

# F1 with the help file missing or damaged: a box captioned Brindletop, or the viewer.
help_case() { # how-to-damage
    prepare
    printf '%s' "$OPTIONS" >"$DIR/brindletop.ini"
    "$1"
    start
    local main box
    main=$(wait_window Brindletop) || { fail "no main window"; stop; return 1; }
    sleep 2.5
    before=$(xdotool search --onlyvisible --pid "$PID" --name '.' | sort)
    xdotool windowfocus --sync "$main"
    xdotool key F1
    sleep 2
    shot f1
    if box=$(message_box); then
        answer_box "$box"
        echo "  F1 answered with a message box"
    else
        after=$(xdotool search --onlyvisible --pid "$PID" --name '.' | sort)
        [[ "$before" != "$after" ]] || fail "F1 showed nothing and said nothing"
        echo "  F1 opened: $(comm -13 <(echo "$before") <(echo "$after") | xargs -r -n1 xdotool getwindowname)"
    fi
    kill -0 "$PID" 2>/dev/null || { fail "the program died on F1"; PID=; return 1; }
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
    "case_$CASE" || true
    [[ -z "$PID" ]] || stop || true
done

if ((${#FAILED[@]})); then
    printf 'FAILED: %s\n' "${FAILED[@]}"
    exit 1
fi
echo "bad input: every case passed; screenshots in $OUT"
