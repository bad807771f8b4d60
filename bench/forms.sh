#!/usr/bin/env bash
# Reading disk files of other forms: merge of one 1.25 MB PC-98 disk (77 x 2 x 8 x 1024 bytes)
# into a container, then of COUNT of them (default 1,000: about 1.26 GB) in one merge, against
# cat of the same files into one file. Inputs start in the page cache; each merge writes and
# flushes its container as every save does, so cat is followed by sync to compare like with like.
# Usage: [FORM=hdm|nfd|fdd] bench/forms.sh [COUNT] [ROUNDS]; BUILD names the build folder. FORM
# is the inputs' form: plain dumps (the default), NFD r0 files (written by the CLI itself) or
# FDD files (laid out here, which takes python3).
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
form=${FORM:-hdm}
count=${1:-1000}
rounds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-forms.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Distinct files, so that nothing can be shared between them.
mkdir "$work/in"
head -c 1261568 /dev/urandom >"$work/disk.hdm"
case $form in
hdm) cp "$work/disk.hdm" "$work/in/0000.hdm" ;;
nfd)
    "$cli" merge "$work/disk.d88" "$work/disk.hdm"
    "$cli" export "$work/disk.d88" 1 "$work/in/0000.nfd" --as nfd
    ;;
fdd)
    # Virtual98's layout: "VFD1.00", a map at 0xDC of 160 tracks of 26 entries of 12 bytes (C,
    # H, R, N, fill 0xFF, DDAM, MFM, 2HD, offset), the data from 0xC3FC.
    python3 - "$work/disk.hdm" "$work/in/0000.fdd" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
header = bytearray(0xC3FC)
header[0:7] = b'VFD1.00'
for i in range(160 * 26):
    header[0xDC + 12 * i] = 0xFF
for t in range(154):
    for s in range(8):
        entry = 0xDC + 12 * (t * 26 + s)
        offset = 0xC3FC + (t * 8 + s) * 1024
        header[entry:entry + 12] = bytes([t // 2, t % 2, s + 1, 3, 0xFF, 0, 1, 1]) + \
            struct.pack('<I', offset)
open(sys.argv[2], 'wb').write(bytes(header) + data)
PY
    ;;
*)
    echo "FORM must be hdm, nfd or fdd" >&2
    exit 2
    ;;
esac
for ((i = 1; i < count; i++)); do
    cp "$work/in/0000.$form" "$(printf '%s/in/%04d.%s' "$work" "$i" "$form")"
done
cat "$work/in"/*."$form" >/dev/null
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
    "$cli" merge "$work/one.d88" "$work/in/0000.$form"
    one=$(($(now_ms) - start))
    start=$(now_ms)
    "$cli" merge "$work/all.d88" "$work/in"/*."$form"
    all=$(($(now_ms) - start))
    test "$("$cli" list "$work/all.d88" | wc -l)" -eq "$count"
    rm -f "$work/all.d88" && sync
    start=$(now_ms)
    cat "$work/in"/*."$form" >"$work/all.cat"
    sync
    copy=$(($(now_ms) - start))
    printf '%-6s %12d %14d %14d\n' "$round" "$one" "$all" "$copy"
    ones+=("$one")
    alls+=("$all")
    cats+=("$copy")
done
printf '%-6s %12d %14d %14d\n' median "$(median "${ones[@]}")" "$(median "${alls[@]}")" \
    "$(median "${cats[@]}")"
