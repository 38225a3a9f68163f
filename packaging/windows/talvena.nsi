; Talvena's Windows installer, made by tools/windows.sh:
;   makensis -DVERSION=x.y.z -DLICENSE=LICENSE.txt -DFILES=files.nsh -DDELETES=files-delete.nsh -DOUTFILE=setup.exe talvena.nsi
; The installed folder is the game's read-only copy: the installer leaves
; Talvena.installed in it, and the game then plays in %APPDATA%\Talvena,
; prepared from this folder. Silent with /S (desktop icon off).
Unicode true
SetCompressor /SOLID lzma
!include MUI2.nsh
!include Sections.nsh

Name "Talvena ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Talvena"
InstallDirRegKey HKLM "Software\Talvena" "InstallDir"
RequestExecutionLevel admin
BrandingText "Talvena ${VERSION}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvena"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\talvena.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

Section "Talvena" SecGame
  SectionIn RO
  SetShellVarContext all
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\Talvena.installed" w
  FileWrite $0 "${VERSION}$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Talvena"
  CreateShortCut "$SMPROGRAMS\Talvena\Talvena.lnk" "$INSTDIR\talvena.exe"
  CreateShortCut "$SMPROGRAMS\Talvena\Odinstalovat Talvenu.lnk" "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "Software\Talvena" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Talvena"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Talvena team"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\talvena.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Zástupce na ploše" SecDesktop
  SetShellVarContext all
  CreateShortCut "$DESKTOP\Talvena.lnk" "$INSTDIR\talvena.exe"
SectionEnd

; Only what the installer put there goes; the players' own games and
; settings in %APPDATA%\Talvena stay.
Section "Uninstall"
  SetShellVarContext all
  !include "${DELETES}"
  Delete "$INSTDIR\Talvena.installed"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Talvena\Talvena.lnk"
  Delete "$SMPROGRAMS\Talvena\Odinstalovat Talvenu.lnk"
  RMDir "$SMPROGRAMS\Talvena"
  Delete "$DESKTOP\Talvena.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Talvena"
SectionEnd
