; The comparison installer of bench/install_speed.py: the same package files, stored
; without compression and installed silently. NSIS defaults otherwise, so the start-up
; CRC check of the installer is part of its time, as it would be for a real package.
;   makensis -DPKGDIR=<package folder> -DOUTFILE=<installer> bench/nsis/install_speed.nsi
!ifndef PKGDIR
  !error "PKGDIR must name the package folder holding the F*.DAT files"
!endif
!ifndef OUTFILE
  !error "OUTFILE must name the installer to write"
!endif

Name "Install speed"
OutFile "${OUTFILE}"
InstallDir "C:\NsisBench"
RequestExecutionLevel user
SilentInstall silent
SetCompress off
SetOverwrite on

Section
  SetOutPath "$INSTDIR"
  File "${PKGDIR}/F*.DAT"
SectionEnd
