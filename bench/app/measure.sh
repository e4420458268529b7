#!/usr/bin/env bash
# The program's figures beside the floor's (bench/README.md, section "Application"):
# start-up to the mapped window, resident memory after the first deal, CPU during the
# first deal, CPU while waiting for the player's click, and the real tick period and
# tick cost of card moves. Each run measures both programs under one virtual X display;
# the summary gives the median over the runs. The load average is recorded with every
# run, because every figure here moves with the machine's load.
#
#   bench/app/measure.sh [BUILD_DIR] [RUNS] [OUT_DIR]     (defaults: build-release, 5,
#                                                         /tmp/bt-measure)
# BUILD_DIR must hold brindletop, HELP/ and bench/{bt_floor,bt_map_timer,app_tick_bench};
# build it in Release. Needs Xvfb and python3.
set -euo pipefail

BUILD=$(realpath "${1:-build-release}")
RUNS=${2:-5}
OUT=$(realpath -m "${3:-/tmp/bt-measure}")

if [[ -z "${BT_MEASURE_DISPLAY:-}" ]]; then
    mkdir -p "$OUT"
    BT_MEASURE_DISPLAY=1 exec "$(dirname "$0")/../../scripts/with-display" -- "$0" "$BUILD" "$RUNS" "$OUT"
fi

HZ=$(getconf CLK_TCK)
RUN=$(mktemp -d)
PID=
cleanup() {
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null || true
    rm -rf "$RUN"
}
trap cleanup EXIT

cp "$BUILD/brindletop" "$RUN/"
cp -r "$BUILD/HELP" "$RUN/"
cp "$BUILD/bench/bt_floor" "$RUN/"
# The computer deals, so after the deal the program waits for the player's click.
# Medium speed, as a first run has it.
printf '[Options]\r\nPlayerName=Ann\r\nDealer=0\r\nSkillLevel=0\r\nBestOf=0\r\nAnimSpeed=1\r\n\r\n' \
    >"$RUN/brindletop.ini"

load() { cut -d' ' -f1 /proc/loadavg; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# Milliseconds of CPU between two tick counts, as a percentage of the wall time.
share() { python3 -c "print(f'{100.0 * ($2 - $1) / $HZ / $3:.2f}')"; }

CSV="$OUT/runs.csv"
echo "run,program,load,mapped_ms,rss_mib,deal_cpu_pct,idle_cpu_pct,idle_ticks" >"$CSV"

measure() { # run title program
    local run=$1 title=$2 program=$3 line mapped c0 c1 c2 rss l
    l=$(load)
    line=$(cd "$RUN" && "$BUILD/bench/bt_map_timer" "$title" "./$program")
    mapped=$(sed -n 's/.*mapped_ms=\([0-9.]*\).*/\1/p' <<<"$line")
    PID=$(sed -n 's/.*pid=\([0-9]*\).*/\1/p' <<<"$line")
    # The deal runs during the first seconds after the window appears.
    sleep 0.5
    c0=$(cpu_ticks "$PID")
    sleep 1.5
    c1=$(cpu_ticks "$PID")
    sleep 2
    rss=$(rss_kib "$PID")
    c1b=$(cpu_ticks "$PID")
    sleep 10
    c2=$(cpu_ticks "$PID")
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
    printf '%s,%s,%s,%s,%.1f,%s,%s,%s\n' "$run" "$program" "$l" "$mapped" \
        "$(python3 -c "print($rss / 1024)")" "$(share "$c0" "$c1" 1.5)" \
        "$(share "$c1b" "$c2" 10)" "$((c2 - c1b))" >>"$CSV"
}

for run in $(seq "$RUNS"); do
    measure "$run" Floor bt_floor
    measure "$run" Brindletop brindletop
    echo "run $run (load $(load))" >>"$OUT/ticks.txt"
    "$BUILD/bench/app_tick_bench" 200 20 >>"$OUT/ticks.txt" 2>/dev/null
    tail -n +2 "$CSV" | tail -2
done

python3 - "$CSV" "$OUT/ticks.txt" <<'PY'
import csv, re, statistics, sys
rows = list(csv.DictReader(open(sys.argv[1])))
def med(program, key):
    return statistics.median(float(r[key]) for r in rows if r["program"] == program)
print(f"runs: {len(rows) // 2}, load average per run: "
      + " ".join(r["load"] for r in rows if r["program"] == "brindletop"))
print(f"{'median':28} {'floor':>9} {'brindletop':>11} {'difference':>11}")
for key, name in [("mapped_ms", "window mapped (ms)"), ("rss_mib", "VmRSS after deal (MiB)"),
                  ("deal_cpu_pct", "CPU during deal (%)"), ("idle_cpu_pct", "CPU idle 10 s (%)")]:
    f, b = med("bt_floor", key), med("brindletop", key)
    print(f"{name:28} {f:9.2f} {b:11.2f} {b - f:11.2f}")
text = open(sys.argv[2]).read()
for what in ["period", "tick cost"]:
    meds = [float(m) for m in re.findall(rf"^{what}\s.*?median ([0-9.]+)", text, re.M)]
    p99s = [float(m) for m in re.findall(rf"^{what}\s.*?p99 ([0-9.]+)", text, re.M)]
    if meds:
        print(f"{what:12} median of medians {statistics.median(meds):.3f} ms, "
              f"median of p99 {statistics.median(p99s):.3f} ms (runs: {len(meds)})")
cpus = [float(m) for m in re.findall(r"cpu while moving: ([0-9.]+)%", text)]
if cpus:
    print(f"CPU while cards move (tick bench): median {statistics.median(cpus):.1f}% of one core")
PY
