; Pelkrin's per-user installer and uninstaller (NSIS 3).
;
; Pelkrin keeps its settings and lists beside its own program file, and its manifest asks for no
; elevation, which also switches off the file redirection Windows applies to old programs. Under
; Program Files it could write neither, so this installs into the user's own programs folder and
; never asks for administrator rights.
;
; cmake/packaging.cmake runs makensis with these defined:
;   TARGET             x86-unicode (the 32-bit product) or amd64-unicode (the 64-bit build)
;   VERSION            the project's version, such as 1.0.0
;   VERSION_QUAD       the same with four parts, as Windows version records want it
;   PUBLISHER          the publisher shown in the list of installed programs
;   PROGRAM_FILES_NSH  the generated list of the program folder's files (files.nsh)
;   ICON               the program's icon, also the installer's
;   BLOCK_BUTTON_GUID  the browser's Block button key that the program installs, {...}
;   OUTFILE            where the installer goes

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "${PROGRAM_FILES_NSH}"

!define PRODUCT "Pelkrin"
!define MAIN_WINDOW_CLASS "PelkrinMain"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelkrin"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define BLOCK_BUTTON_KEY "Software\Microsoft\Internet Explorer\Extensions\${BLOCK_BUTTON_GUID}"
!define SHORTCUT "$SMPROGRAMS\Pelkrin.lnk"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Pelkrin"
; An upgrade goes where the last installation went (it may have been given /D=).
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This will install ${PRODUCT} ${VERSION} for you alone, in your own \
    programs folder, where it keeps its settings and lists. No administrator rights are \
    needed.$\r$\n$\r$\n${PRODUCT} hides and closes the advertising popups of your web browser \
    from its icon in the notification area.$\r$\n$\r$\nClick Install to install it."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} ${VERSION} has been installed in $INSTDIR. You find it in \
    the Start menu.$\r$\n$\r$\nClick Finish to close this wizard."
!define MUI_FINISHPAGE_RUN "$INSTDIR\pelkrin.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---- A running Pelkrin -------------------------------------------------------------------------
; Its files are in use while it runs. Interactively the user is asked to end it and the setup
; waits for it. Silently it is ended the way Windows ends it with the session: WM_QUERYENDSESSION,
; then WM_ENDSESSION, whose handling runs the program's whole shutdown (the lists and the history
; count are saved) before the message returns; the process is ended after that, as Windows ends
; it, unless it has ended itself. A program that does not answer is never ended: the setup stops
; instead (exit code 2), so that nothing is lost.
!define ENDSESSION_CLOSEAPP 0x1
!define SMTO_ABORTIFHUNG 0x2
!define SHUTDOWN_DEADLINE_MS 30000
!define EXIT_DEADLINE_MS 10000
!define SYNCHRONIZE_AND_TERMINATE 0x100001
!define WAIT_OBJECT_0 0

!macro END_RUNNING_PELKRIN UN
; Leaves $R9 = "ok" when no Pelkrin runs any more, otherwise the reason.
Function ${UN}EndRunningPelkrin
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $R9 "ok"
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" ""
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    ; The process, to wait for its end.
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE_AND_TERMINATE}, i 0, i r1) p .r2"
    ${IfNot} ${Silent}
      MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Please end it first: \
          click its icon in the notification area and choose Exit.$\r$\n$\r$\nThen click OK to \
          go on, or Cancel to stop." IDOK asked
      StrCpy $R9 "cancelled: ${PRODUCT} is still running"
      System::Call "kernel32::CloseHandle(p r2)"
      ${Break}
      asked:
    ${Else}
      DetailPrint "Ending the running ${PRODUCT}"
      System::Call "user32::SendMessageTimeout(p r0, i ${WM_QUERYENDSESSION}, p 0, \
          p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${SHUTDOWN_DEADLINE_MS}, *p .r3) p .r4"
      ${If} $4 != 0
      ${AndIf} $3 != 0
        System::Call "user32::SendMessageTimeout(p r0, i ${WM_ENDSESSION}, p 1, \
            p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${SHUTDOWN_DEADLINE_MS}, *p .r3) p .r4"
      ${EndIf}
      ${If} $2 == 0
        StrCpy $R9 "${PRODUCT} is running and cannot be reached"
        ${Break}
      ${EndIf}
      System::Call "kernel32::WaitForSingleObject(p r2, i 0) i .r1"
      ${If} $1 != ${WAIT_OBJECT_0}
        ${If} $4 == 0
          ; The shutdown did not run (or did not finish in time): nothing is ended.
          StrCpy $R9 "${PRODUCT} did not answer the request to end"
          System::Call "kernel32::CloseHandle(p r2)"
          ${Break}
        ${EndIf}
        ; Its shutdown has run; end the process as Windows does after WM_ENDSESSION.
        System::Call "kernel32::TerminateProcess(p r2, i 0) i"
      ${EndIf}
    ${EndIf}
    ${If} $2 != 0
      System::Call "kernel32::WaitForSingleObject(p r2, i ${EXIT_DEADLINE_MS}) i .r1"
      System::Call "kernel32::CloseHandle(p r2)"
      ${If} $1 != ${WAIT_OBJECT_0}
      ${AndIf} ${Silent}
        StrCpy $R9 "${PRODUCT} did not end within the deadline"
        ${Break}
      ${EndIf}
    ${EndIf}
  ${Loop}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_RUNNING_PELKRIN ""
