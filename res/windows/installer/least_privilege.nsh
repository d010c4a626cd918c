; Where the setup may put the program, and what it replaces. Included by zelvane.nsi, whose
; defines (PRODUCT, VERSION, ARCH, PROGRAM_FILES, UNINSTALL_KEY, IMAGE_PATTERN) and variable
; $ImageSource it uses.
;
; The program always runs as administrator, so its folder must be one that only administrators
; can change: in a folder that users may write to, any user could replace Zelvane.exe, the
; uninstaller or the image, or put a DLL beside them that the next administrator's run loads.
; - Program Files is such a folder, and a folder in it inherits its access.
; - Any other folder must be new, empty, or this product's earlier install; the setup makes it
;   anew and gives it its own access: administrators and SYSTEM full control, users read and
;   execute, nothing inherited from the folder above.
; - A folder with DLL files in it is refused: the program ships none, and Windows loads a DLL
;   from the program's own folder before the system's.
; - The x64 and the x86 program are never installed side by side (64-bit Windows runs both, each
;   with its own uninstall entry and Program Files): this setup removes the other one, says so,
;   and takes its database image along when no image is given.
; - An older setup never replaces a newer install silently: interactively it asks, silently it
;   stops unless /DOWNGRADE is given.
;
; Exit codes of a silent setup that stops before it changes anything: 4 DLL files in the folder,
; 5 a folder outside Program Files that holds other files, 6 a newer version installed, 7 the
; other architecture's program cannot be removed (it is running). A folder whose access cannot
; be set stops the install with 5.

!include x64.nsh

!if "${ARCH}" == "x64"
    !define OTHER_ARCH x86
    !define OTHER_REG_VIEW 32
!else
    !define OTHER_ARCH x64
    !define OTHER_REG_VIEW 64
!endif
; Administrators and SYSTEM: full control; users: read and execute (FILE_GENERIC_READ |
; FILE_GENERIC_EXECUTE); for the folder and, inherited, everything in it. P: nothing inherited
; from the folder above.
!define FOLDER_ACCESS "D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"

Var OwnVersion    ; the version this architecture has installed, or ""
Var OtherDir      ; the other architecture's install folder, or ""
Var OtherVersion
Var OtherImage    ; the other architecture's image, once taken along, to remove there

; Reads what is installed: this architecture's version, and the other architecture's folder and
; version. 32-bit Windows runs only the x86 program, so there is no other install there (and
; its one registry view would give this setup's own entry).
Function FindInstalls
    ReadRegStr $OwnVersion HKLM "${UNINSTALL_KEY}" DisplayVersion
    StrCpy $OtherDir ""
    StrCpy $OtherVersion ""
!if "${ARCH}" == "x86"
    ${IfNot} ${RunningX64}
        Return
    ${EndIf}
!endif
    SetRegView ${OTHER_REG_VIEW}
    ReadRegStr $OtherDir HKLM "${UNINSTALL_KEY}" InstallLocation
    ReadRegStr $OtherVersion HKLM "${UNINSTALL_KEY}" DisplayVersion
    SetRegView default
FunctionEnd

; Sets $R0 to the newest version installed of either architecture, or "".
Function NewestInstalled
    StrCpy $R0 $OwnVersion
    ${If} $OtherVersion != ""
        ${If} $R0 == ""
            StrCpy $R0 $OtherVersion
        ${Else}
            ${VersionCompare} $R0 $OtherVersion $R1
            ${If} $R1 == 2
                StrCpy $R0 $OtherVersion
            ${EndIf}
        ${EndIf}
    ${EndIf}
FunctionEnd

; In .onInit, after FindInstalls: a newer install is replaced only when the user says so, or
; with /DOWNGRADE on a silent command line; else the setup ends with exit code 6.
Function RefuseSilentDowngrade
    Call NewestInstalled
    ${If} $R0 == ""
        Return
    ${EndIf}
    ${VersionCompare} "${VERSION}" $R0 $R1
    ${If} $R1 != 2
        Return
    ${EndIf}
    ${GetParameters} $R2
    ClearErrors
    ${GetOptions} $R2 "/DOWNGRADE" $R3
    ${IfNot} ${Errors}
        Return
    ${EndIf}
    ${IfNot} ${Silent}
        MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "${PRODUCT} $R0 is installed, \
            which is newer than this setup's ${VERSION}.$\r$\n$\r$\nReplace it with the older \
            version?" IDYES done
    ${EndIf}
    SetErrorLevel 6
    Quit
done:
FunctionEnd

; In .onInit, after FindInstalls: the clear word that the other architecture's program goes.
Function AnnounceReplacement
    ${If} $OtherDir == ""
        Return
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} $OtherVersion for ${OTHER_ARCH} is \
        installed in $OtherDir.$\r$\n$\r$\nThe ${OTHER_ARCH} and ${ARCH} programs are never \
        installed side by side: this setup removes the ${OTHER_ARCH} program and installs the \
        ${ARCH} one. Its database image comes along unless you pick another." /SD IDOK IDOK done
    Quit
