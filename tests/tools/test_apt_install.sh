#!/bin/sh
# tools/apt-install.sh against a local two-suite archive (file:, no network, apt in simulate
# mode through APT_CONFIG): a healthy archive installs the newest versions; a security suite
# whose i386 index is caught mid-sync is retried, named on one line and left out, and both
# halves of a multiarch library come from the main suite; a package that exists nowhere
# still fails with apt's own reason. Prints "Ran N tests" and "OK" or "FAILED (failures=N)".
set -u
cd "$(dirname "$0")/../.."
REPO="$(pwd)"
T="$(mktemp -d)"
trap 'rm -rf "$T"' EXIT
SUITE="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"

ran=0 failed=0
check() {  # what, condition...
    local what="$1"; shift
    ran=$((ran + 1))
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=$((failed + 1)); fi
}

stanza() {  # version, architecture
    printf 'Package: libkelvo\nVersion: %s\nArchitecture: %s\nMulti-Arch: same\n' "$1" "$2"
    printf 'Filename: pool/libkelvo_%s_%s.deb\nSize: 1\nSHA256: %064d\nDescription: test\n\n' "$1" "$2" 0
}

index() {  # suite, version, damage: writes the suite's indexes and a Release naming them
    local d="$T/archive/dists/$1" arch
    for arch in amd64 i386; do
        mkdir -p "$d/main/binary-$arch"
        stanza "$2" "$arch" > "$d/main/binary-$arch/Packages"
    done
    {
        printf 'Suite: %s\nCodename: %s\nDate: %s\n' "$1" "$1" "$(LC_ALL=C date -u -R)"
        printf 'Architectures: amd64 i386\nComponents: main\nSHA256:\n'
        for arch in amd64 i386; do
            f="main/binary-$arch/Packages"
            printf ' %s %s %s\n' "$(sha256sum < "$d/$f" | cut -d' ' -f1)" "$(wc -c < "$d/$f")" "$f"
        done
    } > "$d/Release"
    # A mirror mid-sync: the Release already names a newer i386 index than the one served.
    [ "$3" = damaged ] && echo "# older" >> "$d/main/binary-i386/Packages"
    return 0
}

archive() {  # damage of the security suite
    rm -rf "$T/archive" "$T/state"
    mkdir -p "$T/state/lists/partial" "$T/cache/archives/partial" "$T/etc"
    : > "$T/state/status"
    index "$SUITE" 1.0 whole
    index "$SUITE-security" 1.1 "$1"
    printf 'deb [trusted=yes] file:%s %s main\ndeb [trusted=yes] file:%s %s-security main\n' \
        "$T/archive" "$SUITE" "$T/archive" "$SUITE" > "$T/etc/sources.list"
}

cat > "$T/apt.conf" <<EOF
Dir::State "$T/state";
Dir::State::status "$T/state/status";
Dir::Cache "$T/cache";
Dir::Etc::sourcelist "$T/etc/sources.list";
Dir::Etc::sourceparts "$T/etc";
Dir::Etc::preferencesparts "$T/etc";
Dir::Log "$T";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Get::Simulate "true";
Debug::NoLocking "true";
Acquire::Languages "none";
EOF
run() {  # packages...: runs the script as install-deps.sh does, output in $T/out
    APT_CONFIG="$T/apt.conf" KELVO_APT_ATTEMPTS=2 KELVO_APT_PAUSE=0 \
        "$REPO/tools/apt-install.sh" "$@" > "$T/out" 2>&1
}
has() { grep -q "$1" "$T/out"; }

archive whole
run libkelvo:amd64 libkelvo:i386
rc=$?
check "a healthy archive installs the security versions, no index skipped" \
    sh -c "[ $rc = 0 ] && [ \$(grep -c '^Inst libkelvo\\(:i386\\)\\? (1.1 ' '$T/out') = 2 ] && ! grep -q skipped '$T/out'"

archive damaged
run libkelvo:amd64 libkelvo:i386
rc=$?
check "a failed index is fetched again after a pause" has "apt-get update failed (attempt 1 of 2)"
check "one line names the index left out" \
    test "$(grep -c "index skipped, installing from $SUITE only: file:.*$SUITE-security/main/binary-i386/Packages" "$T/out")" = 1
check "both halves of the multiarch library come from the main suite" \
    sh -c "[ $rc = 0 ] && [ \$(grep -c '^Inst libkelvo\\(:i386\\)\\? (1.0 ' '$T/out') = 2 ]"
[ "$failed" = 0 ] || cat "$T/out"

run libkelvo:amd64 libkelvo-missing
rc=$?
check "a package that exists nowhere fails, with apt's reason" sh -c "[ $rc != 0 ] && grep -q 'Unable to locate package libkelvo-missing' '$T/out'"

echo "Ran $ran tests"
if [ "$failed" = 0 ]; then echo OK; else echo "FAILED (failures=$failed)"; exit 1; fi
