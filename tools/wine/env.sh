# Wine test environment, sourced by the test and demo scripts.
#   kelvo_wine_env          exports the variables every Wine process here needs
#   kelvo_base_prefix       prepares the shared base prefix once (fonts, substitutes, X11 settings)
#   kelvo_base_dir          the base prefix of KELVO_ARCH (win32, the default, or win64)
#   kelvo_new_prefix DIR V  a fresh prefix made from the base, emulating Windows version V
#   kelvo_end_prefix DIR    ends every process of that prefix's wineserver
#   kelvo_drop_prefix DIR   ends them and removes the prefix
#   kelvo_start_xvfb        starts an Xvfb display unless DISPLAY already works
# Paths default below build/wine of the repository; KELVO_WINE_ROOT overrides.
# KELVO_LOCALE (ja_JP.UTF-8 unless set) is the Unix locale of the prefixes and their programs.
# KELVO_ARCH=win64 gives 64-bit prefixes (their own base, made the first time one is asked for),
# where the 32-bit programs meet the redirected folders and registry of 64-bit Windows.

KELVO_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
: "${KELVO_WINE_ROOT:=$KELVO_REPO/build/wine}"

kelvo_wine_env() {
    export WINEARCH="${KELVO_ARCH:-win32}"
    # The locale sets the ANSI code page of every process: ja_JP 932, en_US 1252, zh_CN 936.
    export LC_ALL="${KELVO_LOCALE:-ja_JP.UTF-8}"
    export LANG="$LC_ALL"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree=d;mshtml=d"
    mkdir -p "$KELVO_WINE_ROOT/home"
    export HOME="$KELVO_WINE_ROOT/home"
    export XDG_CACHE_HOME="$HOME/.cache"
}

# Japanese (and Times New Roman) font names the programs ask for, and what renders them.
KELVO_FONT_MAP='"ＭＳ Ｐゴシック"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
"ＭＳ 明朝"="IPAMincho"
"MS Mincho"="IPAMincho"
"ＭＳ Ｐ明朝"="IPAPMincho"
"MS PMincho"="IPAPMincho"
"Times New Roman"="Liberation Serif"'

kelvo_settings_reg() {
    # UTF-16 .reg text: the Japanese font names survive whatever the locale.
    # Wine does not chain substitutes, so the dialog font names are mapped directly too.
    cat <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
$KELVO_FONT_MAP

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
$KELVO_FONT_MAP
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
REG
}

kelvo_base_dir() {
    if [ "${KELVO_ARCH:-win32}" = win64 ]; then echo "$KELVO_WINE_ROOT/base64"; else echo "$KELVO_WINE_ROOT/base"; fi
}

kelvo_base_prefix() {
    kelvo_wine_env
    local base stamp
    base="$(kelvo_base_dir)"
    # The base is rebuilt whenever the settings it was made with change, or the way i386 code
    # runs: Wine records the processor it booted on, and would record the other one mid-test.
    stamp="$( (kelvo_settings_reg; kelvo_quiet_services; "$KELVO_REPO/tools/i386.sh" mode) | md5sum | cut -d' ' -f1)"
    [ "$(cat "$base/.kelvo-ready" 2>/dev/null)" = "$stamp" ] && return 0
    # Scenarios in parallel workers may all find the base missing: one makes it, the others
    # wait for it. Nothing started under the lock keeps its descriptor.
    mkdir -p "$KELVO_WINE_ROOT"
    (
        flock 9 || exit 1
        [ "$(cat "$base/.kelvo-ready" 2>/dev/null)" = "$stamp" ] && exit 0
        kelvo_make_ready "$base" "$stamp" 9>&-
    ) 9>"$base.lock"
}

kelvo_make_ready() {
    local base="$1" stamp="$2" attempt limit=240
    # A 64-bit prefix sets up both halves of the system, the 32-bit one through i386 code.
    [ "${KELVO_ARCH:-win32}" = win64 ] && limit=480
    # Under i386 emulation a prefix's first start now and then hangs with two service
    # managers: a start that takes minutes instead of seconds is ended and made again.
    for attempt in 1 2 3; do
        if KELVO_ARCH="${KELVO_ARCH:-win32}" timeout "$limit" bash -c "source '$KELVO_REPO/tools/wine/env.sh' && kelvo_make_base '$base'"; then
            echo "$stamp" > "$base/.kelvo-ready"
            return 0
        fi
        WINEPREFIX="$base" wineserver -k 2>/dev/null
        echo "kelvo_base_prefix: the base prefix did not come up (attempt $attempt)" >&2
    done
    return 1
}

# Services Wine starts with every prefix that no program here uses: each is one more i386
# process to start per test, about a second of processor time under emulation.
kelvo_quiet_services() {
    echo Eventlog PlugPlay
}

kelvo_make_base() {
    local base="$1"
    # The base is Japanese, whichever locale asked for it first (this runs in a shell of its own).
    export KELVO_LOCALE=ja_JP.UTF-8
    kelvo_wine_env
    rm -rf "$base"
    mkdir -p "$KELVO_WINE_ROOT"
    WINEPREFIX="$base" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$base" wineserver -w
    cp /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
        "$base/drive_c/windows/Fonts/" || return 1
    kelvo_settings_reg | iconv -f UTF-8 -t UTF-16 > "$KELVO_WINE_ROOT/settings.reg"
    # In a 64-bit prefix the 64-bit regedit writes the system's own view of the machine keys,
    # where Wine's font code reads the substitutes for 32-bit programs as well.
    WINEPREFIX="$base" "$(kelvo_regedit_loader)" regedit /S "$(WINEPREFIX="$base" winepath -w "$KELVO_WINE_ROOT/settings.reg")" >/dev/null 2>&1
    WINEPREFIX="$base" wineserver -w
    local service
    for service in $(kelvo_quiet_services); do
        kelvo_service_start "$base" "$service" 3 || return 1
    done
}

