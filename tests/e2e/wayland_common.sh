# Sourced by the runs of the real program as a native Wayland client under Weston.
# Needs BUILD, OUT and LIMIT (seconds) set by the caller; gives:
#   start_weston ARG...   Weston on a socket of its own (XDG_RUNTIME_DIR made here)
#   start_game [ENV=VALUE...]   the program from a scratch copy, as a Wayland client
#   game_alive, fail TEXT, table_origin FILE (sets TX TY: the table's top-left corner)
# A watchdog leaves a screenshot ("hang") and ends the run when LIMIT passes, well
# before CTest's own timeout would end it without one. The caller defines shot NAME.

for tool in weston convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null ||
    { echo "SKIP: Qt's Wayland plugin is missing (qt6-wayland)"; exit 77; }

mkdir -p "$OUT"
RUN=$(mktemp -d)
export XDG_RUNTIME_DIR="$RUN/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# What the program keeps between runs (statistics, the series in progress) goes to the
# run's own data folder, never the user's.
export XDG_DATA_HOME="$OUT/data"
rm -rf "$XDG_DATA_HOME" # no run resumes an earlier run's series
SOCKET=brindletop-wayland
WESTON=
PID=
WATCHDOG=

cleanup() {
    [[ -n "$WATCHDOG" ]] && kill "$WATCHDOG" 2>/dev/null || true
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null || true
    [[ -n "$WESTON" ]] && kill "$WESTON" 2>/dev/null || true
    # The accessibility bus, where the caller started one (lib.sh).
    [[ -n "${E2E_BUS:-}" ]] && kill "$E2E_BUS" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$RUN"
}
trap cleanup EXIT
trap 'echo "E2E FAILED: no end within ${LIMIT}s" >&2; exit 1' USR1
trap 'exit 1' TERM

fail() {
    echo "E2E FAILED: $*" >&2
    shot failure || true
    echo "--- program log (tail)" >&2
    tail -n 20 "$OUT/program.log" >&2 || true
    # Inside $(...) or a pipeline, exit ends only that subshell: end the run itself.
    [[ $BASHPID != "$$" ]] && kill -TERM $$
    exit 1
}

# Slot rectangles' top-left corners on the table, slots 1 to 14; every card is 53 x 83.
SLOT_LEFT=(0 8 140 110 169 80 140 200 80 140 200 110 169 140 272)
SLOT_TOP=(0 232 8 96 96 184 184 184 272 272 272 360 360 448 232)
GREEN='#008000'

start_weston() {
    weston --socket="$SOCKET" --idle-time=0 "$@" >"$OUT/weston.log" 2>&1 &
    WESTON=$!
    for _ in $(seq 100); do
        [[ -S "$XDG_RUNTIME_DIR/$SOCKET" ]] && break
        kill -0 "$WESTON" 2>/dev/null || fail "Weston did not start"
        sleep 0.1
    done
    [[ -S "$XDG_RUNTIME_DIR/$SOCKET" ]] || fail "Weston opened no socket"
    # The shell's own clients (panel, background) come up after the socket.
    sleep 1
    # Its sleep goes with it: a sleep left behind would hold the test runner's output open.
    (
        trap 'kill "$nap" 2>/dev/null; exit 0' TERM
        sleep "$LIMIT" &
        nap=$!
        wait "$nap"
        shot hang
        kill -USR1 $$
    ) &
    WATCHDOG=$!
}

start_game() {
    cp "$BUILD/brindletop" "$RUN/"
    (cd "$RUN" && exec env WAYLAND_DISPLAY="$SOCKET" QT_QPA_PLATFORM=wayland "$@" ./brindletop) \
        >"$OUT/program.log" 2>&1 &
    PID=$!
}

game_alive() { kill -0 "$PID" 2>/dev/null; }

# The table is the one area of its green: the bounding box of that colour.
table_origin() {
    local w h
    read -r w h TX TY < <(convert "$1" -fill black +opaque "$GREEN" -trim \
        -format '%w %h %X %Y\n' info: 2>/dev/null) || return 1
    TX=${TX#+}
    TY=${TY#+}
    [[ "$w" == 344 && "$h" == 538 ]]
}

# How many of slots 1 to 13 hold a card in FILE: a card's white border at the middle of
# its left edge, where an empty slot shows the table.
cards_in_slots() {
    local s n=0 colour
    for s in $(seq 1 13); do
        colour=$(convert "$1" -crop "1x1+$((TX + SLOT_LEFT[s] + 2))+$((TY + SLOT_TOP[s] + 41))" \
            +repage -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1)
        [[ "$colour" =~ ^#F[0-9A-F]F[0-9A-F]F[0-9A-F]$ ]] && n=$((n + 1))
    done
    echo "$n"
}
