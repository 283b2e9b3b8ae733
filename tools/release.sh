#!/bin/bash
# Builds a release into dist/: the Windows programs with the guides and the example package
# as kelvo-setup-VERSION-win32.zip, the native checker as kelvo-setupcheck_VERSION_ARCH.deb,
# and dist/SHA256SUMS of both. The same commit gives the same bytes, whatever the folder or
# the day: every time stamp is the last commit's, and no build path reaches a file.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then ./tools/install-deps.sh; fi

SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release.sh: warning: changes that no commit holds go into this release; nobody can rebuild it" >&2
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
VERSION="$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
ARCH="$(dpkg --print-architecture)"
STAGE=build/release-stage
ZIPDIR="$STAGE/kelvo-setup-$VERSION-win32"
DEBROOT="$STAGE/deb"
DOC="$DEBROOT/usr/share/doc/kelvo-setupcheck"

build() {  # each release preset in a folder of its own, so that test builds never mix in
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j 2 >/dev/null
}

# Every file and folder below $1 with the release's time and plain modes (programs: $2...).
settle() {
    local top="$1"; shift
    find "$top" -type d -exec chmod 0755 {} +
    find "$top" -type f -exec chmod 0644 {} +
    [ $# = 0 ] || chmod 0755 "$@"
    find "$top" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

windows_archive() {
    local win=build/release-win
    mkdir -p "$ZIPDIR/docs"
    cp "$win/setup.exe" "$win/setupcheck.exe" "$win/Tovra.exe" res/sounds/click001.wav res/sounds/click003.wav "$ZIPDIR/"
    cp docs/setup-script.md docs/deployment.md docs/monitor.md docs/release.md "$ZIPDIR/docs/"
    # The example package as a distributor ships it: setup.exe beside its script and files.
    tools/sample-package.sh "$ZIPDIR/example" "$win/tools/win/testcomponent/component_ok.dll"
    cp "$win/setup.exe" "$ZIPDIR/example/"
    (cd "$ZIPDIR" && find . -type f ! -name SHA256SUMS -printf '%P\n' | sort | xargs -d '\n' sha256sum > SHA256SUMS)
    settle "$ZIPDIR"
    python3 tools/reproducible_zip.py "dist/kelvo-setup-$VERSION-win32.zip" "$ZIPDIR"
}

# The C library is the one thing the checker takes from the machine: the newest symbol
# version it asks for is what the package depends on.
libc_version() {
    objdump -T "$1" | sed -n 's/.*GLIBC_\([0-9.]*\).*/\1/p' | sort -uV | tail -1
}

# zlib, should the native checker ever link it again (its LZMA is built in): it links it as the system has it.
# grep reads all of objdump's output: with -q it would stop early, objdump would die of SIGPIPE,
# and pipefail would now and then drop the dependency.
zlib_dependency() {
    if objdump -p "$1" | grep 'NEEDED *libz\.so\.1' >/dev/null; then
        echo ", zlib1g (>= $(dpkg-query -W -f='${Version}' zlib1g | sed 's/-.*//'))"
    fi
}

debian_package() {
    local program=build/release-native/setupcheck
    install -D -m 0755 "$program" "$DEBROOT/usr/bin/setupcheck"
    mkdir -p "$DEBROOT/usr/share/man/man1" "$DOC/examples" "$DEBROOT/DEBIAN"
    sed "s/@VERSION@/$VERSION/" docs/setupcheck.1 | gzip -9n > "$DEBROOT/usr/share/man/man1/setupcheck.1.gz"
    cp -r "$ZIPDIR/example" "$DOC/examples/sample"
    rm "$DOC/examples/sample/setup.exe"
    gzip -9n < docs/setup-script.md > "$DOC/setup-script.md.gz"
    printf 'Kelvo Setup\n\nCopyright (C) %s the Kelvo Setup developers. All rights reserved.\n' \
        "$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y)" > "$DOC/copyright"
    # A native package's changelog, dated by the commit like every other file.
    printf 'kelvo-setupcheck (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- %s  %s\n' \
        "$VERSION" "$VERSION" "Kelvo Setup developers <setup@kelvo.invalid>" \
        "$(date -u -R -d "@$SOURCE_DATE_EPOCH")" | gzip -9n > "$DOC/changelog.gz"
    cat > "$DEBROOT/DEBIAN/control" <<EOF
Package: kelvo-setupcheck
Version: $VERSION
Architecture: $ARCH
Maintainer: Kelvo Setup developers <setup@kelvo.invalid>
Installed-Size: $(du -sk --exclude=DEBIAN "$DEBROOT" | cut -f1)
Depends: libc6 (>= $(libc_version "$program"))$(zlib_dependency "$program")
Section: devel
Priority: optional
Description: checker of Kelvo Setup packages
 setupcheck reads a Kelvo Setup package's setup script SETUP.INI against the
 files beside it and reports each mistake with its line, as text or JSON, shows
 what an installation would do, or packs the package into one setup program.
 For the Linux machine that builds the packages of a Windows installer: it
 finds package files named in UTF-8 or in Shift-JIS.
EOF
    (cd "$DEBROOT" && find usr -type f | sort | xargs -d '\n' md5sum > DEBIAN/md5sums)
    settle "$DEBROOT" "$DEBROOT/usr/bin/setupcheck"
    dpkg-deb --root-owner-group -Zxz --build "$DEBROOT" "dist/kelvo-setupcheck_${VERSION}_$ARCH.deb" >/dev/null
}

rm -rf "$STAGE" dist
mkdir -p "$STAGE" dist
build release-win
build release-native
windows_archive
debian_package
(cd dist && sha256sum -- *.zip *.deb > SHA256SUMS)
echo "release $VERSION (commit time $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')):"
(cd dist && cat SHA256SUMS)
