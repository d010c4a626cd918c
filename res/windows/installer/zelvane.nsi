; The Windows setup program: installs Zelvane.exe into Program Files with a Start-menu entry, an
; uninstaller and its entry in Apps & features, and copies a database image beside the program
; when one is picked on its page or given on the command line (/IMAGE=path, for /S installs).
;
; Built by makensis from CMakeLists.txt beside this file, which passes -DDEFINES=<file>: that
; file defines PRODUCT, PUBLISHER, DESCRIPTION (the program's version block), VERSION,
; VERSION4 (the project's version, with four parts), ARCH (x64 or x86), PROGRAM (the path of
; Zelvane.exe), ICON and OUTFILE, and SIGN_COMMAND when the build signs what it ships.
;
; The image is the user's: an upgrade keeps it, the uninstaller leaves it, and the folder with it.

!include "${DEFINES}"

!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include LogicLib.nsh

; The program reads the last file of this pattern that the directory search of its own folder
; yields.
!define IMAGE_PATTERN "Tarvik_??????_DB.bin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define LINK "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"

; Authenticode, when the build has a certificate: the uninstaller is signed before it is packed
; into the setup (it is written out at install time as it is packed), the setup once it is written.
!ifdef SIGN_COMMAND
    !uninstfinalize '${SIGN_COMMAND} --description "${PRODUCT} uninstaller" "%1"' = 0
    !finalize '${SIGN_COMMAND} --description "${PRODUCT} setup" "%1"' = 0
!endif

SetCompressor /SOLID lzma
; The program itself runs only as administrator, and Program Files and HKLM need it too.
RequestExecutionLevel admin
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
; An upgrade goes where the earlier install went, and finds its image there.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" InstallLocation
; A file that cannot be replaced (the program still running) stops the install: half an
; upgrade would leave an old program under a new version.
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show

Var ImageSource  ; the image to copy, picked on the page or given as /IMAGE=; empty for none
Var ImageField
Var FinishText

; Where the program may go, and the other architecture's install it replaces.
!include "${__FILEDIR__}/least_privilege.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE InstallFolderLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom ImagePage ImagePageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPagePre
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"

; Sets $R0 to why $ImageSource cannot be the image, or to "" when it can (or is empty).
; Makes $ImageSource a full path.
Function CheckImage
    StrCpy $R0 ""
    ${If} $ImageSource == ""
        Return
    ${EndIf}
    ${IfNot} ${FileExists} "$ImageSource"
    ${OrIf} ${FileExists} "$ImageSource\*.*"
        StrCpy $R0 "There is no image file $ImageSource."
        Return
    ${EndIf}
    GetFullPathName $ImageSource "$ImageSource"
    ${GetFileName} "$ImageSource" $R1
    StrLen $R2 $R1
    StrCpy $R3 $R1 7
    StrCpy $R4 $R1 "" -7
    ${If} $R2 != 20
    ${OrIf} $R3 != "Tarvik_"
    ${OrIf} $R4 != "_DB.bin"
        StrCpy $R0 "$R1 is not named ${IMAGE_PATTERN}, so ${PRODUCT} would not find it."
    ${EndIf}
FunctionEnd

Function .onInit
    ${GetParameters} $0
    ; "/IMAGE=C:\a b\x.bin" as one quoted argument (as a program passes it) read as
    ; /IMAGE="C:\a b\x.bin" (as one types it), the form GetOptions knows.
    ${WordReplace} "$0" '"/IMAGE=' '/IMAGE="' "+" $0
    ClearErrors
    ${GetOptions} "$0" "/IMAGE=" $1
    ${IfNot} ${Errors}
        StrCpy $ImageSource $1
    ${EndIf}
    ; Interactively the image page says what is wrong; a silent install stops before it
    ; changes anything, with exit code 2.
    ${If} ${Silent}
        Call CheckImage
        ${If} $R0 != ""
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${EndIf}
    ; What is installed, and where this setup may go (least_privilege.nsh).
    Call FindInstalls
    Call RefuseSilentDowngrade
    ${If} ${Silent}
        Call RefuseInstallFolderSilently
    ${EndIf}
    Call AnnounceReplacement
FunctionEnd

Function ImagePage
    !insertmacro MUI_HEADER_TEXT "Database image" \
        "The image that ${PRODUCT} writes into the devices."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 48u "${PRODUCT} reads the database image from its own folder, \
        under the name ${IMAGE_PATTERN}.$\r$\n$\r$\nPick an image to copy there now, or leave \
        the field empty and put the image into $INSTDIR later. An image picked here replaces \
        the images already in that folder; with the field empty they stay."
    Pop $0
    ${NSD_CreateText} 0 56u 78% 13u "$ImageSource"
    Pop $ImageField
    ${NSD_CreateBrowseButton} 80% 55u 20% 15u "Browse..."
    Pop $0
    ${NSD_OnClick} $0 OnBrowseImage
    ${NSD_SetFocus} $ImageField
    nsDialogs::Show
FunctionEnd

Function OnBrowseImage
    Pop $0
    nsDialogs::SelectFileDialog open "" "Database image (${IMAGE_PATTERN})|${IMAGE_PATTERN}|All files|*.*"
    Pop $0
    ${If} $0 != ""
        ${NSD_SetText} $ImageField $0
    ${EndIf}
FunctionEnd

Function ImagePageLeave
    ${NSD_GetText} $ImageField $ImageSource
    Call CheckImage
    ${If} $R0 != ""
        MessageBox MB_ICONEXCLAMATION "$R0"
        Abort
    ${EndIf}
FunctionEnd

; Copies $ImageSource into $INSTDIR under its own name, in place of the images there: the
; program writes only one, and which one of several would depend on the directory's order.
Function CopyImage
    ${If} $ImageSource == ""
        Return
    ${EndIf}
    ${GetFileName} "$ImageSource" $R1
    ${If} "$ImageSource" == "$INSTDIR\$R1"
        Return
    ${EndIf}
    Delete "$INSTDIR\${IMAGE_PATTERN}"
    ClearErrors
    CopyFiles /SILENT "$ImageSource" "$INSTDIR\$R1"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP "The image $ImageSource could not be copied to $INSTDIR." /SD IDOK
        SetErrorLevel 3
        Abort
    ${EndIf}
    DetailPrint "Image copied: $INSTDIR\$R1"
FunctionEnd

Function WriteUninstallEntry
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Comments" "${DESCRIPTION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zelvane.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    ; In KiB, of what the setup installed: the program and the uninstaller, not the image.
    ${GetSize} "$INSTDIR" "/M=Zelvane.exe /S=0K /G=0" $0 $1 $2
    ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $3 $1 $2
    IntOp $0 $0 + $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

Function FinishPagePre
    StrCpy $FinishText "${PRODUCT} ${VERSION} is in $INSTDIR and in the Start menu.$\r$\n$\r$\n"
    FindFirst $0 $1 "$INSTDIR\${IMAGE_PATTERN}"
    FindClose $0
    ${If} $1 == ""
        StrCpy $FinishText "$FinishText$\r$\nThere is no database image yet. Put it into \
            $INSTDIR, named ${IMAGE_PATTERN}, before you start ${PRODUCT}."
    ${Else}
        StrCpy $FinishText "$FinishText$\r$\nThe database image is $INSTDIR\$1. To change \
            it, put the new ${IMAGE_PATTERN} there and remove the old one."
    ${EndIf}
FunctionEnd

Section "${PRODUCT}"
    SetShellVarContext all
    Call RemoveOtherArchitecture
    Call PrepareInstallFolder
    SetOutPath "$INSTDIR"
    File "/oname=Zelvane.exe" "${PROGRAM}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "${LINK}" "$INSTDIR\Zelvane.exe" "" "$INSTDIR\Zelvane.exe" 0 \
        SW_SHOWNORMAL "" "${DESCRIPTION}"
    Call CopyImage
    Call FinishReplacement
    Call WriteUninstallEntry
SectionEnd

; Removes only what the setup installed. The folder goes when that leaves it empty; an image,
; or anything else the user put there, keeps it.
Section "Uninstall"
    SetShellVarContext all
    ; A running program cannot be removed: stop before anything else goes.
    ClearErrors
    Delete "$INSTDIR\Zelvane.exe"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP "$INSTDIR\Zelvane.exe could not be removed. Close ${PRODUCT} \
            and try again." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    Delete "${LINK}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    FindFirst $0 $1 "$INSTDIR\${IMAGE_PATTERN}"
    FindClose $0
    ${If} $1 != ""
        DetailPrint "The database image $INSTDIR\$1 is left, and its folder with it."
        MessageBox MB_ICONINFORMATION "${PRODUCT} is removed. Your database image \
            $INSTDIR\$1 is left where it is; delete it, and the folder, when you no longer \
            need it." /SD IDOK
    ${EndIf}
    RMDir "$INSTDIR"
SectionEnd
