#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once as shipped, once more with the
# address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
# ccache (where CMake finds it) serves a clone in another folder what an earlier run compiled:
# paths below the clone count relative to it, and the folder a compiler ran in not at all.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

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

echo "== test programs run whole, shuffled"
# CTest runs every test in a process of its own, while a developer runs a program whole: there a
# test that leans on what another left behind fails, in some order. Three shuffled rounds.
for program in build/tests/trackwell_core_tests build/tests/trackwell_cli_tests; do
    "$program" --gtest_shuffle --gtest_repeat=3 --gtest_brief=1
done

if [ "$(id -u)" -eq 0 ]; then
    echo "== core and CLI tests as an unprivileged user"
    # Root may write every file, so the refusals of files the user may not replace are never
    # taken as root; the same programs again as nobody, with a temporary folder of its own.
    unprivileged=(setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all)
    # The tests read the samples and the programs by absolute path, which nobody reaches only when
    # every folder above the clone lets it through: a relative path from inside the clone would
    # pass where the tests then fail.
    if ! "${unprivileged[@]}" test -x "$PWD/build/tests/trackwell_core_tests" -a \
        -x "$PWD/build/trackwell-cli" -a -r "$PWD/tests/data/samples/fm77av-demo.d77"; then
        # The refusal itself is also checked by a test that drops its privileges in a child.
        echo "skipped: nobody cannot reach $PWD (clone the project where any user may read it)"
    else
        scratch=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-nobody.XXXXXX")
        chown nobody "$scratch"
        for program in build/tests/trackwell_core_tests build/tests/trackwell_cli_tests; do
            "${unprivileged[@]}" env TMPDIR="$scratch" HOME="$scratch" "$program" --gtest_brief=1
        done
        rm -rf "$scratch"
    fi
fi

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
echo "== window tests under load"
# Four copies of each window test at once, three rounds, in the plain and the sanitizer build:
# a test that leans on timing fails here rather than on a busy CI machine.
scripts/stress-ui-tests.sh --rounds 3 build build-asan
./fuzz.sh 10
