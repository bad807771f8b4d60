# Sourced by run.sh and test.sh: installs the Debian packages the project needs, and only
# when one of them is missing.
TRACKWELL_PACKAGES=(
    cmake make ccache g++ clang libclang-rt-14-dev clang-format pkg-config dpkg-dev bc time
    libgtest-dev libgmock-dev libbenchmark-dev liblnk-dev libbfio-dev libicu-dev
    # The digests' rounds (rtl/Rtl_hashes.cpp) and the duplicate finder's hash.
    libssl-dev libdeflate-dev libxxhash-dev
    # The software lists and DAT files images are identified by, and MAME's own lists.
    libexpat1-dev mame-data
    # The audit's JSON report.
    nlohmann-json3-dev
    qt6-base-dev qt6-qpa-plugins libqt6svg6 qt6-l10n-tools qt6-translations-l10n
    desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
    xvfb xauth x11-utils xdotool openbox
    # floptool, a reader of disk images written by others, checks what the CLI writes.
    mame-tools
    # Independent makers and checkers of the FAT12 disks whose files the program changes.
    dosfstools mtools
    # bench/hash.sh's CRC-32 of a whole file, to compare the CLI's with.
    rhash
)
# Installs those of the given packages that are not installed; the other scripts use it too.
trackwell_install() {
    local package missing=() sudo=()
    for package in "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "== installing ${missing[*]}"
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends \
        "${missing[@]}"
}
trackwell_install "${TRACKWELL_PACKAGES[@]}"
