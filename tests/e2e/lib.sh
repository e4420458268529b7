# Shared by the whole-program scripts (sourced, never run): the program's windows and
# texts read through its accessibility interface, waits with deadlines, and the run's own
# deadline, and the run's start. The caller sets BUILD, OUT and LIMIT before it sources
# this file.

E2E_DIR=$(dirname "$(realpath "${BASH_SOURCE[0]}")")
# What the program keeps between runs (statistics, the series in progress) goes to the
# run's own data folder, never the user's.
export XDG_DATA_HOME="$OUT/data"
A11Y_BUS=/usr/libexec/at-spi-bus-launcher


# Exits with 77 (skipped) when a tool of the runs is missing.
e2e_need_tools() {
    local tool
    for tool in Xvfb xdotool import dbus-run-session "$A11Y_BUS" setpriv; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
    done
    /usr/bin/python3 -c 'import dbus' 2>/dev/null || { echo "SKIP: python3-dbus is missing"; exit 77; }
}

# Starts the session's accessibility bus; programs started with A11Y_ENV show themselves
# on it.
A11Y_ENV=(QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
e2e_start_a11y() { # log-file
    "$A11Y_BUS" --launch-immediately >"$1" 2>&1 &
    E2E_BUS=$!
}

# Ends the whole run after LIMIT seconds with a screenshot (SHOT) of what the screen
# showed, the program (whose id the caller keeps in the file PID_FILE) killed first.
e2e_deadline() { # limit shot pid-file
    local script=$$
    (
        # The sleep must not hold the run's output open: CTest waits for it to close.
        sleep "$1" </dev/null >/dev/null 2>&1
        echo "FAILED: not done within $1 s; screenshot $2" >&2
        import -window root "$2"
        [[ -s "$3" ]] && kill "$(cat "$3")" 2>/dev/null
        kill "$script"
    ) &
    E2E_WATCH=$!
}
e2e_stop_helpers() {
    [[ -n "${E2E_WATCH:-}" ]] && kill "$E2E_WATCH" 2>/dev/null
    [[ -n "${E2E_BUS:-}" ]] && kill "$E2E_BUS" 2>/dev/null
    return 0
}

shot() { import -window root "$OUT/$1.png"; }
fail() {
    echo "E2E FAILED: $*" >&2
    shot failure || true
    # Inside $(...) or a pipeline, exit ends only that subshell: end the run itself.
    [[ $BASHPID != "$$" ]] && kill -TERM $$
    exit 1
}

# The start of a run of the calling script (its arguments ARGS): the first time through,
# clears OUT of an earlier run's screenshots and data and runs the script again on a
# display of its own in a D-Bus session. Then makes the scratch folder RUN, sets the run's
# deadline of LIMIT seconds and starts the accessibility bus. Whatever the caller starts
# and adds to E2E_PIDS ends with the run, the program (PID) last.
e2e_begin() { # args...
    if [[ -z "${BT_E2E_DISPLAY:-}" ]]; then
        mkdir -p "$OUT"
        rm -f "$OUT"/*.png
        rm -rf "$XDG_DATA_HOME" # the statistics and the series of an earlier run
        BT_E2E_DISPLAY=1 exec "$E2E_DIR/../../scripts/with-display" -- dbus-run-session -- \
            "$0" "$@"
    fi
    RUN=$(mktemp -d)
    PID=
    E2E_PIDS=()
    trap e2e_end EXIT
    trap 'exit 1' TERM
    # A hang anywhere ends the run with a screenshot of what the screen showed.
    e2e_deadline "$LIMIT" "$OUT/timeout.png" "$RUN/pid"
    e2e_start_a11y "$OUT/a11y-bus.log"
}
e2e_end() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    e2e_stop_helpers
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null || true
    rm -rf "$RUN"
}

# Starts the program from a copy in RUN with a settings file of its own: Ann plays one game
# at Rookie with fast cards, and the computer deals, so the player moves first.
e2e_start_program() {
    cp "$BUILD/brindletop" "$RUN/"
    [[ -d "$BUILD/HELP" ]] && cp -r "$BUILD/HELP" "$RUN/"
    printf '[Options]\nPlayerName=Ann\nDealer=0\nSkillLevel=0\nBestOf=0\nAnimSpeed=0\n' \
        >"$RUN/brindletop.ini"
    (cd "$RUN" && exec env "${A11Y_ENV[@]}" ./brindletop) >"$OUT/program.log" 2>&1 &
    PID=$!
    echo "$PID" >"$RUN/pid"
}

# One read through the accessibility bus (tests/e2e/a11y.py); status 1 when nothing matched.
# A read that fails (the bus or the program does not answer) is tried again, and failing
# three times it fails the run: an unread window must never pass for an empty one.
a11y() {
    local try status=0 out err
    err=$(mktemp)
    for try in 1 2 3; do
        status=0
        out=$(timeout 20 "$E2E_DIR/a11y.py" "$@" 2>"$err") || status=$?
        if ((status <= 1)); then
            rm -f "$err"
            [[ -z $out ]] || printf '%s\n' "$out"
            return "$status"
        fi
        sleep 0.2
    done
    local why
    why=$(tail -n 2 "$err")
    rm -f "$err"
    fail "reading '$*' through the accessibility bus failed $try times (status $status): $why"
}
# Titles of the program's windows on screen, one a line.
titles() { a11y windows | cut -f2 || true; }
# The texts a window shows, joined by single blanks; with a role, only those of that role.
texts() { # title [role]
    a11y texts "$1" | awk -F'\t' -v role="${2:-}" 'role == "" || $1 == role { print $2 }' |
        tr '\n' ' ' | tr -s ' ' | sed 's/ $//' || true
}
# The scoreboard as the player reads it, e.g. "Computer 0 Ann 0 20:00 Period 1".
board() { texts Brindletop label; }

# Polls COMMAND until it succeeds; calls fail with WHAT after SECONDS, or at once when the
# program has ended.
wait_for() { # seconds what command...
    local seconds=$1 what=$2 end
    shift 2
    end=$((SECONDS + seconds))
    until "$@"; do
        if ((SECONDS >= end)); then
            fail "$what (waited $seconds s; windows: $(titles | tr '\n' '|'); scoreboard: $(board))"
            return 1
        fi
        if ! kill -0 "$PID" 2>/dev/null; then
            fail "the program ended while waiting: $what"
            return 1
        fi
        sleep 0.1
    done
}
