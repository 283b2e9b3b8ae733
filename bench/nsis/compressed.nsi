; The comparison installer of bench/pack_size.py and bench/packed_install.py: every file of a
; package folder but setup.exe and SETUP.INI, installed silently. NSIS defaults otherwise:
; zlib, each file compressed on its own, and the start-up CRC check of the installer.
;   makensis -DPKGDIR=<package folder> -DOUTFILE=<installer> [-DINSTDIR=C:\Dir] [-DSOLID_LZMA] bench/nsis/compressed.nsi
;   makensis -DEMPTY -DOUTFILE=<installer> [-DSOLID_LZMA] bench/nsis/compressed.nsi
; SOLID_LZMA: the best that NSIS offers, LZMA over all files as one stream.
; EMPTY: no files at all, the smallest installer NSIS makes.
!ifndef OUTFILE
  !error "OUTFILE must name the installer to write"
!endif
!ifndef EMPTY
  !ifndef PKGDIR
    !error "PKGDIR must name the package folder"
  !endif
!endif
!ifndef INSTDIR
  !define INSTDIR "C:\NsisBench"
!endif
!ifdef SOLID_LZMA
  SetCompressor /SOLID lzma
!endif

Name "Pack size"
OutFile "${OUTFILE}"
InstallDir "${INSTDIR}"
RequestExecutionLevel user
SilentInstall silent
SetOverwrite on

Section
!ifndef EMPTY
  SetOutPath "$INSTDIR"
  File /x setup.exe /x SETUP.INI "${PKGDIR}/*"
!endif
SectionEnd
