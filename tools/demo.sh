#!/bin/bash
# The main job: builds the programs, then installs the example package under Wine
# through the wizard, as a user would, and shows what the installation left on the
# machine (files, shortcuts, registry, the uninstall log), with a screenshot of every step.
# It then removes the package again through its Add/Remove Programs entry and shows
# that nothing of it is left.
# Headless on Xvfb by default; --display uses the DISPLAY you are on.
set -euo pipefail
cd "$(dirname "$0")/.."
own_display=0
[ "${1:-}" = "--display" ] && own_display=1
if [ "$(id -u)" = 0 ]; then ./tools/install-deps.sh; fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j 2 >/dev/null

source tools/wine/env.sh
kelvo_wine_env
[ "$own_display" = 1 ] || unset DISPLAY
kelvo_start_xvfb
PREFIX="$KELVO_WINE_ROOT/scenarios/demo"
kelvo_new_prefix "$PREFIX" winxp copy
export WINEPREFIX="$PREFIX"
trap 'kelvo_end_prefix "$PREFIX"; [ -n "${KELVO_XVFB_PID:-}" ] && kill "$KELVO_XVFB_PID" 2>/dev/null; true' EXIT

# The package as a distributor ships it: texts in Shift-JIS with CR LF, the manual
# LZ-compressed, the project's self-registering component, the second disk held back.
PKG="$PREFIX/drive_c/SamplePackage"
mkdir -p "$PKG" build/artifacts
rm -f build/artifacts/demo-*.png
cp build/mingw/setup.exe "$PKG/"
tools/sample-package.sh "$PKG"
sjis() { iconv -f UTF-8 -t CP932 "$1" | sed 's/$/\r/' > "$2"; }

DRIVER=build/mingw/tools/win/uidriver/uidriver.exe
drive() { wine "$DRIVER" "$@" | iconv -f CP932 -t UTF-8 | tr -d '\r' | perl -pe 's/\\(.)/$1 eq "n" ? "\n" : $1/ge'; }
shot() { import -window root "build/artifacts/demo-$1.png"; echo "  screenshot: build/artifacts/demo-$1.png"; }
press() {  # window control: clicks and waits until the caption of btnEvent changes
    local before; before="$(drive text TfrmMain btnEvent)"
    drive click "$1" "$2" >/dev/null
    for _ in $(seq 50); do [ "$(drive text TfrmMain btnEvent)" != "$before" ] && break; sleep 0.2; done
}

echo "== starting C:\\SamplePackage\\setup.exe under Wine (display $DISPLAY)"
wine "C:\\SamplePackage\\setup.exe" &
drive wait TfrmMain 20000 >/dev/null
for _ in $(seq 50); do [ -n "$(drive text TfrmMain btnEvent)" ] && break; sleep 0.2; done
echo "title line: $(drive text TfrmMain lblTitleA2)"
shot 1-welcome
press TfrmMain btnEvent
echo "licence page: $(drive text TfrmMain fraReadme)"
drive check TfrmMain chkEULARead 1 >/dev/null
sleep 0.5
shot 2-licence
press TfrmMain btnEvent
echo "readme page: $(drive text TfrmMain fraReadme)"
shot 3-readme
press TfrmMain btnEvent
drive check TfrmMain chkSCutDesktop 1 >/dev/null
drive check TfrmMain chkSCutStartMenu 1 >/dev/null
sleep 0.5
echo "main page: folder $(drive text TfrmMain txtFolder), $(drive text TfrmMain grpSetupFolder)"
shot 4-main
echo "== installing (button \"$(drive text TfrmMain btnEvent)\")"
drive click TfrmMain btnEvent >/dev/null
questions=0
shot 5-status-running
while :; do
    if drive wait '#32770' 300 >/dev/null 2>&1; then
        caption="$(drive caption '#32770')"
        echo "question \"$caption\": $(drive text '#32770' 65535 | tr '\n' ' ')"
        questions=$((questions + 1)); shot "5-question-$questions"
        case "$caption" in
            ディスク交換)
                echo "  inserting the second disk"
                sjis examples/sample/DISK2/EXTRA.TXT "$PKG/EXTRA.TXT"
                drive click '#32770' 1 >/dev/null ;;
            *) drive click '#32770' 6 >/dev/null ;;
        esac
        drive gone '#32770' 5000 >/dev/null || true
        continue
    fi
    [ "$(drive text TfrmStatus btnAbort)" = "次へ(&N)" ] && break
done
echo "--- the status window"
drive text TfrmStatus lblMessage | sed 's/^/  /'
shot 6-completion
drive click TfrmStatus btnAbort >/dev/null
sleep 1.5
echo "--- the final page"
drive text TfrmMain lblSelectTypeMsg | sed 's/^/  /'
echo "  ( ) $(drive text TfrmMain optSelectType1)"
shot 7-final
drive click TfrmMain btnEvent >/dev/null
drive gone TfrmBack 20000 >/dev/null
sleep 2
echo "setup ended; the final page started the program it names"
shot 8-program-started

