#!/bin/bash
# Runs every test: native unit tests (sanitizers), the same unit tests and the Win32
# tests under Wine, and the end-to-end scenarios. Installs what the machine lacks first.
# Ends with one line "tests: N passed, N failed".
set -u
cd "$(dirname "$0")/.."
REPO="$(pwd)"
if [ "$(id -u)" = 0 ]; then ./tools/install-deps.sh; fi

passed=0
failed=0
count() {  # name, exit code
    if [ "$2" = 0 ]; then passed=$((passed + 1)); echo "== $1: passed"
    else failed=$((failed + 1)); echo "== $1: FAILED"; fi
}

build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j 2
}

build native; count "native build" $?
ctest --test-dir build/native --output-on-failure; count "native unit tests" $?

build mingw; count "Windows build" $?

source tools/wine/env.sh
kelvo_wine_env
kelvo_start_xvfb
kelvo_base_prefix

# The Win32 tests get a prefix of their own, with drive Q: mapped to an empty folder.
W32="$KELVO_WINE_ROOT/scenarios/win32-tests"
kelvo_new_prefix "$W32" winxp
mkdir -p "$KELVO_WINE_ROOT/empty-drive"
ln -sfn "$KELVO_WINE_ROOT/empty-drive" "$W32/dosdevices/q:"
WINEPREFIX="$W32" timeout 600 wine build/mingw/unit_tests.exe; count "unit tests under Wine" $?
WINEPREFIX="$W32" timeout 600 wine build/mingw/win32_tests.exe; count "Win32 tests under Wine" $?
kelvo_end_prefix "$W32"
rm -rf "$W32"

# End-to-end scenarios, one unittest module at a time so that each reports on its own.
for scenario in tests/e2e/test_*.py; do
    name="$(basename "$scenario" .py)"
    (cd tests/e2e && timeout 1200 python3 -m unittest -v "$name"); count "e2e $name" $?
done

[ -n "${KELVO_XVFB_PID:-}" ] && kill "$KELVO_XVFB_PID" 2>/dev/null
echo "screenshots: build/artifacts/"
echo "tests: $passed passed, $failed failed"
[ "$failed" = 0 ]
