; The Windows installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Nubrix, with a Start-menu shortcut and an entry in
; the user's list of apps. The uninstaller removes what the installer put
; there and keeps the player's record (.varnokstate) and with it the folder.
;
; makensis -DVERSION=1.0.0 -DSTAGE=<folder with nubrix.exe, data\, README.txt>
;          -DICON=<nubrix.ico> -DOUTFILE=<setup.exe> installer.nsi

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nubrix"

Name "Nubrix"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Nubrix"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Nubrix ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Nubrix"
VIAddVersionKey /LANG=1033 "FileDescription" "Nubrix installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The Nubrix Developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Nubrix Developers"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\nubrix.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Nubrix"
  SetOutPath "$INSTDIR"
  File "${STAGE}\nubrix.exe"
  File "${STAGE}\README.txt"
  File /r "${STAGE}\data"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The game reads data\ and keeps its record in its working folder: the
  ; shortcut starts it in the game's folder (the output path set above).
  CreateShortCut "$SMPROGRAMS\Nubrix.lnk" "$INSTDIR\nubrix.exe" "" "$INSTDIR\nubrix.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Nubrix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Nubrix Developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nubrix.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\nubrix.exe"
  Delete "$INSTDIR\README.txt"
  RMDir /r "$INSTDIR\data"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Nubrix.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Only when empty: the player's record stays, and the folder with it.
  RMDir "$INSTDIR"
SectionEnd
