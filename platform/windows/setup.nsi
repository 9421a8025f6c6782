; Kiru-Setup.exe, built by makensis (cmake/Windows.cmake passes the defines):
;   makensis -DVERSION=1.3.0.1 -DSCR=Kiru.scr -DICON=104.ico -DOUTFILE=Kiru-Setup.exe setup.nsi
; Kiru.scr goes to the system folder, where the display settings list screen savers;
; uninstal.exe goes to the install folder, which the saver finds under "install_dir"
; when it schedules its own removal. /S installs and uninstalls silently.
Unicode true
SetCompressor /SOLID lzma

!define PRODUCT_KEY "Software\Quillmoor\Kiru"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kiru"

Name "Kiru"
Caption "Kiru Screen Saver Setup"
UninstallCaption "Kiru Screen Saver Uninstall"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\Quillmoor\Kiru"
InstallDirRegKey HKLM "${PRODUCT_KEY}" "install_dir"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow
AutoCloseWindow true

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Quillmoor Kiru"
VIAddVersionKey /LANG=1033 "CompanyName" "Quillmoor Software"
VIAddVersionKey /LANG=1033 "FileDescription" "Kiru Screen Saver Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quillmoor Software"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Kiru"
  SetOutPath "$SYSDIR"
  File "/oname=Kiru.scr" "${SCR}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstal.exe"

  ; The saver appends "\uninstal.exe" itself, so the folder is stored without a
  ; trailing separator, also when it is a drive's root.
  StrCpy $0 "$INSTDIR"
  StrCpy $1 "$0" 1 -1
  StrCmp $1 "\" 0 +2
    StrCpy $0 "$0" -1
  WriteRegStr HKLM "${PRODUCT_KEY}" "install_dir" "$0"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kiru Screen Saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillmoor Software"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$0\uninstal.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$0\uninstal.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$0\uninstal.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; What the installer put down goes; the user's own settings (HKCU) stay, as they
; would for a reinstall.
Section "Uninstall"
  SetAutoClose true
  Delete /REBOOTOK "$SYSDIR\Kiru.scr"
  Delete "$INSTDIR\uninstal.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES\Quillmoor"  ; when nothing else of the publisher's is left
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Quillmoor"
SectionEnd
