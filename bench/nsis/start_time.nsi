; The comparison installer of bench/start_time.py: Modern UI 2 with a welcome page, in
; Japanese like setup.exe's wizard. NSIS defaults otherwise (its start-up CRC check included).
;   makensis -DOUTFILE=<installer> bench/nsis/start_time.nsi
!ifndef OUTFILE
  !error "OUTFILE must name the installer to write"
!endif
!include "MUI2.nsh"

Name "StartBench"
OutFile "${OUTFILE}"
InstallDir "C:\StartBench"
RequestExecutionLevel user

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section
SectionEnd
