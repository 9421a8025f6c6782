; Kiru-Setup.exe, built by makensis (cmake/Windows.cmake passes the defines):
;   makensis -DVERSION=1.3.0.1 -DSCR=Kiru.scr -DICON=104.ico -DSIDE=setup_side.bmp
;            -DOUTFILE=Kiru-Setup.exe setup.nsi
; (SIDE: the welcome and finish pages' picture, made by tools/make-setup-picture)
; Kiru.scr goes to the system folder, where the display settings list screen savers;
; uninstal.exe goes to the install folder, which the saver finds under "install_dir"
; when it schedules its own removal. /S installs and uninstalls silently.
Unicode true
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "WinVer.nsh"

!define PRODUCT_KEY "Software\Quillmoor\Kiru"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kiru"
!define DESKTOP_KEY "Control Panel\Desktop"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The About dialog's web page, the one address it names: the entry's help link too.
!define WEB_PAGE "https://quillmoor.example/kiru/"
!define SETUP_CAPTION "Kiru Screen Saver Setup"
!define UNINSTALL_CAPTION "Kiru Screen Saver Uninstall"

Name "Kiru"
Caption "${SETUP_CAPTION}"
UninstallCaption "${UNINSTALL_CAPTION}"
BrandingText "Kiru Screen Saver ${VERSION}"  ; not the build machine's NSIS version
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quillmoor\Kiru"
InstallDirRegKey HKLM "${PRODUCT_KEY}" "install_dir"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Quillmoor Kiru"
VIAddVersionKey /LANG=1033 "CompanyName" "Quillmoor Software"
VIAddVersionKey /LANG=1033 "FileDescription" "Kiru Screen Saver Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quillmoor Software"

Var SaverPath  ; where Kiru.scr lands, as the display settings name it
Var SaverDir

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE}"

; Modern UI gives every page the caption " ", which the window's caption takes on
; after its own: each page puts the caption back whole when it shows.
!macro KeepCaption un
  !define MUI_PAGE_CUSTOMFUNCTION_SHOW ${un}KeepCaption
!macroend

!define MUI_WELCOMEPAGE_TITLE "Welcome to Kiru Setup"
!define MUI_WELCOMEPAGE_TEXT "This will install Kiru, a screen saver of textured rings, walls, bursts and swarms in OpenGL, on your computer.$\r$\n$\r$\nKiru runs on every Windows since Windows XP (Service Pack 3).$\r$\n$\r$\nClick Next to continue."
!insertmacro KeepCaption ""
!insertmacro MUI_PAGE_WELCOME

; The saver itself cannot go where the user chooses: the display settings look for
; screen savers in the system folder only.
!define MUI_PAGE_HEADER_TEXT "Choose Uninstaller Location"
!define MUI_PAGE_HEADER_SUBTEXT "Choose the folder for Kiru's uninstaller."
!define MUI_DIRECTORYPAGE_TEXT_TOP "The screen saver, Kiru.scr, goes into the Windows system folder ($SaverDir), where the Display settings find screen savers.$\r$\n$\r$\nOnly its uninstaller, uninstal.exe, goes into the folder below. Click Install to start."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder for the uninstaller"
!insertmacro KeepCaption ""
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_FINISHPAGE_NOAUTOCLOSE  ; the progress page stays until Next, its details shown
!insertmacro KeepCaption ""
!insertmacro MUI_PAGE_INSTFILES
; Once done, that page shows the window's caption followed by the "completed" one,
; with no page function to mend it: an empty variable stands where Modern UI has a blank.
Var NoSubCaption
SubCaption 4 "$NoSubCaption"

!define MUI_FINISHPAGE_TITLE "Kiru is installed"
!define MUI_FINISHPAGE_TEXT "Kiru Screen Saver is now on your computer.$\r$\n$\r$\nClick Finish to close Setup."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Use Kiru as my screen saver"
!define MUI_FINISHPAGE_RUN_FUNCTION UseKiru
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenSaverSettings
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro KeepCaption ""
!insertmacro MUI_PAGE_FINISH

; The uninstaller removes more than its folder: the page says so.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Kiru.scr will be removed from the Windows system folder ($SaverDir), and its uninstaller from the folder below. Your own Kiru settings are kept. Click Uninstall to start."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Uninstaller folder:"
!insertmacro KeepCaption "un."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro KeepCaption "un."
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro KeepCaption "un."
!define MUI_FINISHPAGE_TITLE "Kiru is removed"
!define MUI_FINISHPAGE_TEXT "Kiru Screen Saver has been removed from your computer. Your own Kiru settings were kept.$\r$\n$\r$\nClick Finish to close this window."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; The path of the installed saver as the 64-bit display settings see it: a 32-bit
; installer's system folder is SysWOW64 there.
!macro SetSaverPath
  ${If} ${RunningX64}
    StrCpy $SaverPath "$WINDIR\SysWOW64\Kiru.scr"
  ${Else}
    StrCpy $SaverPath "$SYSDIR\Kiru.scr"
  ${EndIf}
  StrCpy $SaverDir $SaverPath -9  ; less "\Kiru.scr"
