#!/usr/bin/env bash
# An audit of SIZE MB of containers (default 500): files of four PC-98 2HD images of random
# sectors each, every image of a size the list names, so that each is hashed; against sha1sum
# of the same files. The list is a DAT naming one of the images: the catalog costs nothing, the
# files' reading and hashing is what is measured. Everything starts in the page cache.
# Usage: bench/audit.sh [SIZE] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
size=${1:-500}
rounds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-audit.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir "$work/set"
dump=1261568
files=$(((size * 1048576 + 4 * dump - 1) / (4 * dump)))
for ((f = 1; f <= files; f++)); do
    for d in 1 2 3 4; do
        head -c $dump /dev/urandom >"$work/d$d.hdm"
    done
    "$cli" merge "$work/set/c$f.d88" "$work"/d1.hdm "$work"/d2.hdm "$work"/d3.hdm "$work"/d4.hdm
done
"$cli" extract "$work/set/c1.d88" 1 "$work/one.d88"
# The one-image file's own digests, which the catalog matches.
sha1=$(sha1sum "$work/one.d88" | cut -d' ' -f1)
crc=$(python3 -c "import zlib,sys; print('%08x' % zlib.crc32(open(sys.argv[1],'rb').read()))" "$work/one.d88")
bytes=$(stat -c %s "$work/one.d88")
cat >"$work/set.dat" <<DAT
<datafile><header><name>Bench</name></header><game name="one"><description>One</description>
<rom name="one.d88" size="$bytes" crc="$crc" sha1="$sha1"/></game></datafile>
DAT
cat "$work"/set/*.d88 >/dev/null

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
audits=()
sums=()
for ((round = 1; round <= rounds; round++)); do
    start=$(now_ms)
    "$cli" audit "$work/set" --list "$work/set.dat" --format tsv >"$work/audit.out" || true
    audit=$(($(now_ms) - start))
    start=$(now_ms)
    sha1sum "$work"/set/*.d88 >/dev/null
    sum=$(($(now_ms) - start))
    printf 'round %d: audit %d ms, sha1sum %d ms\n' "$round" "$audit" "$sum"
    audits+=("$audit")
    sums+=("$sum")
done
echo "found: $(grep -c '^disk' "$work/audit.out") disk line(s) of $((files * 4)) images"
echo "median: audit of $files files ($(du -sm "$work/set" | cut -f1) MB) $(median "${audits[@]}") ms;" \
    "sha1sum $(median "${sums[@]}") ms"
