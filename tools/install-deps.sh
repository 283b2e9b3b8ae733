#!/bin/sh
# Installs every Debian package the build and the tests need (Debian 12, run as root).
# Safe to run again: it skips the work when everything is already present.
set -e
# Wine's 32-bit loader is an i386 Linux program. Where the kernel refuses those, they run
# under qemu-i386, set up first so that the i386 packages' own scripts run through it too.
"$(dirname "$0")/i386.sh" setup

PACKAGES="cmake ninja-build g++ googletest python3 \
 g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev \
 wine wine32 wine64 fonts-wine fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation \
 xvfb xauth x11-utils imagemagick locales openssl mscompress sox nsis man-db \
 clang libclang-rt-14-dev clang-format clang-tidy \
 lzma-dev osslsigncode lintian"

missing=""
for p in $PACKAGES; do
    case "$p" in wine32) p="wine32:i386" ;; esac
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    dpkg --add-architecture i386
    "$(dirname "$0")/apt-install.sh" $PACKAGES
fi

# Wine maps file names through the glibc locale; without ja_JP.UTF-8 every
# Japanese path fails even though the ANSI code page reads 932. The scenarios of other
# systems' code pages run Wine in en_US.UTF-8 (code page 1252) and zh_CN.UTF-8 (936).
made=""
for loc in ja_JP en_US zh_CN; do
    locale -a 2>/dev/null | grep -qi "^$loc.utf-\?8\$" && continue
    sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" >> /etc/locale.gen
    made=1
done
if [ -n "$made" ]; then locale-gen >/dev/null; fi