!insertmacro END_RUNNING_PELKRIN "un."

; ---- Install ---------------------------------------------------------------------------------------
Section "Pelkrin" SecProgram
  SectionIn RO
  Call EndRunningPelkrin
  ${If} $R9 != "ok"
    DetailPrint "$R9"
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} was not installed: $R9."
    ${EndIf}
    Abort "$R9"
  ${EndIf}

  ; Only the program's own files: the user's pk.sys, alwdom.sys, alwcap.sys and popblk.sys are
  ; never in the package, so an upgrade leaves them as they are.
  SetOutPath "$INSTDIR"
  SetOverwrite on
  !insertmacro PELKRIN_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts the program in its folder, where it finds its files.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\pelkrin.exe" "" "$INSTDIR\pelkrin.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pelkrin.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; ---- Uninstall -------------------------------------------------------------------------------------
; Removes a value that the program wrote for itself when the file it names is gone: a value that
; names another copy of Pelkrin that still exists belongs to that copy.
!macro REMOVE_RUN_VALUE ROOT
  ClearErrors
  ReadRegStr $0 ${ROOT} "${RUN_KEY}" "${PRODUCT}"
  ${IfNot} ${Errors}
  ${AndIfNot} ${FileExists} "$0"
    DeleteRegValue ${ROOT} "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
!macroend

; Removes the browser's Block button that the program installed (machine-wide, or the user's own
; where that could not be written) when the block.exe it names is gone.
!macro REMOVE_BLOCK_BUTTON ROOT
  ClearErrors
  EnumRegValue $0 ${ROOT} "${BLOCK_BUTTON_KEY}" 0
  ${IfNot} ${Errors}
    ReadRegStr $0 ${ROOT} "${BLOCK_BUTTON_KEY}" "Exec"
    ${If} $0 == ""
    ${OrIfNot} ${FileExists} "$0"
      DeleteRegKey ${ROOT} "${BLOCK_BUTTON_KEY}"
      ; Kept settings must not say the button is there: a later installation puts it back.
      ReadINIStr $1 "$INSTDIR\pk.sys" "pk" "ICON_CREATED"
      ${If} $1 == "1"
      ${AndIf} $R8 == "keep"
        DeleteINIStr "$INSTDIR\pk.sys" "pk" "ICON_CREATED"
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  Call un.EndRunningPelkrin
  ${If} $R9 != "ok"
    DetailPrint "$R9"
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} was not removed: $R9."
    ${EndIf}
    Abort "$R9"
  ${EndIf}

  StrCpy $R8 "keep"
  MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${PRODUCT} settings and lists?$\r$\n$\r$\nThey \
      stay in $INSTDIR for a later installation. Click No to remove them too." /SD IDYES IDYES keep
  StrCpy $R8 "remove"
  keep:

  !insertmacro PELKRIN_DELETE_FILES
  Delete "$INSTDIR\uninstall.exe"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The start-with-Windows value (machine-wide, and the user's own when that one could not be
  ; written), and the browser's Block button, which would otherwise start a block.exe that no
  ; longer exists.
  !insertmacro REMOVE_RUN_VALUE HKLM
  !insertmacro REMOVE_RUN_VALUE HKCU
  !insertmacro REMOVE_BLOCK_BUTTON HKLM
  !insertmacro REMOVE_BLOCK_BUTTON HKCU

  ${If} $R8 == "remove"
    Delete "$INSTDIR\pk.sys"
    Delete "$INSTDIR\alwdom.sys"
    Delete "$INSTDIR\alwcap.sys"
    Delete "$INSTDIR\popblk.sys"
    ; A list too big to read whole was saved beside its file under this name.
    Delete "$INSTDIR\alwdom.sys.partial"
    Delete "$INSTDIR\alwcap.sys.partial"
    Delete "$INSTDIR\popblk.sys.partial"
  ${EndIf}
  ; The program's own list of the popups it made transparent: the program ended above made them
  ; opaque, and no later start will read it.
  Delete "$INSTDIR\popclear.sys"
  ; Only when empty: whatever else the user put there stays.
  RMDir "$INSTDIR"
SectionEnd
