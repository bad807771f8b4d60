#!/usr/bin/env bash
# Builds the whole project, tests included, in every build type a user or packager may choose,
# with GCC and with clang, warnings as errors: Release, RelWithDebInfo, Debug, and Debian's
# hardening flags (dpkg-buildflags). Each build goes to build-matrix/<compiler>-<type>.
# Usage: scripts/build-matrix.sh [JOBS [CONFIG...]], a CONFIG being e.g. clang-Release.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
jobs=${1:-2}
only=("${@:2}")
failed=()
for compiler in g++ clang++; do
    for type in Release RelWithDebInfo Debug Debian; do
        dir=build-matrix/${compiler%++}-$type
        if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" ${compiler%++}-$type "* ]]; then
            continue
        fi
        flags=()
        if [ "$type" = Debian ]; then
            flags=(-DCMAKE_BUILD_TYPE=None
                   "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
                   "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)")
        else
            flags=(-DCMAKE_BUILD_TYPE=$type)
        fi
        echo "== $compiler $type"
        if CXX=$compiler cmake -S . -B "$dir" -DTRACKWELL_WERROR=ON -DTRACKWELL_BENCH=ON \
               "${flags[@]}" >/dev/null &&
            cmake --build "$dir" -j"$jobs" -- -k >"$dir.log" 2>&1; then
            echo "   built without a warning"
        else
            echo "   FAILED, see $dir.log"
            failed+=("$compiler-$type")
        fi
    done
done
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}"; exit 1; }
