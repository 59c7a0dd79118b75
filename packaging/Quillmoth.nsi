; Quillmoth's installer. It installs for the current user only, without administrator
; rights, into a folder the user can write to: the program keeps its settings beside
; itself, so a folder under Program Files would not do.
;
; Built by scripts/package.sh:
;   makensis -DVERSION=1.2.3.4 -DSTAGE=<folder of the package's files> -DOUTFILE=<setup.exe> Quillmoth.nsi
;
; A 64-bit installer for a 64-bit program; it uses no plug-ins (none are built for
; 64-bit installers), so every page is one of NSIS's own.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoth"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define STARTMENU "$SMPROGRAMS\Quillmoth"

Name "Quillmoth"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillmoth"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quillmoth ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Quillmoth"
VIAddVersionKey /LANG=0 "CompanyName" "Orrinworks"
VIAddVersionKey /LANG=0 "FileDescription" "Quillmoth setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 Orrinworks"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where the user's own is neither.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"
!include /CHARSET=UTF8 "strings-ja.nsh"
LangString SecProgramName ${LANG_ENGLISH} "Quillmoth"
LangString SecLogonName ${LANG_ENGLISH} "Start at logon"
LangString UnSecPurgeName ${LANG_ENGLISH} "Also remove the settings files and filter files"
LangString Running ${LANG_ENGLISH} "Quillmoth is running. End it from its tray menu, then try again."
LangString StartNow ${LANG_ENGLISH} "Start Quillmoth now?"
LangString ManualName ${LANG_ENGLISH} "Quillmoth manual"
LangString ManualFile ${LANG_ENGLISH} "Quillmoth-en.pdf"
LangString UninstallName ${LANG_ENGLISH} "Uninstall Quillmoth"

; The program's main window, hidden while it runs in the tray.
!macro RefuseWhileRunning
  FindWindow $0 "QuillmothForm" "Quillmoth"
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(Running)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "$(SecProgramName)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/Quillmoth.exe"
  File "${STAGE}/quillmoth-filter.exe"
  File "${STAGE}/Quillmoth.pdf"
  File "${STAGE}/Quillmoth-en.pdf"
  File "${STAGE}/${README}"
  File "${STAGE}/LICENSE.txt"
  ; The sample may have become the user's own filter file: an update keeps it.
  SetOverwrite off
  File "${STAGE}/sample-filter.txt"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${STARTMENU}"
  CreateShortcut "${STARTMENU}\Quillmoth.lnk" "$INSTDIR\Quillmoth.exe"
  CreateShortcut "${STARTMENU}\$(ManualName).lnk" "$INSTDIR\$(ManualFile)"
  CreateShortcut "${STARTMENU}\$(UninstallName).lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillmoth"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Orrinworks"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillmoth.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; An update without the logon entry takes away the one an earlier install made.
  DeleteRegValue HKCU "${RUN_KEY}" "Quillmoth"
SectionEnd

Section /o "$(SecLogonName)" SecLogon
  WriteRegStr HKCU "${RUN_KEY}" "Quillmoth" '"$INSTDIR\Quillmoth.exe"'
SectionEnd

Section "-Start"
  MessageBox MB_YESNO|MB_ICONQUESTION "$(StartNow)" /SD IDNO IDNO done
  Exec '"$INSTDIR\Quillmoth.exe"'
  done:
SectionEnd

Section "-un.Program"
  Delete "$INSTDIR\Quillmoth.exe"
  Delete "$INSTDIR\quillmoth-filter.exe"
  Delete "$INSTDIR\Quillmoth.pdf"
  Delete "$INSTDIR\Quillmoth-en.pdf"
  Delete "$INSTDIR\${README}"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /r "${STARTMENU}"
  DeleteRegValue HKCU "${RUN_KEY}" "Quillmoth"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Only what the program itself keeps in its folder: settings, presets beside them and
; the sample. Filter files elsewhere are the user's business, and the folder goes only
; when nothing else is left in it.
Section /o "un.$(UnSecPurgeName)" UnSecPurge
  Delete "$INSTDIR\*.ini"
  Delete "$INSTDIR\sample-filter.txt"
SectionEnd

Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
  ; /PURGE ticks the removal of settings and filter files, for silent uninstalls.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecPurge} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
