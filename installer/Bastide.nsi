; Setup program of Bastide and Palisade50.dll, built by makensis (installer/CMakeLists.txt).
;
; Bastide keeps Bastide.ini and its error logs beside its program, so the default is a
; per-user install into the user's own programs folder, where the program can write
; them without administrator rights. An administrator may install for every user
; instead; the program folder is then read-only for standard users.
;
; Command line (silent deployment):
;   /S                silent
;   /D=<folder>       install folder (last argument, no quotes)
;   /ALLUSERS         per-machine install (administrator only)
;   /CURRENTUSER      per-user install (the default)
; The uninstaller also takes /S; silently it keeps Bastide.ini and the error logs.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user
; A file that cannot be written (the program still running) is retried or cancels the
; setup: it is never skipped silently, which would leave an old program called updated.
AllowSkipFiles off

; BASTIDE_VERSION, BASTIDE_VERSION_QUAD, BASTIDE_PUBLISHER, BASTIDE_BIN, BASTIDE_OUTFILE,
; BASTIDE_ICON, BASTIDE_INSTANCE_MUTEX: generated from the CMake project at configure time.
!include "${BASTIDE_DEFINES}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bastide"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CONTROL_SERVER_KEY "CLSID\{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}\InprocServer32"
!define UNINSTALLER "Désinstaller Bastide.exe"

Name "Bastide ${BASTIDE_VERSION}"
OutFile "${BASTIDE_OUTFILE}"
BrandingText "Bastide ${BASTIDE_VERSION}"
ShowInstDetails hide
ShowUninstDetails hide
SpaceTexts none

Var IsAdmin          ; 1 when the setup runs with administrator rights
Var Mode             ; "user" or "machine"
Var DirFromCommand   ; the folder given by /D=, kept over any default
Var ModeUser         ; radio buttons of the mode page
Var ModeMachine

; ---- Pages -------------------------------------------------------------------------

