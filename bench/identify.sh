#!/usr/bin/env bash
# Identifying images, with a cache folder of the run's own. For a one-image container: identify
# with no index, which reads MAME's floppy lists (mame-data) and writes the index, against
# Python's expat merely counting the roms of the same lists; identify with the index, against
# list of the same file, the goal being at most 4 times list's time. Then identify of a
# container of COUNT 1.25 MB images (default 1,000) against sha1sum of the same container.
# Everything starts in the page cache; the short commands are timed as the mean of REPEAT runs
# (default 20).
# Usage: bench/identify.sh [COUNT] [ROUNDS] [REPEAT]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
count=${1:-1000}
rounds=${2:-3}
repeat=${3:-20}
hash_folder=/usr/share/games/mame/hash
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-identify.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache

"$cli" blank "$work/one.d88" 2D 40 2 16 1
head -c 1261568 /dev/urandom >"$work/disk.hdm"
"$cli" merge "$work/disk.d88" "$work/disk.hdm"
inputs=()
for ((i = 0; i < count; i++)); do
    inputs+=("$work/disk.d88")
done
# Images alike but for their names, each a file of its own to identify.
"$cli" merge "$work/all.d88" "${inputs[@]}"
cat "$work/all.d88" "$hash_folder"/*.xml >/dev/null

now_us() { echo $(($(date +%s%N) / 1000)); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
# Exit status 1 says that an image is in no list, which is what random disks are.
identify() { "$cli" identify "$@" >/dev/null || [ $? -eq 1 ]; }
# The mean time of repeat runs of a command, in microseconds.
mean_us() {
    local start i
    start=$(now_us)
    for ((i = 0; i < repeat; i++)); do
        "$@"
    done
    echo $((($(now_us) - start) / repeat))
}
listing() { "$cli" list "$@" >/dev/null; }

colds=()
pythons=()
warms=()
lists=()
alls=()
shas=()
printf '%-6s %9s %10s %9s %9s %7s %16s %11s\n' round "cold ms" "python ms" "warm ms" "list ms" \
    warm/list "$count images ms" "sha1sum ms"
row() {
    printf '%-6s %9s %10s %9s %9s %7s %16s %11s\n' "$1" "$(ms "$2")" "$(ms "$3")" "$(ms "$4")" \
        "$(ms "$5")" "$(awk -v w="$4" -v l="$5" 'BEGIN { printf "%.1f", w / l }')" "$(ms "$6")" \
        "$(ms "$7")"
}
for ((round = 1; round <= rounds; round++)); do
    rm -rf "$XDG_CACHE_HOME"
    start=$(now_us)
    identify "$work/one.d88"
    cold=$(($(now_us) - start))
    start=$(now_us)
    python3 - "$hash_folder" <<'PY'
import glob, sys, xml.parsers.expat
roms = 0
def start(tag, attributes):
    global roms
    if tag == 'rom':
        roms += 1
for name in sorted(glob.glob(sys.argv[1] + '/*.xml')):
    data = open(name, 'rb').read()
    if b'interface="floppy' in data or b'_flop"' in data:
        parser = xml.parsers.expat.ParserCreate()
        parser.StartElementHandler = start
        parser.Parse(data, True)
PY
    python=$(($(now_us) - start))
    warm=$(mean_us identify "$work/one.d88")
    list=$(mean_us listing "$work/one.d88")
    start=$(now_us)
    identify "$work/all.d88"
    all=$(($(now_us) - start))
    start=$(now_us)
    sha1sum "$work/all.d88" >/dev/null
    sha=$(($(now_us) - start))
    row "$round" "$cold" "$python" "$warm" "$list" "$all" "$sha"
    colds+=("$cold")
    pythons+=("$python")
    warms+=("$warm")
    lists+=("$list")
    alls+=("$all")
    shas+=("$sha")
done
row median "$(median "${colds[@]}")" "$(median "${pythons[@]}")" "$(median "${warms[@]}")" \
    "$(median "${lists[@]}")" "$(median "${alls[@]}")" "$(median "${shas[@]}")"
