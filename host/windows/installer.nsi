; The Windows installer (scripts/windows-installer.sh passes the defines):
; the 64-bit VST3 bundle into Common Files\VST3, the 64-bit VST 2.x library
; into a folder the user picks, the 32-bit plug-ins as an optional component,
; the factory presets where VST3 hosts find them, and an uninstaller
; registered in Add/Remove Programs that takes away only what was installed.
;   NAME MANUFACTURER VERSION VERSION_MAJOR VERSION_MINOR VERSION_PATCH WEBSITE
;   WINDOWS_DIR (what make windows built)  PRESETS_NSH (the factory presets' lines)  OUTFILE
; Silent: Selvane-VERSION-setup.exe /S [/WITH32] [/D=VST2_FOLDER]  (/D= last)

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "${PRESETS_NSH}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
!define APP_DIR "$PROGRAMFILES64\${MANUFACTURER}\${NAME}"
!define PRESET_DIR "$DOCUMENTS\VST3 Presets\${MANUFACTURER}\${NAME}"
; Where 32-bit hosts look: the 32-bit Program Files, which a 64-bit
; installer reads from the environment: its $PROGRAMFILES32 named the 64-bit one (seen under Wine 8).
Var Vst32Programs
Var Vst32Common

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VSTPlugins"
BrandingText "${MANUFACTURER} ${NAME} ${VERSION}"

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${MANUFACTURER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${MANUFACTURER}"

!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "The VST 2.x library for 64-bit hosts goes into this folder: pick the one your host scans. The VST3 bundle goes into Common Files\VST3, where every VST3 host looks."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2.x folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "VST3 for 64-bit hosts, and the presets" SecVst3
    SectionIn RO
    SetOutPath "$COMMONFILES64\VST3\${NAME}.vst3\Contents\x86_64-win"
    File "${WINDOWS_DIR}\${NAME}.vst3\Contents\x86_64-win\${NAME}.vst3"
    SetOutPath "${PRESET_DIR}"
    !insertmacro InstallFactoryPresets
SectionEnd

Section "VST 2.x for 64-bit hosts" SecVst2
    SetOutPath "$INSTDIR"
    File "${WINDOWS_DIR}\x86_64\${NAME}.dll"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2Folder" "$INSTDIR"
SectionEnd

Section /o "VST3 and VST 2.x for 32-bit hosts" SecX86
    SetOutPath "$Vst32Common\VST3\${NAME}.vst3\Contents\x86-win"
    File "${WINDOWS_DIR}\${NAME}.vst3\Contents\x86-win\${NAME}.vst3"
    SetOutPath "$Vst32Programs\VSTPlugins"
    File "${WINDOWS_DIR}\i686\${NAME}.dll"
SectionEnd

Section "-Uninstaller"
    SetOutPath "${APP_DIR}"
    WriteUninstaller "${APP_DIR}\Uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MANUFACTURER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEBSITE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${APP_DIR}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${APP_DIR}\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${APP_DIR}\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$COMMONFILES64\VST3\${NAME}.vst3" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!macro Find32BitFolders
    ReadEnvStr $Vst32Programs "ProgramFiles(x86)"
    ReadEnvStr $Vst32Common "CommonProgramFiles(x86)"
!macroend

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "${NAME} ${VERSION} installs on 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    !insertmacro Find32BitFolders
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/WITH32" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecX86}
    ${EndIf}
FunctionEnd

; RMDir without /r removes a folder only when nothing is left in it: a
; preset the user saved, another plug-in's files, stay with their folders.
Function un.onInit
    SetRegView 64
    !insertmacro Find32BitFolders
FunctionEnd

Section "Uninstall"
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Vst2Folder"
    ${If} $0 != ""
        Delete "$0\${NAME}.dll"
        RMDir "$0"
    ${EndIf}
    Delete "$COMMONFILES64\VST3\${NAME}.vst3\Contents\x86_64-win\${NAME}.vst3"
    RMDir "$COMMONFILES64\VST3\${NAME}.vst3\Contents\x86_64-win"
    RMDir "$COMMONFILES64\VST3\${NAME}.vst3\Contents"
    RMDir "$COMMONFILES64\VST3\${NAME}.vst3"
    RMDir "$COMMONFILES64\VST3"
    Delete "$Vst32Common\VST3\${NAME}.vst3\Contents\x86-win\${NAME}.vst3"
    RMDir "$Vst32Common\VST3\${NAME}.vst3\Contents\x86-win"
    RMDir "$Vst32Common\VST3\${NAME}.vst3\Contents"
    RMDir "$Vst32Common\VST3\${NAME}.vst3"
    RMDir "$Vst32Common\VST3"
    Delete "$Vst32Programs\VSTPlugins\${NAME}.dll"
    RMDir "$Vst32Programs\VSTPlugins"
    !insertmacro RemoveFactoryPresets "${PRESET_DIR}"
    RMDir "${PRESET_DIR}"
    RMDir "$DOCUMENTS\VST3 Presets\${MANUFACTURER}"
    RMDir "$DOCUMENTS\VST3 Presets"
    Delete "${APP_DIR}\Uninstall.exe"
    RMDir "${APP_DIR}"
    RMDir "$PROGRAMFILES64\${MANUFACTURER}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