C="$PREFIX/drive_c"
APP="$C/Program Files/サンプルアプリ"
echo "== what the installation left on the machine"
echo "--- files in C:\\Program Files\\サンプルアプリ"
(cd "$APP" && find . -type f | sort | sed 's/^\./  /')
echo "  C:\\windows\\system32\\SAMPLECMP.DLL: $(stat -c %s "$C/windows/system32/SAMPLECMP.DLL") bytes; C:\\windows\\UNKELVO.EXE: $(stat -c %s "$C/windows/UNKELVO.EXE") bytes"
echo "--- shortcuts"
python3 - "$PREFIX" <<'PY'
import glob, os, sys
sys.path.insert(0, "tests/e2e")
from install_support import read_lnk
for path in sorted(glob.glob(os.path.join(sys.argv[1], "drive_c", "users", "*", "**", "*.lnk"), recursive=True)):
    if "サンプルアプリ" in path:
        link = read_lnk(path)
        print(f"  {os.path.basename(path)} -> {link['target']} (working folder {link['working']})")
PY
echo "--- registry"
reg() { wine reg query "$@" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' | grep -v '^$' | sed 's/^/  /'; }
reg 'HKLM\SOFTWARE\Kelvo Sample\サンプルアプリ'
reg 'HKCU\Software\Kelvo Sample\サンプルアプリ'
reg 'HKLM\Software\Classes\.smp'
reg 'HKLM\Software\Classes\smp_auto_file\shell\open\command'
reg 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs'
reg 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KelvoSampleApp'
echo "--- C:\\windows\\KELVO98.INI"
iconv -f CP932 -t UTF-8 "$C/windows/KELVO98.INI" | tr -d '\r' | sed 's/^/  /'
echo "--- the uninstall log C:\\Program Files\\サンプルアプリ\\UNSETUP.INI"
iconv -f CP932 -t UTF-8 "$APP/UNSETUP.INI" | tr -d '\r' | sed 's/^/  /'

# Removal as a user starts it: the command line of the Add/Remove Programs entry.
ENTRY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KelvoSampleApp'
command="$(wine reg query "$ENTRY" /v UninstallString 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' |
           sed -n 's/^ *UninstallString *REG_EXPAND_SZ *//p')"
echo "== uninstalling through the Add/Remove Programs entry: $command"
uninstaller="${command%% \"*}"
log="${command#* \"}"; log="${log%\"}"
wine "$uninstaller" "$log" &
drive wait TfrmMain 20000 >/dev/null
for _ in $(seq 50); do [ -n "$(drive text TfrmMain btnEvent)" ] && break; sleep 0.2; done
shot 9-uninstall-welcome
for _ in 1 2 3; do
    [ "$(drive text TfrmMain btnEvent)" = "アンインストール開始(&S)" ] && break
    press TfrmMain btnEvent
done
echo "uninstall page: folder $(drive text TfrmMain txtFolder), options: $(drive text TfrmMain fraShortCut)"
shot 10-uninstall-main
drive click TfrmMain btnEvent >/dev/null
while :; do
    if drive wait TfrmCustomDlg 200 >/dev/null 2>&1 && [ "$(drive windows TfrmCustomDlg | cut -d'|' -f3)" = 1 ]; then
        echo "shared-file question: $(drive text TfrmCustomDlg lblMessage | tr '\n' ' ')"
        shot 11-shared-file
        echo "  answer: はい (delete it)"
        drive click TfrmCustomDlg btnYes >/dev/null
        sleep 0.5
        continue
    fi
    if drive wait '#32770' 200 >/dev/null 2>&1; then
        echo "question \"$(drive caption '#32770')\": $(drive text '#32770' 65535 | tr '\n' ' ')"
        drive click '#32770' 7 >/dev/null
        continue
    fi
    [ "$(drive text TfrmStatus btnAbort)" = "次へ(&N)" ] && break
done
echo "--- the status window"
drive text TfrmStatus lblMessage | sed 's/^/  /'
shot 12-uninstall-completion
drive click TfrmStatus btnAbort >/dev/null
sleep 1.5
echo "--- the final page: $(drive text TfrmMain lblSelectTypeMsg)"
shot 13-uninstall-final
drive click TfrmMain btnEvent >/dev/null
drive gone TfrmBack 20000 >/dev/null
sleep 2

echo "== what is left"
echo "install folder: $([ -e "$APP" ] && echo "still there" || echo "gone")"
echo "component C:\\windows\\system32\\SAMPLECMP.DLL: $([ -e "$C/windows/system32/SAMPLECMP.DLL" ] && echo "still there" || echo "gone")"
echo "shortcuts left: $(find "$C/users" -name 'サンプルアプリ*' | wc -l)"
for key in 'HKLM\SOFTWARE\Kelvo Sample' 'HKCU\Software\Kelvo Sample' 'HKLM\Software\Classes\.smp' "$ENTRY"; do
    if wine reg query "$key" >/dev/null 2>&1; then echo "registry $key: still there"; else echo "registry $key: gone"; fi
done
echo "KELVO98.INI: $(iconv -f CP932 -t UTF-8 "$C/windows/KELVO98.INI" | tr -d '\r' | grep -c '^\[') product(s) recorded"
