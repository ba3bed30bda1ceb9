; The setup program of the Windows release, made by scripts/dist.sh:
;
;   makensis -DVERSION=1.1.0 -DSTAGE=<folder of the release's files> -DICON=<tovrine.ico> -DOUTFILE=<setup.exe> setup.nsi
;
; Puts the saver that fits the system into the system folder, where the
; list of screen savers looks (tovrine64.scr on 64-bit Windows, tovrine.scr
; otherwise), and the help into the Windows folder, where WinHelp finds the
; help file by its name and the saver finds the web page; offers to make
; Tovrine the current screen saver; adds an uninstall entry. The uninstaller
; removes what setup put (and the index WinHelp builds beside the help file)
; and the entry; the settings stay unless the person ticks the box, or gives
; /REMOVESETTINGS to a silent uninstall (/S).

Unicode true
!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"

!define HELPNAME "tovrine doreroder"
!define UNINSTALLKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tovrine"
!define SETTINGSKEY "Control Panel\Desktop\ScreenSavers\Tovrine (Doreroder v.1.1)"

Name "Tovrine ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Tovrine"
RequestExecutionLevel admin
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tovrine"
VIAddVersionKey "FileDescription" "Tovrine screen saver setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "the Tovrine team"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 the Tovrine team"

Page components
Page instfiles
UninstPage uninstConfirm
UninstPage components
UninstPage instfiles

Var saver

Function .onInit
    ${If} ${RunningX64}
        StrCpy $saver "$WINDIR\System32\tovrine64.scr"
    ${Else}
        StrCpy $saver "$SYSDIR\tovrine.scr"
    ${EndIf}
FunctionEnd

Section "Tovrine screen saver and its help" SectionSaver
    SectionIn RO
    ; The 32-bit setup would land in SysWOW64, where 64-bit Windows does not
    ; list screen savers.
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        SetOutPath "$WINDIR\System32"
        File "${STAGE}\tovrine64.scr"
        ${EnableX64FSRedirection}
    ${Else}
        SetOutPath "$SYSDIR"
        File "${STAGE}\tovrine.scr"
    ${EndIf}
    SetOutPath "$WINDIR"
    File "${STAGE}\${HELPNAME}.hlp"
    File "${STAGE}\${HELPNAME}.cnt"
    File "${STAGE}\tovrine-help.html"
    SetOutPath "$INSTDIR"
    File "${STAGE}\README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALLKEY}" "DisplayName" "Tovrine"
    WriteRegStr HKLM "${UNINSTALLKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALLKEY}" "Publisher" "the Tovrine team"
    WriteRegStr HKLM "${UNINSTALLKEY}" "DisplayIcon" "$saver"
    WriteRegStr HKLM "${UNINSTALLKEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALLKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALLKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALLKEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALLKEY}" "NoRepair" 1
SectionEnd

Section "Make Tovrine the current screen saver" SectionCurrent
    WriteRegStr HKCU "Control Panel\Desktop" "SCRNSAVE.EXE" "$saver"
    WriteRegStr HKCU "Control Panel\Desktop" "ScreenSaveActive" "1"
SectionEnd

Section "un.Tovrine screen saver and its help"
    SectionIn RO
    ; No screen saver rather than one that is gone.
    ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${If} $0 == $saver
        DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${EndIf}
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        Delete "$WINDIR\System32\tovrine64.scr"
        ${EnableX64FSRedirection}
    ${Else}
        Delete "$SYSDIR\tovrine.scr"
    ${EndIf}
    Delete "$WINDIR\${HELPNAME}.hlp"
    Delete "$WINDIR\${HELPNAME}.cnt"
    ; WinHelp's index and full-text search of the help file.
    Delete "$WINDIR\${HELPNAME}.gid"
    Delete "$WINDIR\${HELPNAME}.fts"
    Delete "$WINDIR\tovrine-help.html"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALLKEY}"
SectionEnd

Section /o "un.Also remove my Tovrine settings" SectionSettings
    DeleteRegKey HKCU "${SETTINGSKEY}"
SectionEnd

Function un.onInit
    ${If} ${RunningX64}
        StrCpy $saver "$WINDIR\System32\tovrine64.scr"
    ${Else}
        StrCpy $saver "$SYSDIR\tovrine.scr"
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        SectionSetFlags ${SectionSettings} ${SF_SELECTED}
    ${EndIf}
FunctionEnd
