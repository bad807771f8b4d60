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

# What a file manager asks: the type of a container by its name, in any case, from a MIME
# database that has only the system's types and ours.
data=$work/data
mkdir -p "$data/mime/packages"
cp "$prefix/share/mime/packages/"*.xml "$data/mime/packages/"
update-mime-database "$data/mime"
wanted=$(sed -n 's/^MimeType=\([^;]*\);.*/\1/p' "$desktop")
for name in GAME.D88 game.d77 game.88d; do
    cp "$sample" "$work/$name"
    type=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION \
        -u GNOME_DESKTOP_SESSION_ID XDG_DATA_HOME="$data" XDG_DATA_DIRS=/usr/share \
        xdg-mime query filetype "$work/$name")
    [ "$type" = "$wanted" ] || fail "$name is '$type', not the desktop entry's '$wanted'"
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