done:
FunctionEnd

; Sets $R0 to 1 when $INSTDIR lies inside Program Files (not Program Files itself), else 0.
Function InProgramFiles
    StrCpy $R0 0
    GetFullPathName $R1 "$INSTDIR"
    GetFullPathName $R2 "${PROGRAM_FILES}"
    StrLen $R3 $R2
    StrCpy $R4 $R1 $R3
    StrCpy $R5 $R1 1 $R3
    StrCpy $R6 $R1 "" $R3
    ; StrCmp (and so ==) ignores case, as Windows' paths do.
    ${If} $R4 == $R2
    ${AndIf} $R5 == "\"
    ${AndIf} $R6 != "\"
        StrCpy $R0 1
    ${EndIf}
FunctionEnd

; Sets $R0 to 1 when $INSTDIR is this product's earlier install, of either architecture.
Function IsEarlierInstall
    StrCpy $R0 0
    GetFullPathName $R1 "$INSTDIR"
    ReadRegStr $R2 HKLM "${UNINSTALL_KEY}" InstallLocation
    ${If} $R2 != ""
        GetFullPathName $R2 $R2
    ${EndIf}
    ${If} $OtherDir != ""
        GetFullPathName $R3 $OtherDir
    ${Else}
        StrCpy $R3 ""
    ${EndIf}
    ${If} $R1 == $R2
    ${OrIf} $R1 == $R3
        StrCpy $R0 1
    ${EndIf}
FunctionEnd

; Sets $R0 to 1 when $INSTDIR exists and holds anything.
Function FolderHoldsFiles
    StrCpy $R0 0
    FindFirst $R1 $R2 "$INSTDIR\*"
    ${DoWhile} $R2 != ""
        ${If} $R2 != "."
        ${AndIf} $R2 != ".."
            StrCpy $R0 1
            ${Break}
        ${EndIf}
        FindNext $R1 $R2
    ${Loop}
    FindClose $R1
FunctionEnd

; Sets $R0 to why the program must not go into $INSTDIR, or to "" when it may, and $R9 to the
; exit code a silent setup ends with.
Function CheckInstallFolder
    StrCpy $R0 ""
    ${If} ${FileExists} "$INSTDIR\*.dll"
        StrCpy $R0 "$INSTDIR holds DLL files that ${PRODUCT} does not ship. The program runs as \
            administrator, and Windows would load a DLL from its folder: remove them, or choose \
            another folder."
        StrCpy $R9 4
        Return
    ${EndIf}
    Call InProgramFiles
    ${If} $R0 == 1
        StrCpy $R0 ""
        Return
    ${EndIf}
    Call IsEarlierInstall
    ${If} $R0 == 1
        StrCpy $R0 ""
        Return
    ${EndIf}
    Call FolderHoldsFiles
    ${If} $R0 == 1
        StrCpy $R0 "$INSTDIR is outside Program Files and already holds files. The setup lets \
            only administrators change the folder of ${PRODUCT}, which runs as administrator, \
            and would take that right from the users of those files: choose a new or empty \
            folder, or one in ${PROGRAM_FILES}."
        StrCpy $R9 5
        Return
    ${EndIf}
    StrCpy $R0 ""
