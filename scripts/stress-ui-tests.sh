#!/usr/bin/env bash
# Runs every window test several at once, for several rounds, in each build given: a test that
# takes a step before the window or dialog is ready for it passes on an idle machine and fails
# on a busy one, so the tests are made to share the cores on purpose.
#
#   scripts/stress-ui-tests.sh [--jobs N] [--rounds N] [--timeout SECONDS] [BUILD_DIR...]
#
# The tests are each build's QtTest programs (tests/App_*_test, on the offscreen platform) and
# the X test (tests/app/ui/window_x11_test.sh with the build's trackwell). The defaults come from
# STRESS_JOBS (4 copies at once), STRESS_ROUNDS (3), STRESS_TIMEOUT (300 s for one run) and
# STRESS_BUILDS ("build build-asan"). Each failed run is shown with its output; the exit status
# is 1 when any run failed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

jobs=${STRESS_JOBS:-4}
rounds=${STRESS_ROUNDS:-3}
limit=${STRESS_TIMEOUT:-300}
read -r -a builds <<<"${STRESS_BUILDS:-build build-asan}"
usage() {
    sed -n '6p' "$0" | sed 's/^#  *//' >&2
    exit 2
}
given=()
while [ $# -gt 0 ]; do
    case $1 in
    --jobs) jobs=${2:?}; shift 2 ;;
    --rounds) rounds=${2:?}; shift 2 ;;
    --timeout) limit=${2:?}; shift 2 ;;
    -h | --help) usage ;;
    -*) echo "unknown option $1" >&2; usage ;;
    *) given+=("$1"); shift ;;
    esac
done
[ ${#given[@]} -eq 0 ] || builds=("${given[@]}")
for number in "$jobs" "$rounds" "$limit"; do
    [[ $number =~ ^[1-9][0-9]*$ ]] || { echo "not a positive number: $number" >&2; usage; }
done

# What ctest and test.sh give the tests; the sanitizer options change nothing in a plain build.
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS=suppressions=$root/tests/app/ui/lsan.supp
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1

x_test=$root/tests/app/ui/window_x11_test.sh
sample=$root/tests/data/samples/fm77av-demo.d77
out=$(mktemp -d "${TMPDIR:-/tmp}/stress-ui.XXXXXX")
trap 'rm -rf "$out"' EXIT

runs=0
failures=0
# Starts the copies of one test together, waits for all of them, and shows each that failed.
stress() {
    local name=$1 folder=$2
    shift 2
    local round copy
    for round in $(seq "$rounds"); do
        local pids=()
        for copy in $(seq "$jobs"); do
            (cd "$folder" && exec timeout --kill-after=10 "$limit" "$@") \
                >"$out/$copy.log" 2>&1 &
            pids+=($!)
        done
        for copy in $(seq "$jobs"); do
            local status=0
            wait "${pids[copy - 1]}" || status=$?
            runs=$((runs + 1))
            [ "$status" -eq 0 ] && continue
            failures=$((failures + 1))
            local why="exit status $status"
            if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
                why="no end within $limit s"
            fi
            echo "FAIL: $name, round $round, copy $copy of $jobs: $why"
            sed 's/^/    /' "$out/$copy.log"
        done
    done
    echo "   $name: $rounds rounds of $jobs at once"
}

for build in "${builds[@]}"; do
    build=$(cd "$build" 2>/dev/null && pwd) || { echo "no build folder $build" >&2; exit 2; }
    programs=("$build"/tests/App_*_test)
    [ -x "${programs[0]}" ] || { echo "no window test programs in $build/tests" >&2; exit 2; }
    [ -x "$build/trackwell" ] || { echo "no $build/trackwell" >&2; exit 2; }
    echo "== window tests under load: $build"
    for program in "${programs[@]}"; do
        stress "$(basename "$program")" "$(dirname "$program")" "$program"
    done
    stress window_x11 "$build/tests" bash "$x_test" "$build/trackwell" "$sample"
done

echo "$runs runs, $failures failed"
[ "$failures" -eq 0 ]
