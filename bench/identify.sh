#!/usr/bin/env bash
# Identifying images: identify of a one-image container, which is the reading of MAME's floppy
# lists (mame-data) and little else, against Python's expat reading the same lists with a
# callback; then identify of a container of COUNT 1.25 MB images (default 1,000) against
# sha1sum of the same container. Everything starts in the page cache.
# Usage: bench/identify.sh [COUNT] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
count=${1:-1000}
rounds=${2:-3}
hash_folder=/usr/share/games/mame/hash
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-identify.XXXXXX")
trap 'rm -rf "$work"' EXIT

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

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Exit status 1 says that an image is in no list, which is what random disks are.
identify() { "$cli" identify "$@" >/dev/null || [ $? -eq 1 ]; }

lists=()
pythons=()
alls=()
shas=()
printf '%-6s %10s %12s %16s %14s\n' round "lists ms" "python ms" "$count images ms" "sha1sum ms"
for ((round = 1; round <= rounds; round++)); do
    start=$(now_ms)
    identify "$work/one.d88"
    list=$(($(now_ms) - start))
    start=$(now_ms)
    python3 - "$hash_folder" <<'PY'
import glob, sys, xml.parsers.expat
for name in sorted(glob.glob(sys.argv[1] + '/*.xml')):
    data = open(name, 'rb').read()
    if b'interface="floppy' in data or b'_flop"' in data:
        parser = xml.parsers.expat.ParserCreate()
        parser.StartElementHandler = lambda tag, attributes: None
        parser.Parse(data, True)
PY
    python=$(($(now_ms) - start))
    start=$(now_ms)
    identify "$work/all.d88"
    all=$(($(now_ms) - start))
    start=$(now_ms)
    sha1sum "$work/all.d88" >/dev/null
    sha=$(($(now_ms) - start))
    printf '%-6s %10d %12d %16d %14d\n' "$round" "$list" "$python" "$all" "$sha"
    lists+=("$list")
    pythons+=("$python")
    alls+=("$all")
    shas+=("$sha")
done
printf '%-6s %10d %12d %16d %14d\n' median "$(median "${lists[@]}")" "$(median "${pythons[@]}")" \
    "$(median "${alls[@]}")" "$(median "${shas[@]}")"