# The Wine loader whose regedit writes the machine keys every program of the prefix reads.
kelvo_regedit_loader() {
    if [ "${KELVO_ARCH:-win32}" = win64 ]; then kelvo_wine64; else echo wine; fi
}

# Wine's 64-bit loader: Debian keeps it out of PATH, beside the 32-bit one.
kelvo_wine64() {
    command -v wine64 || echo /usr/lib/wine/wine64
}

# Sets how a prefix's service starts (2 with the prefix, 3 on demand), the prefix ended.
kelvo_service_start() {
    sed -i "/^\\[System\\\\\\\\CurrentControlSet\\\\\\\\Services\\\\\\\\$2\\]/,/^\\[/ s/\"Start\"=dword:0000000[0-4]/\"Start\"=dword:0000000$3/" \
        "$1/system.reg"
}

# A prefix is the base seen through an overlay wherever the kernel lets us mount one: nothing
# is copied (the base is 600 MB), and every write lands in DIR.upper, never in the base.
# Elsewhere, or with "copy" (a prefix that outlives its script), it is a copy of the base.
kelvo_new_prefix() {
    local dir="$1" version="${2:-winxp}" how="${3:-}"
    kelvo_base_prefix
    kelvo_drop_prefix "$dir"
    mkdir -p "$(dirname "$dir")"
    if [ "$how" = copy ] || ! kelvo_overlay "$dir"; then
        cp -a "$(kelvo_base_dir)" "$dir"
    fi
    # Wine links Desktop, Documents and the like to the Unix home, which every prefix here
    # shares: real folders keep each prefix's shortcuts and documents its own.
    local link
    for link in "$dir"/drive_c/users/*/*; do
        if [ -L "$link" ]; then rm -f "$link" && mkdir "$link"; fi
    done
    # The version goes straight into the copied user registry: "wine reg add" would start the
    # prefix and its services only to end them again, about 9 s under i386 emulation.
    printf '\n[Software\\\\Wine] %s\n"Version"="%s"\n' "$(date +%s)" "$version" >> "$dir/user.reg"
    case "${KELVO_LOCALE:-ja_JP.UTF-8}" in ja_JP.*) ;; *) kelvo_prefix_locale "$dir" ;; esac
}

# A prefix for another locale (KELVO_LOCALE): its first process moves the prefix to that
# locale's code page, and Wine then maps "MS Shell Dlg" to the locale's own font (Tahoma,
# SimSun), which has no Japanese. Our substitutes go back on top. A prefix keeps one locale:
# started again in another, it changes fonts again under the programs of the first.
kelvo_prefix_locale() {
    local dir="$1" attempt reg loader
    kelvo_settings_reg | iconv -f UTF-8 -t UTF-16 > "$dir.reg"
    reg="$(WINEPREFIX="$dir" winepath -w "$dir.reg")"
    loader="$(kelvo_regedit_loader 2>/dev/null || echo wine)"
    for attempt in 1 2 3; do
        WINEPREFIX="$dir" "$loader" regedit /S "$reg" >/dev/null 2>&1
        WINEPREFIX="$dir" wineserver -w
        # A service of the prefix may still have written the locale's fonts after regedit.
        if grep -q '^"MS Shell Dlg"="IPAPGothic"' "$dir/system.reg"; then
            rm -f "$dir.reg"
            return 0
        fi
    done
    rm -f "$dir.reg"
    echo "kelvo_prefix_locale: the Japanese font substitutes did not stay in $dir" >&2
    return 1
}

kelvo_overlay() {
    mkdir -p "$1" "$1.upper" "$1.work"
    mount -t overlay overlay -o "lowerdir=$(kelvo_base_dir),upperdir=$1.upper,workdir=$1.work" "$1" 2>/dev/null \
        && return 0
    rm -rf "$1" "$1.upper" "$1.work"
    return 1
}

kelvo_end_prefix() {
    WINEPREFIX="$1" wineserver -k 2>/dev/null || true
}

# Ends a prefix's processes and removes it, overlay or copy.
kelvo_drop_prefix() {
    [ -e "$1" ] || [ -e "$1.upper" ] || return 0
    [ -d "$1" ] && kelvo_end_prefix "$1"
    if mountpoint -q "$1"; then umount "$1" 2>/dev/null || umount -l "$1"; fi
    rm -rf "$1" "$1.upper" "$1.work"
}

kelvo_start_xvfb() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local n
    for n in $(seq 91 120); do
        if [ -e "/tmp/.X$n-lock" ]; then
            # A killed run leaves its lock behind: a number whose server is gone is free again.
            local pid
            pid=$(tr -dc 0-9 < "/tmp/.X$n-lock" 2>/dev/null)
            [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && continue
            rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
        fi
        [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        export KELVO_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    done
    echo "kelvo_start_xvfb: no display could be started" >&2
    return 1
}
