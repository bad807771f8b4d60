# Sourced by run.sh and test.sh: installs the Debian packages the project needs, and only
# when one of them is missing.
TRACKWELL_PACKAGES=(
    cmake make g++ clang libclang-rt-14-dev clang-format pkg-config dpkg-dev bc time
    libgtest-dev libgmock-dev libbenchmark-dev liblnk-dev libbfio-dev libicu-dev
    qt6-base-dev qt6-qpa-plugins
)
trackwell_missing=()
for package in "${TRACKWELL_PACKAGES[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || trackwell_missing+=("$package")
done
if [ ${#trackwell_missing[@]} -gt 0 ]; then
    echo "== installing ${trackwell_missing[*]}"
    trackwell_sudo=()
    [ "$(id -u)" -eq 0 ] || trackwell_sudo=(sudo)
    "${trackwell_sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${trackwell_sudo[@]}" apt-get install -y --no-install-recommends \
        "${trackwell_missing[@]}"
fi
unset trackwell_missing trackwell_sudo package
