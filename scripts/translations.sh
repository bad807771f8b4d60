#!/usr/bin/env bash
# The interface's translations, translations/trackwell_LANG.ts, against the sources.
#   scripts/translations.sh update   brings every .ts up to date with the texts in the sources
#                                    (a new text arrives unfinished, a removed one leaves)
#   scripts/translations.sh check    fails when a source text has no finished translation in
#                                    some language, or a translation no text any longer uses
# The window's texts are tr() calls in their classes' contexts; the core's are rtl::Tr and
# rtl::TrNoop, which lupdate is told to read as the "rtl" context's tr and QT_TR_NOOP.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
sources=(rtl support layout fs app)

run_lupdate() { # TS_FILE...
    "$lupdate" -silent -no-obsolete -locations none -tr-function-alias tr+=Tr,QT_TR_NOOP+=TrNoop \
        -extensions cpp,h "${sources[@]}" -ts "$@" 2> >(grep -v -e "lacks Q_OBJECT macro" -e "Qualifying with unknown namespace" >&2)
}

case ${1:-} in
update)
    run_lupdate translations/trackwell_*.ts
    ;;
check)
    work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-ts.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    status=0
    for ts in translations/trackwell_*.ts; do
        cp "$ts" "$work/"
        copy=$work/$(basename "$ts")
        run_lupdate "$copy"
        if ! cmp -s "$ts" "$copy"; then
            echo "$ts is not up to date with the sources; run scripts/translations.sh update:" >&2
            diff -u "$ts" "$copy" | head -40 >&2 || true
            status=1
        fi
        unfinished=$(grep -c 'type="unfinished"' "$copy" || true)
        if [ "$unfinished" -gt 0 ]; then
            echo "$ts: $unfinished texts have no finished translation:" >&2
            grep -B2 'type="unfinished"' "$copy" | grep '<source>' | head -20 >&2
            status=1
        fi
    done
    exit $status
    ;;
*)
    echo "usage: scripts/translations.sh update|check" >&2
    exit 2
    ;;
esac
