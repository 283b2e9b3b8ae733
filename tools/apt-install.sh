#!/bin/sh
# Installs Debian packages, riding out a mirror caught mid-sync (root; honours APT_CONFIG).
#   tools/apt-install.sh [-t SUITE] PACKAGE...
# apt-get update is tried again after a pause while an index fails to download. When one
# still fails, the install targets one suite (SUITE, else the release's main suite), so that
# the amd64 and i386 halves of a multiarch package never come from two archives, one of
# them without its i386 index. Only apt-get install's own failure fails the script.
set -e
target=""
if [ "$1" = "-t" ]; then target="$2"; shift 2; fi
attempts="${KELVO_APT_ATTEMPTS:-4}"
pause="${KELVO_APT_PAUSE:-15}"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
export DEBIAN_FRONTEND=noninteractive

# apt-get update exits 100 when an index failed and 0 with only a warning; both print
# "E: Failed to fetch" or "W: Failed to fetch" for each index left out.
update() {
    rc=0
    apt-get update -qq >"$log" 2>&1 || rc=$?
    [ "$rc" = 0 ] && ! grep -q '^[EW]: Failed to fetch' "$log"
}

release() {
    codename="$(apt-config dump 2>/dev/null | sed -n 's/^APT::Default-Release "\(.*\)";$/\1/p')"
    [ -n "$codename" ] || codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
    echo "$codename"
}

n=1
until update; do
    if [ "$n" -ge "$attempts" ]; then
        [ -n "$target" ] || target="$(release)"
        sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)/\1 (\2)/p' "$log" | while read -r line; do
            echo "tools/apt-install.sh: index skipped, installing from $target only: $line" >&2
        done
        grep -q '^[EW]: Failed to fetch' "$log" || cat "$log" >&2
        break
    fi
    echo "tools/apt-install.sh: apt-get update failed (attempt $n of $attempts), again in $pause s" >&2
    n=$((n + 1))
    sleep "$pause"
done

if [ -n "$target" ]; then
    apt-get install -y -qq --no-install-recommends -t "$target" "$@"
else
    apt-get install -y -qq --no-install-recommends "$@"
fi
