#!/bin/sh
# tools/i386.sh against a binfmt_misc of its own (a user namespace's private instance, Linux
# 6.7 and later), so the machine's registration is never touched: a registration whose qemu
# is gone is repaired, nothing is registered twice, and a read-only binfmt_misc stops the
# setup with its cause. Prints "Ran N tests" and "OK" or "FAILED (failures=N)".
set -u
cd "$(dirname "$0")/../.."
B=/proc/sys/fs/binfmt_misc
if [ "${1:-}" != inside ]; then
    if ! unshare --user --map-root-user --mount sh -c "mount -t binfmt_misc none $B" 2>/dev/null; then
        echo "skipped: this kernel gives no private binfmt_misc"; echo "Ran 0 tests"; exit 0
    fi
    exec unshare --user --map-root-user --mount sh "$0" inside
fi

ran=0 failed=0
check() {  # what, condition...
    local what="$1"; shift
    ran=$((ran + 1))
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=$((failed + 1)); fi
}
i386_entries() { grep -l '^magic 7f454c460101.\{24\}0300' "$B"/* 2>/dev/null | wc -l; }
register_broken() {  # name: an i386 entry whose interpreter does not exist
    printf ':%s:M::\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00::/nonexistent/qemu-i386:\n' \
        "$1" > "$B/register"
}

mount -t binfmt_misc binfmt_misc "$B"
register_broken qemu-i386
register_broken other-i386
out="$(tools/i386.sh setup 2>&1)"
check "a registration whose qemu is gone is repaired: $out" \
    sh -c 'tools/i386.sh mode >/dev/null && ! grep -qs nonexistent '"$B"'/*'
check "one line says how 32-bit programs run" test "$(echo "$out" | grep -c '^32-bit programs: ')" = 1
tools/i386.sh setup >/dev/null 2>&1
check "a second run registers nothing more" test "$(i386_entries)" -le 1

if tools/i386.sh mode >/dev/null && dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '^1:1[0-9]\.'; then
    KELVO_I386=emulated tools/i386.sh setup >/dev/null && KELVO_I386=emulated tools/i386.sh setup >/dev/null
    check "forced emulation twice: one entry, and programs run through it" \
        sh -c 'test "$(grep -ls "^magic 7f454c460101" '"$B"'/* | wc -l)" = 1 && tools/i386.sh mode | grep -q "^emulated"'
fi

umount "$B"
mount -t binfmt_misc -o ro binfmt_misc "$B"
err="$(KELVO_I386=emulated tools/i386.sh setup 2>&1)"
code=$?
check "a read-only binfmt_misc stops with its cause and the ways out" \
    sh -c '[ '"$code"' != 0 ] && echo "$0" | grep -q "read-only" && echo "$0" | grep -q "ia32_emulation=on"' "$err"

echo "Ran $ran tests"
if [ "$failed" = 0 ]; then echo OK; else echo "FAILED (failures=$failed)"; exit 1; fi