FunctionEnd

; The directory page's leave function: says what is wrong and stays on the page.
Function InstallFolderLeave
    Call CheckInstallFolder
    ${If} $R0 != ""
        MessageBox MB_ICONEXCLAMATION "$R0"
        Abort
    ${EndIf}
FunctionEnd

; In .onInit of a silent setup: stops before it changes anything.
Function RefuseInstallFolderSilently
    Call CheckInstallFolder
    ${If} $R0 != ""
        SetErrorLevel $R9
        Quit
    ${EndIf}
FunctionEnd

; In the install section, before anything is written: a folder outside Program Files is made
; anew when it is empty (so that it is the setup's own, not its maker's) and gets its own access.
Function PrepareInstallFolder
    Call InProgramFiles
    ${If} $R0 == 1
        CreateDirectory "$INSTDIR"
        Return
    ${EndIf}
    Call FolderHoldsFiles
    ${If} $R0 == 0
        RMDir "$INSTDIR"
    ${EndIf}
    ClearErrors
    CreateDirectory "$INSTDIR"
    StrCpy $5 "${FOLDER_ACCESS}"
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w r5, i 1, \
        *p .r1, p 0) i .r0'
    ${If} $0 != 0
        System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r2, *p .r3, *i .r4) i .r0'
    ${EndIf}
    ${If} $0 != 0
        ; SE_FILE_OBJECT; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
        System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, \
            p 0, p r3, p 0) i .r0'
        ${If} $0 == 0
            StrCpy $0 1
        ${Else}
            StrCpy $0 0
        ${EndIf}
        System::Call 'kernel32::LocalFree(p r1)'
    ${EndIf}
    ${If} $0 == 0
    ${OrIf} ${Errors}
        MessageBox MB_ICONSTOP "The access of $INSTDIR could not be set so that only \
            administrators may change it. Choose a folder in ${PROGRAM_FILES}." /SD IDOK
        SetErrorLevel 5
        Abort
    ${EndIf}
    DetailPrint "Access of $INSTDIR: administrators and SYSTEM full control, users read and execute"
FunctionEnd

; In the install section, first: the other architecture's program, its uninstaller and its
; uninstall entry go (the Start-menu link is the same and is written anew); its image is taken
; along when none is given, and its folder goes when that leaves it empty. A program that cannot
; be removed (it is running) stops the setup before anything is changed, with exit code 7.
Function RemoveOtherArchitecture
    ${If} $OtherDir == ""
        Return
    ${EndIf}
    ClearErrors
    Delete "$OtherDir\Zelvane.exe"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP "$OtherDir\Zelvane.exe could not be removed. Close ${PRODUCT} \
            and try again." /SD IDOK
        SetErrorLevel 7
        Abort
    ${EndIf}
    DetailPrint "Removed the ${OTHER_ARCH} program $OtherVersion from $OtherDir"
    Delete "$OtherDir\uninstall.exe"
    SetRegView ${OTHER_REG_VIEW}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    SetRegView default
    ${If} $ImageSource == ""
        FindFirst $R1 $R2 "$OtherDir\${IMAGE_PATTERN}"
        FindClose $R1
        ${If} $R2 != ""
            StrCpy $ImageSource "$OtherDir\$R2"
            StrCpy $OtherImage "$OtherDir\$R2"
        ${EndIf}
    ${EndIf}
FunctionEnd

; After the image is copied: the other architecture's copy goes, and its folder if empty.
Function FinishReplacement
    ${If} $OtherDir == ""
        Return
    ${EndIf}
    ${If} $OtherImage != ""
    ${AndIf} ${FileExists} "$INSTDIR\${IMAGE_PATTERN}"
        Delete "$OtherImage"
        DetailPrint "Database image moved here from $OtherDir"
    ${EndIf}
    RMDir "$OtherDir"
FunctionEnd