!define MUI_ICON "${BASTIDE_ICON}"
!define MUI_UNICON "${BASTIDE_ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Cet assistant va installer Bastide ${BASTIDE_VERSION}, programme de sauvegarde de fichiers, et son contrôle de menus Palisade50.$\r$\n$\r$\nSi Bastide est ouvert, fermez-le avant de continuer. Vos configurations (Bastide.ini) sont conservées lors d'une mise à jour.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!define MUI_DIRECTORYPAGE_TEXT_TOP "Bastide enregistre ses réglages (Bastide.ini) et ses journaux d'erreurs dans son propre dossier : choisissez un dossier dans lequel les utilisateurs de Bastide peuvent écrire."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Bastide.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Lancer Bastide"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Bastide va être retiré de cet ordinateur. Vos réglages (Bastide.ini) et les journaux d'erreurs restent dans le dossier du programme, sauf si vous cochez leur suppression."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${BASTIDE_VERSION_QUAD}"
VIFileVersion "${BASTIDE_VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "Bastide"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "${BASTIDE_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de Bastide ${BASTIDE_VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${BASTIDE_VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${BASTIDE_VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "${BASTIDE_PUBLISHER}"

; ---- Shared between setup and uninstaller ------------------------------------------

!macro DETECT_ADMIN
    StrCpy $IsAdmin 0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $IsAdmin 1
    ${EndIf}
!macroend

; Bastide holds this mutex while it runs: its files cannot be replaced or removed then.
!macro REFUSE_WHILE_RUNNING
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${BASTIDE_INSTANCE_MUTEX}") p .r0'
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Bastide est ouvert. Fermez-le, puis cliquez sur Réessayer." /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
        retry:
    ${Loop}
!macroend

; ---- Setup ---------------------------------------------------------------------------

Function .onInit
    ; /D= has already been copied into $INSTDIR (there is no InstallDir default).
    StrCpy $DirFromCommand $INSTDIR
    !insertmacro DETECT_ADMIN

    ; An existing install is updated where it is, in its own mode.
    StrCpy $Mode "user"
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${AndIf} $IsAdmin == 1
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != ""
            StrCpy $Mode "machine"
        ${EndIf}
    ${EndIf}

    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${IfNot} ${Errors}
        StrCpy $Mode "user"
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${IfNot} ${Errors}
        ${If} $IsAdmin != 1
            MessageBox MB_OK|MB_ICONSTOP "L'installation pour tous les utilisateurs demande les droits d'administrateur." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        StrCpy $Mode "machine"
    ${EndIf}
    Call ApplyMode
FunctionEnd

; Sets the shell folders, the registry root and, unless /D= gave one, the folder.
Function ApplyMode
    ${If} $Mode == "machine"
        SetShellVarContext all
        StrCpy $1 "$PROGRAMFILES64\Bastide"
    ${Else}
        SetShellVarContext current
        StrCpy $1 "$LOCALAPPDATA\Programs\Bastide"
    ${EndIf}
    ${If} $DirFromCommand != ""
        StrCpy $INSTDIR $DirFromCommand
        Return
    ${EndIf}
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${Else}
        StrCpy $INSTDIR $1
    ${EndIf}
FunctionEnd

Function ModePage
    ${If} $IsAdmin != 1
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Type d'installation" "Pour qui installer Bastide ?"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateRadioButton} 0 0 100% 12u "Pour &moi seulement (recommandé)"
    Pop $ModeUser
    ${NSD_CreateLabel} 12u 14u -12u 24u "Dans votre dossier de programmes personnel. Vos réglages (Bastide.ini) et vos journaux d'erreurs y restent modifiables sans droits d'administrateur."
    Pop $0
    ${NSD_CreateRadioButton} 0 46u 100% 12u "Pour &tous les utilisateurs de cet ordinateur"
    Pop $ModeMachine
    ${NSD_CreateLabel} 12u 60u -12u 48u "Dans le dossier Program Files. Attention : Bastide enregistre ses réglages (Bastide.ini) et ses journaux d'erreurs à côté du programme. Tous les utilisateurs partageront donc les mêmes configurations, et seul un administrateur pourra les modifier."
    Pop $0
    ${If} $Mode == "machine"
        ${NSD_Check} $ModeMachine
    ${Else}
        ${NSD_Check} $ModeUser
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $ModeMachine $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $Mode "machine"
    ${Else}
        StrCpy $Mode "user"
    ${EndIf}
    Call ApplyMode
FunctionEnd

Section "Bastide" SecProgram
    SectionIn RO
    !insertmacro REFUSE_WHILE_RUNNING

    ; Bastide.ini and the error logs are never shipped: an update leaves them as they are.
    SetOutPath "$INSTDIR"
    File "${BASTIDE_BIN}\Bastide.exe"
    File "${BASTIDE_BIN}\Palisade50.dll"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\Bastide.lnk" "$INSTDIR\Bastide.exe" "" "$INSTDIR\Bastide.exe" 0 \
        SW_SHOWNORMAL "" "Sauvegarde de fichiers"

    ; Without the rights to register the control, Bastide creates it from the library
    ; beside the program.
    ${If} $IsAdmin == 1
        ClearErrors
        RegDLL "$INSTDIR\Palisade50.dll"
        ${If} ${Errors}
            DetailPrint "Le contrôle Palisade50 n'a pas pu être enregistré : Bastide l'utilisera depuis son dossier."
        ${EndIf}
    ${EndIf}

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Bastide"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${BASTIDE_VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${BASTIDE_PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Bastide.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMajor" ${BASTIDE_VERSION_MAJOR}
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMinor" ${BASTIDE_VERSION_MINOR}
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SecProgram} $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---- Uninstaller -----------------------------------------------------------------

Function un.onInit
    !insertmacro DETECT_ADMIN
    ; The entry of "Apps and features" that names this folder tells the install's mode.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        ${If} $IsAdmin != 1
            ; "Apps and features" starts the uninstaller without elevation, even for an
            ; administrator: ask Windows for the rights by starting it again.
            ${IfNot} ${Silent}
                ClearErrors
                ExecShell "runas" "$INSTDIR\${UNINSTALLER}"
                ${IfNot} ${Errors}
                    Quit
                ${EndIf}
            ${EndIf}
            MessageBox MB_OK|MB_ICONSTOP "Bastide est installé pour tous les utilisateurs : seul un administrateur peut le désinstaller." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "un.Bastide" UnSecProgram
    SectionIn RO
    !insertmacro REFUSE_WHILE_RUNNING

    ; The control's registration goes only when it is this install's library.
    ReadRegStr $0 HKCR "${CONTROL_SERVER_KEY}" ""
    ${If} $0 == "$INSTDIR\Palisade50.dll"
        ClearErrors
        UnRegDLL "$INSTDIR\Palisade50.dll"
        ${If} ${Errors}
            DetailPrint "L'enregistrement du contrôle Palisade50 n'a pas pu être retiré."
        ${EndIf}
    ${EndIf}

    ; Start with Windows, when it starts this very program.
    ReadRegStr $0 HKCU "${RUN_KEY}" "Bastide"
    ${If} $0 == "$INSTDIR\Bastide.exe"
        DeleteRegValue HKCU "${RUN_KEY}" "Bastide"
    ${EndIf}
    ReadRegStr $0 HKLM "${RUN_KEY}" "Bastide"
    ${If} $0 == "$INSTDIR\Bastide.exe"
        DeleteRegValue HKLM "${RUN_KEY}" "Bastide"
    ${EndIf}

    Delete "$SMPROGRAMS\Bastide.lnk"
    ClearErrors
    Delete "$INSTDIR\Bastide.exe"
    Delete "$INSTDIR\Palisade50.dll"
    ${If} ${Errors}
        ; The entry stays, so that the removal can be run again.
        MessageBox MB_OK|MB_ICONEXCLAMATION "Les fichiers de Bastide n'ont pas pu être tous supprimés de $INSTDIR." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd

Section /o "un.Réglages et journaux" UnSecSettings
    Delete "$INSTDIR\Bastide.ini"
    Delete "$INSTDIR\*.err"
SectionEnd

Section "-un.Entry"
    ; Removed only when empty: sound files or anything else the user put there stay.
    RMDir "$INSTDIR"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecProgram} "Le programme, son contrôle Palisade50, le raccourci du menu Démarrer et le lancement automatique au démarrage de Windows."
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "Supprime aussi vos configurations (Bastide.ini) et les journaux d'erreurs (*.err). Laissez la case vide pour les retrouver après une réinstallation."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
