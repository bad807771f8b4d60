#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the Release configuration with
# Debian's hardening flags, runs CPack and lintian, and prints the path of the .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
trackwell_install lintian dpkg-dev

dir=build-package
# Every hardening flag Debian knows, bindnow included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
echo "== build ($dir)"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTRACKWELL_BENCH=OFF \
    "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
# Only what the package holds: the tests are ./test.sh's business.
cmake --build "$dir" -j2 --target trackwell trackwell-cli

echo "== cpack"
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$dir"/trackwell_*.deb | head -n 1)

echo "== lintian"
# lintian's exit code says whether it found errors; its warnings are printed all the same.
lintian --info --display-info "$deb"

echo "== package"
realpath "$deb"
