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
LOG="$(mktemp)"
trap 'rm -f "$LOG"' EXIT
# Adds a step's tests to the totals: the runner's own counts where it printed them
# (GoogleTest, unittest), else the step counts as one.
count() {  # name, exit code
    local ok=0 bad=0
    if grep -q '^\[==========\] .* ran\.' "$LOG"; then
        ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$LOG" | tail -1)
        bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$LOG" | tail -1)
    elif grep -q '^Ran [0-9]* test' "$LOG"; then
        local ran f e
        ran=$(sed -n 's/^Ran \([0-9]*\) test.*/\1/p' "$LOG" | tail -1)
        f=$(sed -n 's/.*failures=\([0-9]*\).*/\1/p' "$LOG" | tail -1)
        e=$(sed -n 's/.*errors=\([0-9]*\).*/\1/p' "$LOG" | tail -1)
        bad=$(( ${f:-0} + ${e:-0} ))
        ok=$(( ran - bad ))
    elif [ "$2" = 0 ]; then ok=1
    else bad=1; fi
    ok=${ok:-0}; bad=${bad:-0}
    [ "$2" != 0 ] && [ "$bad" = 0 ] && bad=1  # a crash or time-out after the counts
    passed=$((passed + ok)); failed=$((failed + bad))
    local took="$((SECONDS - began)) s"
    if [ "$2" = 0 ]; then echo "== $1: $ok passed ($took)"; else echo "== $1: FAILED ($ok passed, $bad failed, $took)"; fi
    : > "$LOG"
}
step() {  # name, command...: runs the command, showing and keeping its output
    local name="$1"; shift
    began=$SECONDS
    "$@" 2>&1 | tee "$LOG"
    count "$name" "${PIPESTATUS[0]}"
}

build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j 2
}

build_step() {  # a build is no test: it only counts when it fails
    began=$SECONDS
    build "$1" 2>&1 | tee "$LOG"
    if [ "${PIPESTATUS[0]}" != 0 ]; then failed=$((failed + 1)); echo "== $1 build: FAILED"
    else echo "== $1 build: $((SECONDS - began)) s"; fi
    : > "$LOG"
}

step "32-bit setup" tests/tools/test_i386.sh
step "package install" tests/tools/test_apt_install.sh
step "format" tools/check-format.sh
build_step native
step "native unit tests" build/native/unit_tests
step "fuzz corpus replay" build/native/fuzz_replay tests/fuzz/corpus

build_step mingw
# clang-tidy's checks (.clang-tidy) over the sources as both builds compile them.
step "tidy" tools/check-tidy.sh
# The package checker (native) on its broken packages and the example package, whose component the mingw build made.
step "setupcheck packages" env -C tests/check python3 -m unittest -v test_setupcheck
# tools/release.sh twice, from two clones of the last commit: the same bytes, and the .deb installed and used.
step "release" python3 -m unittest -v tests/tools/test_release.py

source tools/wine/env.sh
kelvo_wine_env
kelvo_start_xvfb
kelvo_base_prefix

# The Win32 tests get a prefix of their own, with drive Q: mapped to an empty folder.
W32="$KELVO_WINE_ROOT/scenarios/win32-tests"
kelvo_new_prefix "$W32" winxp
mkdir -p "$KELVO_WINE_ROOT/empty-drive"
ln -sfn "$KELVO_WINE_ROOT/empty-drive" "$W32/dosdevices/q:"
step "unit tests under Wine" env WINEPREFIX="$W32" timeout 600 wine build/mingw/unit_tests.exe
step "Win32 tests under Wine" env WINEPREFIX="$W32" timeout 600 wine build/mingw/win32_tests.exe
kelvo_drop_prefix "$W32"

# End-to-end scenarios: every scenario class in its own prefix, three at a time, each
# worker on an Xvfb display of its own; the counts come back per module.
SUMMARY="$(mktemp)"
began=$SECONDS
python3 tools/run_e2e.py --jobs "${KELVO_E2E_JOBS:-3}" --summary "$SUMMARY" || [ -s "$SUMMARY" ] || failed=$((failed + 1))
while read -r name ok bad; do
    passed=$((passed + ok)); failed=$((failed + bad))
done < "$SUMMARY"
rm -f "$SUMMARY"
echo "== e2e scenarios: $((SECONDS - began)) s"

[ -n "${KELVO_XVFB_PID:-}" ] && kill "$KELVO_XVFB_PID" 2>/dev/null
echo "screenshots: build/artifacts/"
echo "took: $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo "tests: $passed passed, $failed failed"
[ "$failed" = 0 ]