!macroend

Function .onInit
  !insertmacro SetSaverPath
  StrCpy $NoSubCaption ""
FunctionEnd
Function un.onInit
  !insertmacro SetSaverPath
FunctionEnd

Function KeepCaption
  SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:${SETUP_CAPTION}"
FunctionEnd
Function un.KeepCaption
  SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:${UNINSTALL_CAPTION}"
FunctionEnd

Function UseKiru
  ; What the Display settings write for a chosen saver; then the system is told.
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverPath"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfo(i 17, i 1, i 0, i 3)'  ; SPI_SETSCREENSAVEACTIVE, update and broadcast
FunctionEnd

Function OpenSaverSettings
  ${If} ${AtLeastWinVista}
    Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
  ${Else}
    Exec '"$SYSDIR\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
  ${EndIf}
FunctionEnd

; An earlier install in another folder: its uninstaller and folder go, so that one
; install is left with one Add/Remove entry.
!macro RemoveFolder un
Function ${un}RemoveFolder  ; $0: the folder
  Delete "$0\uninstal.exe"
  RMDir "$0"
  RMDir "$0\.."  ; the publisher's folder, when nothing else of theirs is left
FunctionEnd
!macroend
!insertmacro RemoveFolder ""
!insertmacro RemoveFolder "un."

!macro AddFileSize file  ; $R0 += the file's size in bytes
  FileOpen $R1 "${file}" r
  FileSeek $R1 0 END $R2
  FileClose $R1
  IntOp $R0 $R0 + $R2
!macroend

Section "Kiru"
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "install_dir"
  ${If} $0 != ""
  ${AndIf} $0 != "$INSTDIR"
    Call RemoveFolder
  ${EndIf}

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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB_PAGE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "${WEB_PAGE}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size Add/Remove Programs shows, in KiB rounded up: what was just written.
  StrCpy $R0 0
  !insertmacro AddFileSize "$SYSDIR\Kiru.scr"
  !insertmacro AddFileSize "$INSTDIR\uninstal.exe"
  IntOp $R0 $R0 + 1023
  IntOp $R0 $R0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R0
SectionEnd

; Removal scheduled by the saver's "Remove Kiru" that has not run yet: it would
; start an uninstaller that is gone.
!macro DropScheduledRemovals root
  StrCpy $2 0
  ${Do}
    EnumRegValue $3 ${root} "${RUNONCE_KEY}" $2
    ${IfThen} $3 == "" ${|} ${Break} ${|}
    ReadRegStr $4 ${root} "${RUNONCE_KEY}" $3
    StrCpy $5 $3 10
    ${If} $4 == "$INSTDIR\uninstal.exe"
      StrCpy $4 '"$4"'  ; an older Kiru wrote the path unquoted
    ${EndIf}
    ${If} $5 == "kill_saver"
    ${AndIf} $4 == '"$INSTDIR\uninstal.exe"'
      DeleteRegValue ${root} "${RUNONCE_KEY}" $3  ; the next value takes its index
    ${Else}
      IntOp $2 $2 + 1
    ${EndIf}
  ${Loop}
!macroend

; What the installer put down goes, and the user's screen saver choice when it names
; Kiru; the user's own settings (HKCU\Software\Quillmoor\Kiru) stay, as they would
; for a reinstall.
Section "Uninstall"
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "install_dir"
  ${If} $0 != ""
  ${AndIf} $0 != "$INSTDIR"
    Call un.RemoveFolder
  ${EndIf}
  Delete /REBOOTOK "$SYSDIR\Kiru.scr"
  StrCpy $0 "$INSTDIR"
  Call un.RemoveFolder

  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCpy $1 $0 "" -9
  ${If} $1 == "\Kiru.scr"  ; the comparison ignores case, as file names do
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ; No saver is left to start, as with "(None)" in the Display settings: the
    ; system stores ScreenSaveActive 0 and tells every program.
    System::Call 'user32::SystemParametersInfo(i 17, i 0, i 0, i 3)'  ; SPI_SETSCREENSAVEACTIVE, update and broadcast
  ${EndIf}
  !insertmacro DropScheduledRemovals HKLM
  !insertmacro DropScheduledRemovals HKCU

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Quillmoor"
SectionEnd
