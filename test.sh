#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once as shipped, once more with the
# address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh

echo "== format check"
git ls-files '*.h' '*.cpp' | xargs -r clang-format --dry-run --Werror

echo "== translations check"
# Every text the sources show has a finished translation in every language.
scripts/translations.sh check

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACKWELL_WERROR=ON >/dev/null
cmake --build build -j2
echo "== tests"
ctest --test-dir build --output-on-failure -j2

echo "== release build"
# Built, not tested: the optimiser's inlining is where new compilers find new warnings.
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTRACKWELL_WERROR=ON >/dev/null
cmake --build build-release -j2

echo "== sanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTRACKWELL_SANITIZE=ON -DTRACKWELL_BENCH=OFF \
    -DTRACKWELL_WERROR=ON >/dev/null
cmake --build build-asan -j2
echo "== sanitizer tests"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2
./fuzz.sh 10
