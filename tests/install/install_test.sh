#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree as a desktop would use it: the
# freedesktop validators, the MIME lookup a file manager makes, and the programs run from there.
# Usage: install_test.sh BUILD_DIR DATADIR_FROM_BINDIR APP_ID SAMPLE_CONTAINER
set -euo pipefail
build=$1 datadir_from_bindir=$2 id=$3 sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
# The AppStream file validated within the tree, which also finds its launchable's .desktop file.
appstreamcli validate-tree --no-net "$prefix" >"$work/appstream" ||
    { cat "$work/appstream" >&2; fail "appstreamcli validate-tree"; }
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "no icon $icon.svg for the desktop entry"

# What a file manager asks: the type of a disk file by its name, in any case, or by its
# signature when the name tells nothing, from a MIME database that has only the system's types
# and ours. The desktop entry must name each type, or Trackwell is not offered for the file.
data=$work/data
mkdir -p "$data/mime/packages"
cp "$prefix/share/mime/packages/"*.xml "$data/mime/packages/"
update-mime-database "$data/mime"
offered=";$(sed -n 's/^MimeType=//p' "$desktop")"
# A name the shared database has a type for already would have two, and which one a file
# manager shows would be chance: such names are left to the shared type.
shared_globs=$(cut -d: -f3 /usr/share/mime/globs2 | tr '[:upper:]' '[:lower:]')
while read -r pattern; do
    if grep -qxF -- "${pattern,,}" <<<"$shared_globs"; then
        fail "$pattern has a shared type already"
    fi
done < <(sed -n 's/.*<glob pattern="\([^"]*\)".*/\1/p' "$data/mime/packages/$id.xml")
files=$work/files
mkdir "$files"
type_of() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION \
        -u GNOME_DESKTOP_SESSION_ID XDG_DATA_HOME="$data" XDG_DATA_DIRS=/usr/share \
        xdg-mime query filetype "$files/$1"
}
expect() {
    local name=$1 wanted=$2 type
    type=$(type_of "$name")
    [ "$type" = "$wanted" ] || fail "$name is '$type', not '$wanted'"
    [[ $offered == *";$wanted;"* ]] || fail "the desktop entry does not name $wanted ($name)"
}
# 256 bytes, zero but for the signature (printf %b escapes) at the offset: all the file a
# lookup by content reads.
signed() {
    local name=$1 offset=$2 signature=$3
    { head -c "$offset" /dev/zero; printf '%b' "$signature"; } >"$files/$name"
    truncate -s 256 "$files/$name"
}

for name in GAME.D88 game.d77 game.88d Game.D68 game.d98; do
    cp "$sample" "$files/$name"
    expect "$name" application/x-d88-disk-image
done
# These forms have no signature; the bytes are those of a blank disk.
for name in GAME.HDM game.xdf game.2hd game.2DD game.dd game.dsk Game.Ima; do
    truncate -s 4096 "$files/$name"
    expect "$name" application/x-floppy-sector-dump
done
# By name alone; for the forms with a signature too, so that a damaged file is still offered
# to Trackwell, which tells what is wrong with it.
for named in game.img=application/x-raw-disk-image GAME.FDI=application/x-anex86-fdi-disk-image \
    game.dcp=application/x-dcp-disk-image GAME.DCU=application/x-dcp-disk-image \
    Game.Dim=application/x-difc-dim-disk-image GAME.NFD=application/x-nfd-disk-image \
    game.fdd=application/x-virtual98-fdd-disk-image GAME.DIP=application/x-dip-disk-image; do
    truncate -s 4096 "$files/${named%%=*}"
    expect "${named%%=*}" "${named#*=}"
done

signed nfd-r0 0 'T98FDDIMAGE.R0\0'
signed nfd-r1 0 'T98FDDIMAGE.R1\0'
signed vfd 0 'VFD1.00\0'
signed dip 0 '\x01\x08\x00\x13\x41\x00\x01\x00'
signed difc 171 'DIFC HEADER  '
expect nfd-r0 application/x-nfd-disk-image
expect nfd-r1 application/x-nfd-disk-image
expect vfd application/x-virtual98-fdd-disk-image
expect dip application/x-dip-disk-image
expect difc application/x-difc-dim-disk-image
# The signatures are found where the forms put them only, not anywhere near the start.
signed difc-at-0 0 'DIFC HEADER  '
signed vfd-at-1 1 'VFD1.00\0'
for name in difc-at-0 vfd-at-1; do
    type=$(type_of "$name")
    [[ $offered != *";$type;"* ]] || fail "$name, no disk file, is $type"
done

"$prefix/bin/trackwell-cli" --help >/dev/null || fail "installed trackwell-cli --help"
version=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/trackwell" --version) ||
    fail "installed trackwell --version"
[[ $version == trackwell\ * ]] || fail "trackwell --version printed '$version'"

# The editor takes its data files from this folder relative to its own when they are not beside
# it (ChooseProgramDataFileName); nothing of them may be beside it, or that copy would be used.
for file in Presets.dat Help/index.html; do
    [ -f "$prefix/bin/$datadir_from_bindir/$file" ] || fail "$file is not where the editor looks"
    [ ! -e "$prefix/bin/$file" ] || fail "$file is installed beside the program"
done

[ "$failures" -eq 0 ] && echo "installed tree checked"
exit "$failures"
