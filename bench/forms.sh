#!/usr/bin/env bash
# Reading plain sector dumps: merge of one 1.25 MB PC-98 dump (77 x 2 x 8 x 1024 bytes) into a
# container, then of COUNT of them (default 1,000: about 1.26 GB) in one merge, against cat of
# the same dumps into one file. Inputs start in the page cache; each merge writes and flushes
# its container as every save does, so cat is followed by sync to compare like with like.
# Usage: bench/forms.sh [COUNT] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
count=${1:-1000}
rounds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-forms.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Distinct dumps, so that nothing can be shared between them.
mkdir "$work/in"
head -c 1261568 /dev/urandom >"$work/in/0000.hdm"
for ((i = 1; i < count; i++)); do
    cp "$work/in/0000.hdm" "$(printf '%s/in/%04d.hdm' "$work" "$i")"
done
cat "$work/in"/*.hdm >/dev/null
sync

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ones=()
alls=()
cats=()
printf '%-6s %12s %14s %14s\n' round "1 dump ms" "$count dumps ms" "cat+sync ms"
for ((round = 1; round <= rounds; round++)); do
    rm -f "$work/one.d88" "$work/all.d88" "$work/all.cat" && sync
    start=$(now_ms)
    "$cli" merge "$work/one.d88" "$work/in/0000.hdm"
    one=$(($(now_ms) - start))
    start=$(now_ms)
    "$cli" merge "$work/all.d88" "$work/in"/*.hdm
    all=$(($(now_ms) - start))
    test "$("$cli" list "$work/all.d88" | wc -l)" -eq "$count"
    rm -f "$work/all.d88" && sync
    start=$(now_ms)
    cat "$work/in"/*.hdm >"$work/all.cat"
    sync
    copy=$(($(now_ms) - start))
    printf '%-6s %12d %14d %14d\n' "$round" "$one" "$all" "$copy"
    ones+=("$one")
    alls+=("$all")
    cats+=("$copy")
done
printf '%-6s %12d %14d %14d\n' median "$(median "${ones[@]}")" "$(median "${alls[@]}")" \
    "$(median "${cats[@]}")"
