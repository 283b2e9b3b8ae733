#!/bin/sh
# How this machine runs i386 Linux programs, Wine's 32-bit loader among them.
#   tools/i386.sh mode     prints "native" or "emulated (qemu-i386 VERSION)"; exit 1 when neither works
#   tools/i386.sh setup    makes them run (root): natively where the kernel can, else through
#                          qemu-user from bookworm-backports registered in binfmt_misc
# KELVO_I386=emulated makes setup register the emulation even where the kernel runs i386
# code (to try that path); KELVO_I386=native drops a registration made that way.
set -e

BINFMT=/proc/sys/fs/binfmt_misc
ENTRY=qemu-i386
QEMU=/usr/bin/qemu-i386
# An i386 ELF executable or shared object of any ABI version, as qemu's own binfmt file has it.
MAGIC='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Runs a 96-byte i386 program that exits with 42: true when the machine runs i386 code.
probe() {
    local dir rc
    dir="$(mktemp -d)"
    # ELF header, one loadable segment at 0x08048000, then: mov eax,1; mov ebx,42; int 0x80.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' > "$dir/probe"
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000' >> "$dir/probe"
    printf '\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >> "$dir/probe"
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >> "$dir/probe"
    printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >> "$dir/probe"
    printf '\270\001\000\000\000\273\052\000\000\000\315\200' >> "$dir/probe"
    chmod +x "$dir/probe"
    rc=0
    "$dir/probe" 2>/dev/null || rc=$?
    rm -rf "$dir"
    [ "$rc" = 42 ]
}

# Every binfmt_misc entry that takes i386 programs, ours or another's.
i386_entries() {
    local f
    [ -d "$BINFMT" ] || return 0
    for f in "$BINFMT"/*; do
        case "${f##*/}" in register|status) continue ;; esac
        [ -f "$f" ] && grep -q '^magic 7f454c460101.\{24\}0300' "$f" 2>/dev/null && echo "$f"
    done
    return 0
}

enabled() { head -1 "$1" 2>/dev/null | grep -q '^enabled'; }

mode() {
    local f
    for f in $(i386_entries); do
        if enabled "$f"; then
            probe || return 1
            echo "emulated ($(sed -n 's/^interpreter //p' "$f") $("$QEMU" --version 2>/dev/null | sed -n '1s/.*version \([0-9.]*\).*/\1/p'))"
            return 0
        fi
    done
    probe || return 1
    echo native
}

fail() {
    cat >&2 <<EOF
tools/i386.sh: i386 Linux programs cannot run here, and Wine's 32-bit loader is one.
  Cause: $1
  Two ways out:
  - let the kernel run 32-bit code: boot it with ia32_emulation=on (or on a host that
    allows 32-bit code segments), then run this again;
  - or give this machine a writable binfmt_misc (a privileged container, or
    'modprobe binfmt_misc' and 'mount -t binfmt_misc binfmt_misc $BINFMT' as root),
    then run this again: it registers qemu-i386 there.
EOF
    exit 1
}

# bookworm-backports carries qemu-user 10 with a static qemu-i386; bookworm's own 7.2
# spends about a minute of CPU starting each Wine process.
install_qemu() {
    if dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '^1:\(1[0-9]\|[2-9][0-9]\)\.'; then
        return 0
    fi
    if ! grep -rqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        cat > /etc/apt/sources.list.d/bookworm-backports.sources <<EOF
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    fi
    "$(dirname "$0")/apt-install.sh" -t bookworm-backports qemu-user >/dev/null
}

mount_binfmt() {
    [ -e "$BINFMT/register" ] && return 0
    [ -d "$BINFMT" ] || modprobe binfmt_misc 2>/dev/null || true
    [ -d "$BINFMT" ] || fail "the kernel has no binfmt_misc ($BINFMT is missing)"
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null ||
        fail "binfmt_misc cannot be mounted on $BINFMT (no privilege to mount)"
}

# Removes every i386 entry but a working one of ours, so nothing is registered twice and a
# registration whose interpreter is gone or another qemu is replaced.
drop_stale() {
    local f
    for f in $(i386_entries); do
        if [ "${f##*/}" = "$ENTRY" ] && enabled "$f" && grep -qx "interpreter $QEMU" "$f" && probe; then
            continue
        fi
        (echo -1 > "$f") 2>/dev/null || fail "binfmt_misc is read-only: $f cannot be removed"
    done
}

register() {
    mount_binfmt
    [ -w "$BINFMT/register" ] || fail "binfmt_misc is read-only: $BINFMT/register cannot be written"
    install_qemu
    drop_stale
    [ -e "$BINFMT/$ENTRY" ] && return 0
    # F: the kernel opens qemu-i386 now, so it serves every later program, whatever its root.
    (printf ':%s:M::%s:%s:%s:F\n' "$ENTRY" "$MAGIC" "$MASK" "$QEMU" > "$BINFMT/register") 2>/dev/null ||
        fail "binfmt_misc is read-only: $BINFMT/register cannot be written"
}

unregister() {
    local f
    for f in $(i386_entries); do
        [ "${f##*/}" != "$ENTRY" ] || (echo -1 > "$f") 2>/dev/null || fail "binfmt_misc is read-only: $f cannot be removed"
    done
    return 0
}

setup() {
    case "${KELVO_I386:-auto}" in
        native) unregister ;;
        emulated) register ;;
        auto)
            # A registration that runs nothing (its qemu gone) goes first: the kernel may
            # run i386 code itself, else a working one replaces it.
            if ! probe && [ -n "$(i386_entries)" ]; then drop_stale; fi
            probe || register ;;
        *) echo "tools/i386.sh: KELVO_I386 is auto, native or emulated" >&2; exit 2 ;;
    esac
    mode >/dev/null || fail "even with qemu-i386 registered, the probe program did not run"
    echo "32-bit programs: $(mode)"
}

case "${1:-mode}" in
    mode) mode || { echo "none"; exit 1; } ;;
    setup) setup ;;
    *) echo "usage: tools/i386.sh mode|setup" >&2; exit 2 ;;
esac
