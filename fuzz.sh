#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and fuzzes each for SECONDS (default 60)
# from the seed corpus in tests/fuzz/corpus, then replays every kept crash in
# tests/fuzz/regressions. Exits non-zero when any target crashes.
#
#   ./fuzz.sh [SECONDS [TARGET...]]
#
# The seeds are copied into build-fuzz first: what a run discovers stays there and never grows
# the committed corpus. A crash leaves its input in build-fuzz/fuzz-run/<target>/; once
# understood it belongs in tests/fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")"

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SECONDS [TARGET...]]" >&2
    exit 2
fi

source scripts/install-deps.sh

targets=(fuzz_d88 fuzz_inifile fuzz_presets fuzz_shelllink fuzz_strings fuzz_diskformats fuzz_diskcheck
    fuzz_disklayout fuzz_pc98forms fuzz_softwarelists fuzz_filesystems fuzz_softwareindex
    fuzz_sectormap)
if [ $# -gt 1 ]; then
    targets=("${@:2}")
fi
build=build-fuzz
run_root=$build/fuzz-run

echo "== fuzz build"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTRACKWELL_BENCH=OFF -DTRACKWELL_SANITIZE=OFF \
    -DTRACKWELL_FUZZ=ON >/dev/null
cmake --build "$build" -j2

# The targets that write files put them under TMPDIR: a memory file system keeps the syncs of
# every saved file cheap, and the trap removes what a crashed target leaves behind.
tmp_base=/tmp
[ -w /dev/shm ] && tmp_base=/dev/shm
TMPDIR=$(mktemp -d "$tmp_base/trackwell-fuzz.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
limits=(-rss_limit_mb=2048 -timeout=10)
# Options of single targets, for the fuzzing runs only: a replay reads each kept input whole.
# Left to itself libFuzzer lets inputs grow to the largest seed's size (4 KiB at least), and a
# whole disk among the seeds makes every input of a disk target cost milliseconds; 32 KiB holds
# a DIM file with a few tracks of its smallest geometry (256 + 7,680 bytes each) and small
# containers.
declare -A target_options=(
    [fuzz_diskformats]="-max_len=32768"
    [fuzz_diskcheck]="-max_len=32768"
    [fuzz_disklayout]="-max_len=32768"
    [fuzz_sectormap]="-max_len=32768"
    # An NFD r0 header is 68,112 bytes and an FDD one 50,172: inputs must reach past them.
    [fuzz_pc98forms]="-max_len=131072"
    # Patches of a formatted disk: enough for a boot sector, tables and a directory at once.
    [fuzz_filesystems]="-max_len=32768"
)

failed=()
summary=()
for target in "${targets[@]}"; do
    binary=$build/tests/fuzz/$target
    work=$run_root/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp -R "tests/fuzz/corpus/$target/." "$work/corpus/"
    regressions=tests/fuzz/regressions/$target
    extra=()
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        extra=("$regressions")
    fi

    read -r -a options <<<"${target_options[$target]:-}"

    echo "== fuzz $target for ${seconds}s"
    status=0
    "$binary" "${limits[@]}" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "${extra[@]}" \
        >"$work/fuzz.log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)
    if [ -z "$executions" ]; then
        executions=$(sed -n 's/^#\([0-9]*\)[[:space:]]*DONE.*/\1/p' "$work/fuzz.log" | tail -n 1)
    fi
    if [ "$status" -ne 0 ]; then
        echo "!! $target crashed (exit $status); log: $work/fuzz.log"
        grep -E '^(fuzz: |==[0-9]+==ERROR|SUMMARY|    #[0-9]+ )|Test unit written|runtime error' \
            "$work/fuzz.log" | grep -v -E 'fuzzer::|libc\.so|libc_start|in _start' |
            head -n 40 || true
        failed+=("$target (fuzzing)")
    fi
    summary+=("$(printf '%-16s %12s executions in %ss%s' "$target" "${executions:-?}" \
        "$seconds" "$([ "$status" -ne 0 ] && echo ', CRASHED' || true)")")

    if [ ${#extra[@]} -gt 0 ]; then
        echo "== replay $regressions"
        status=0
        "$binary" "${limits[@]}" "$regressions"/* >"$work/replay.log" 2>&1 || status=$?
        if [ "$status" -ne 0 ]; then
            echo "!! $target fails a kept regression input (exit $status); log: $work/replay.log"
            grep -E '^(Running: |fuzz: |==[0-9]+==ERROR|SUMMARY|    #[0-9]+ )|runtime error' \
                "$work/replay.log" | grep -v -E 'fuzzer::|libc\.so|libc_start|in _start' |
                head -n 40 || true
            failed+=("$target (regressions)")
        fi
    fi
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing failed: ${failed[*]}"
    exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets"
