; Quipmark's installer, built by scripts/dist.sh with NSIS (makensis), which
; defines VERSION ("2.1a"), VERSION4 ("2.1.0.0"), STAGE (the folder holding
; quipmark.exe, README.txt and LICENSE.txt), ICON, OUTFILE and TARGET
; (x86-unicode for the 32-bit program, amd64-unicode for the 64-bit one).
;
; Both installers put the program into the same folder under the same
; uninstall entry, so one installed over the other replaces the program and
; keeps the entries and the settings, which both programs share.
;
; It installs for the current user only, without administrator rights, into
; a folder that user can write: Quipmark keeps "quipmark.dat" beside its own
; program file, which would fail under "Program Files".
;
; Command line:
;   setup.exe /S [/NOAUTOSTART] [/D=FOLDER]   silent install; /NOAUTOSTART leaves
;                                             out "Start Quipmark with Windows"
;   Uninstall.exe /S [/REMOVEDATA]            silent uninstall; the entries and the
;                                             settings stay unless /REMOVEDATA is given
;   Uninstall.exe /REMOVEDATA | /KEEPDATA     answers the uninstaller's question beforehand

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Quipmark"
!define PUBLISHER "Dorvalent"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quipmark"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Dorvalent\QuipMark"
!define ID_EXIT 32774

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quipmark"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} Uninstall"

VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\quipmark.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quipmark now"

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var RemoveData   ; uninstaller: "1" delete entries and settings, "0" keep, "" ask

; A running Quipmark holds its program file, and would save its entries again
; after they were deleted: it is asked to exit through its own Exit command,
; which saves or asks as on any exit. The main window is the dialog captioned
; "Quipmark" that holds the hidden copy edit (1011), there from its start;
; other windows may carry the caption.
!macro QUIPMARK_CLOSER un
Function ${un}FindQuipmark
    StrCpy $R0 0
    ${Do}
        FindWindow $R0 "#32770" "${PRODUCT}" "" $R0
        ${If} $R0 == 0
            ${Break}
        ${EndIf}
        GetDlgItem $R1 $R0 1011
        ${If} $R1 != 0
            ${Break}
        ${EndIf}
    ${Loop}
FunctionEnd

Function ${un}CloseQuipmark
    Push $R0
    Push $R1
    Push $R2
    ${Do}
        Call ${un}FindQuipmark
        ${If} $R0 == 0
            ${Break}
        ${EndIf}
        DetailPrint "Closing the running Quipmark"
        SendMessage $R0 ${WM_COMMAND} ${ID_EXIT} 0 /TIMEOUT=3000
        ; Up to 15 s: its question about unsaved changes may be on screen.
        StrCpy $R2 0
        ${DoWhile} $R2 < 150
            Call ${un}FindQuipmark
            ${If} $R0 == 0
                ${Break}
            ${EndIf}
            Sleep 100
            IntOp $R2 $R2 + 1
        ${Loop}
        ${If} $R0 != 0
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
                "Quipmark is still running. Please exit it (tray icon, Exit), then press Retry." \
                /SD IDCANCEL IDRETRY +2
            Abort "Quipmark is still running."
        ${EndIf}
    ${Loop}
    ; The process may outlive its window for a moment.
    StrCpy $R2 0
    ${DoWhile} $R2 < 50
        ${IfNot} ${FileExists} "$INSTDIR\quipmark.exe"
            ${Break}
        ${EndIf}
        ClearErrors
        FileOpen $R1 "$INSTDIR\quipmark.exe" a
        ${IfNot} ${Errors}
            FileClose $R1
            ${Break}
        ${EndIf}
        Sleep 100
        IntOp $R2 $R2 + 1
    ${Loop}
    Pop $R2
    Pop $R1
    Pop $R0
FunctionEnd
!macroend
!insertmacro QUIPMARK_CLOSER ""
!insertmacro QUIPMARK_CLOSER "un."

Section "Quipmark" SecProgram
    SectionIn RO
    SetShellVarContext current
    Call CloseQuipmark
    SetOutPath "$INSTDIR"
    File "${STAGE}\quipmark.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Quipmark.lnk" "$INSTDIR\quipmark.exe" "" "$INSTDIR\quipmark.exe" 0 \
        SW_SHOWNORMAL "" "Keeps text snippets and hands them to the clipboard"
    ; The next section writes it again if it stays chosen.
    DeleteRegValue HKCU "${RUN_KEY}" "Quipmark"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quipmark.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Start Quipmark with Windows" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "Quipmark" '"$INSTDIR\quipmark.exe"'
SectionEnd

Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOAUTOSTART" $1
    ${IfNot} ${Errors}
        !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}
FunctionEnd

Function un.onInit
    ${GetParameters} $0
    StrCpy $RemoveData ""
    ClearErrors
    ${GetOptions} $0 "/KEEPDATA" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveData 0
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/REMOVEDATA" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveData 1
    ${EndIf}
FunctionEnd

; Whether the user has anything of their own here: entries beside the
; program, or a settings key.
Function un.HasUserData
    StrCpy $R0 0
    ${If} ${FileExists} "$INSTDIR\quipmark.dat"
    ${OrIf} ${FileExists} "$INSTDIR\quipmark.dat.bak"
    ${OrIf} ${FileExists} "$INSTDIR\quipmark.dat.*.bak"
        StrCpy $R0 1
    ${EndIf}
    ClearErrors
    EnumRegValue $R1 HKCU "${SETTINGS_KEY}" 0
    ${IfNot} ${Errors}
        StrCpy $R0 1
    ${EndIf}
    ClearErrors
    EnumRegKey $R1 HKCU "${SETTINGS_KEY}" 0
    ${IfNot} ${Errors}
    ${AndIf} $R1 != ""
        StrCpy $R0 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.CloseQuipmark

    Delete "$INSTDIR\quipmark.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$SMPROGRAMS\Quipmark.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "Quipmark"

    ${If} $RemoveData == ""
        StrCpy $RemoveData 0
        Call un.HasUserData
        ${If} $R0 == 1
            MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
                "Do you also want to delete your Quipmark entries (quipmark.dat) and settings?$\n$\nChoose No to keep them for a later installation." \
                /SD IDNO IDNO +2
            StrCpy $RemoveData 1
        ${EndIf}
    ${EndIf}
    ${If} $RemoveData == 1
        DetailPrint "Deleting the entries and settings"
        Delete "$INSTDIR\quipmark.dat"
        Delete "$INSTDIR\quipmark.dat.bak"
        ; Older backups, each moved aside by a newer one.
        Delete "$INSTDIR\quipmark.dat.*.bak"
        Delete "$INSTDIR\quipmark.dat.tmp"
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Dorvalent"
    ${EndIf}
    ; Only when empty: kept entries stay where the next installation finds them.
    RMDir "$INSTDIR"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
