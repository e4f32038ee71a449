; The Windows setup program, built by scripts/package.sh with makensis:
;   makensis -INPUTCHARSET UTF8 -DPRODUCT_NSH=BUILD/gt7p-product.nsh -DSTAGE=DIR -DOUTFILE=SETUP.EXE gt7p-setup.nsi
; PRODUCT_NSH, which the Windows build configures, names the product, its
; publisher and version; a -DVERSION beside it makes another version.
; STAGE holds what the zip holds: gt7p.exe, gt7p-cli.exe, Help.htm and
; README.txt. makensis works in this script's folder: PRODUCT_NSH, STAGE
; and OUTFILE are absolute paths. -DFAST stores the files uncompressed (the
; Windows suite's installer test, which builds it twice).
;
; Per machine, into Program Files\gt7p. What it makes, and all that its
; uninstaller takes away again:
;   files      INSTDIR\{gt7p.exe, gt7p-cli.exe, Help.htm, README.txt,
;              uninstall.exe}; the Start-menu folder 数据文件提取软件 with
;              数据文件提取软件, 查看波形 and 说明书; the desktop shortcut
;              数据文件提取软件 (optional)
;   HKLM       Software\Microsoft\Windows\CurrentVersion\Uninstall\gt7p;
;              Software\Classes\gt7p.T7P, gt7p.QFX, gt7p.ESP (the record
;              types: name, icon, "gt7p.exe --view") and, under
;              Software\Classes\.T7P, .QFX, .ESP, the default value (another
;              program's kept in "gt7p.previous" and given back) and
;              OpenWithProgids\gt7p.*
; The window's remembered settings (HKCU\Software\gt7p) belong to the user:
; neither the setup program nor the uninstaller touches them, so an upgrade
; keeps them. A folder U2C that the operator put into INSTDIR stays where it
; is, through upgrades and the uninstaller.

!ifndef PRODUCT_NSH | STAGE | OUTFILE
  !error "usage: makensis -DPRODUCT_NSH=FILE -DSTAGE=DIR -DOUTFILE=FILE gt7p-setup.nsi"
!endif
!include "${PRODUCT_NSH}"

Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
!ifdef FAST
  SetCompress off
!else
  SetCompressor /SOLID lzma
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\gt7p"
!define CLASSES "Software\Classes"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
UninstallCaption "${PRODUCT} ${VERSION} 卸载"
BrandingText "gt7p ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\gt7p"
; An upgrade goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

; The setup program's own version resource: four numbers, missing ones 0.
!searchparse /noerrors "${VERSION}.0.0.0." "" V1 "." V2 "." V3 "." V4 "."
VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIFileVersion "${V1}.${V2}.${V3}.${V4}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "gt7p.ico"
!define MUI_UNICON "gt7p.ico"
!define MUI_ABORTWARNING
; The progress pages stay until Next, so that their details can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_WELCOMEPAGE_TEXT "此程序将把 ${PRODUCT} ${VERSION} 安装到您的计算机上：从地震勘探仪经串口读取数据文件，保存为 QFX 或 ESP 格式，并查看记录的波形。$\r$\n$\r$\n已安装较早的版本时，新版本安装在原来的位置，您的通讯设置等保持不变。$\r$\n$\r$\n$_CLICK"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} 已安装到您的计算机上。$\r$\n$\r$\n从“开始”菜单的“${PRODUCT}”启动程序；双击 .T7P、.QFX 或 .ESP 文件可查看其波形。$\r$\n$\r$\n单击“完成”关闭此向导。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Waits until no running copy holds program FILE in INSTDIR open (a
; running program can't be replaced or deleted), asking the operator to
; close it; cancelled, or in a silent run, the setup ends with exit code 2
; and changes nothing more.
!macro WaitForClosed un file
  Function ${un}WaitFor_${file}
    ${Do}
      ${IfNot} ${FileExists} "$INSTDIR\${file}.exe"
        Return
      ${EndIf}
      ClearErrors
      FileOpen $0 "$INSTDIR\${file}.exe" a
      ${IfNot} ${Errors}
        FileClose $0
        Return
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${file}.exe 正在运行。请先关闭它，然后单击“重试”。" /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
      retry:
    ${Loop}
  FunctionEnd
!macroend
!insertmacro WaitForClosed "" gt7p
!insertmacro WaitForClosed "" gt7p-cli
!insertmacro WaitForClosed "un." gt7p
!insertmacro WaitForClosed "un." gt7p-cli

; A record type: its class gt7p.EXT opens the file in the viewer; the
; extension's default names it, another program's default is kept to be
; given back by the uninstaller.
!macro Associate ext
  WriteRegStr HKLM "${CLASSES}\gt7p.${ext}" "" "地震记录（${ext}）"
  WriteRegStr HKLM "${CLASSES}\gt7p.${ext}\DefaultIcon" "" "$INSTDIR\gt7p.exe,0"
  WriteRegStr HKLM "${CLASSES}\gt7p.${ext}\shell" "" "open"
  WriteRegStr HKLM "${CLASSES}\gt7p.${ext}\shell\open" "" "查看波形(&V)"
  WriteRegStr HKLM "${CLASSES}\gt7p.${ext}\shell\open\command" "" '"$INSTDIR\gt7p.exe" --view "%1"'
  ReadRegStr $0 HKLM "${CLASSES}\.${ext}" ""
  ${If} $0 != ""
  ${AndIf} $0 != "gt7p.${ext}"
    WriteRegStr HKLM "${CLASSES}\.${ext}" "gt7p.previous" $0
  ${EndIf}
  WriteRegStr HKLM "${CLASSES}\.${ext}" "" "gt7p.${ext}"
  WriteRegStr HKLM "${CLASSES}\.${ext}\OpenWithProgids" "gt7p.${ext}" ""
!macroend

!macro Unassociate ext
  DeleteRegKey HKLM "${CLASSES}\gt7p.${ext}"
  DeleteRegValue HKLM "${CLASSES}\.${ext}\OpenWithProgids" "gt7p.${ext}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\.${ext}\OpenWithProgids"
  ReadRegStr $0 HKLM "${CLASSES}\.${ext}" ""
  ${If} $0 == "gt7p.${ext}"
    ReadRegStr $1 HKLM "${CLASSES}\.${ext}" "gt7p.previous"
    ${If} $1 == ""
      DeleteRegValue HKLM "${CLASSES}\.${ext}" ""
    ${Else}
      WriteRegStr HKLM "${CLASSES}\.${ext}" "" $1
    ${EndIf}
  ${EndIf}
  DeleteRegValue HKLM "${CLASSES}\.${ext}" "gt7p.previous"
  ; Only when nothing of another program's is left in it.
  DeleteRegKey /ifempty HKLM "${CLASSES}\.${ext}"
!macroend

Function .onInit
  SetShellVarContext all
FunctionEnd

Section "!${PRODUCT}" SecProgram
  SectionIn RO
  Call WaitFor_gt7p
  Call WaitFor_gt7p-cli
  SetOutPath "$INSTDIR"
  File "${STAGE}/gt7p.exe"
  File "${STAGE}/gt7p-cli.exe"
  File "${STAGE}/Help.htm"
  File "${STAGE}/README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcuts start in INSTDIR (the current folder of SetOutPath), where
  ; the driver update looks for its folder U2C.
  CreateDirectory "${MENU_FOLDER}"
  CreateShortCut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\gt7p.exe" "" "$INSTDIR\gt7p.exe" 0 \
    SW_SHOWNORMAL "" "从地震勘探仪读取数据文件"
  CreateShortCut "${MENU_FOLDER}\查看波形.lnk" "$INSTDIR\gt7p.exe" "--view" "$INSTDIR\gt7p.exe" 0 \
    SW_SHOWNORMAL "" "查看 .T7P、.QFX、.ESP 记录的波形"
  CreateShortCut "${MENU_FOLDER}\说明书.lnk" "$INSTDIR\Help.htm" "" "" 0 SW_SHOWNORMAL "" "操作手册"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\gt7p.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "双击记录文件查看波形" SecAssociate
  !insertmacro Associate T7P
  !insertmacro Associate QFX
  !insertmacro Associate ESP
  ; SHCNE_ASSOCCHANGED: Explorer shows the new types at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\gt7p.exe" "" "$INSTDIR\gt7p.exe" 0 \
    SW_SHOWNORMAL "" "从地震勘探仪读取数据文件"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "主程序 gt7p.exe、命令行工具 gt7p-cli.exe、操作手册和“开始”菜单项。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAssociate} "双击 .T7P、.QFX、.ESP 文件时用“查看波形”打开。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个启动程序的快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  Call un.WaitFor_gt7p
  Call un.WaitFor_gt7p-cli
  Delete "$INSTDIR\gt7p.exe"
  Delete "$INSTDIR\gt7p-cli.exe"
  Delete "$INSTDIR\Help.htm"
  Delete "$INSTDIR\README.txt"
  ; What a run of the program that was killed left of its cache file.
  Delete "$INSTDIR\GT7PCache*.tmp"
  Delete "$INSTDIR\uninstall.exe"
  ; Not when something else stands in it (the operator's U2C).
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\查看波形.lnk"
  Delete "${MENU_FOLDER}\说明书.lnk"
  RMDir "${MENU_FOLDER}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  !insertmacro Unassociate T7P
  !insertmacro Unassociate QFX
  !insertmacro Unassociate ESP
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
