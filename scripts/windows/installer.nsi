; The Windows installer, made by scripts/windows/package with Debian's makensis:
;   makensis -DVERSION=x.y.z -DSTAGE=<staged folder> -DOUTFILE=<setup.exe> installer.nsi
; A per-user install: no administrator rights, everything below the user's
; own folders and HKEY_CURRENT_USER. The uninstaller removes what this
; installed and nothing the fitter made: the configurations saved in the
; "Configuration" folder beside the program, the workshop history in
; %APPDATA%\noxconfig and the settings in the registry stay.
; The program is 64-bit only, and so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh

!define PRODUCT "NoxConfig"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define FILE_CLASS "NoxConfig.Configuration"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${STAGE}\noxconfig.ico"
!define MUI_UNICON "${STAGE}\noxconfig.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\noxconfig.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The program's own languages; the installer speaks the one Windows uses.
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Polish"

; One list for both directions, so the uninstaller removes exactly what the
; installer put there.
!macro ProgramFiles Action
  !insertmacro ${Action} "noxconfig.exe"
  !insertmacro ${Action} "ecuctl.exe"
  !insertmacro ${Action} "ProtoNOX.dll"
  !insertmacro ${Action} "Languages.dll"
  !insertmacro ${Action} "ConfigBase.dll"
  !insertmacro ${Action} "noxconfig.ico"
  !insertmacro ${Action} "README.txt"
  !insertmacro ${Action} "translations\qtbase_it.qm"
  !insertmacro ${Action} "translations\qtbase_en.qm"
  !insertmacro ${Action} "translations\qtbase_de.qm"
  !insertmacro ${Action} "translations\qtbase_fr.qm"
  !insertmacro ${Action} "translations\qtbase_pl.qm"
!macroend
!macro InstallFile Name
  File "/oname=${Name}" "${STAGE}\${Name}"
!macroend
!macro RemoveFile Name
  Delete "$INSTDIR\${Name}"
!macroend

Section "Install"
  SetOutPath "$INSTDIR"
  CreateDirectory "$INSTDIR\translations"
  !insertmacro ProgramFiles InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\noxconfig.exe" "" "$INSTDIR\noxconfig.ico"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\README.lnk" "$INSTDIR\README.txt"

  ; Double-clicking a .kfg opens it in the program, which compares before
  ; it loads anything.
  WriteRegStr HKCU "Software\Classes\.kfg" "" "${FILE_CLASS}"
  WriteRegStr HKCU "Software\Classes\${FILE_CLASS}" "" "${PRODUCT} configuration"
  WriteRegStr HKCU "Software\Classes\${FILE_CLASS}\DefaultIcon" "" "$INSTDIR\noxconfig.ico"
  WriteRegStr HKCU "Software\Classes\${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\noxconfig.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "nox srl"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\noxconfig.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro ProgramFiles RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\translations"
  ; Without /r: a folder that still holds the fitter's files stays.
  RMDir "$INSTDIR\Configuration"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\README.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; .kfg is left alone if another program has taken it since.
  ReadRegStr $0 HKCU "Software\Classes\.kfg" ""
  StrCmp $0 "${FILE_CLASS}" 0 +2
    DeleteRegKey HKCU "Software\Classes\.kfg"
  DeleteRegKey HKCU "Software\Classes\${FILE_CLASS}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
