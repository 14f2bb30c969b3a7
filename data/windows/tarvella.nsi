# The Windows installer, built by scripts/win64/make-windows.sh with Debian's makensis:
#   makensis -DVERSION=0.1.0 -DSTAGE=dist/tarvella-0.1.0-win64 -DFILES=files.nsh
#            -DUNFILES=unfiles.nsh -DSIZE_KB=20000 -DICON=tarvella.ico
#            -DOUTFILE=dist/tarvella-0.1.0-win64-setup.exe tarvella.nsi
# It installs the zip's folder for this user alone, without administrator rights, into the user's
# programs folder, with a Start menu entry and the *.vkt file type. FILES and UNFILES list what the
# stage holds, so the uninstaller removes exactly that and leaves what the user put there, and
# %APPDATA%\Tarvella, alone. Silent: /S, and /D=FOLDER last for another folder.

# A 32-bit installer silently installs nothing in a 64-bit Wine, and the programs are 64-bit.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define APP Tarvella
!define CLASS VKT.Data
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
# FOLDERID_UserProgramFiles: where Windows puts the programs installed for one user.
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"
LicenseData "${STAGE}\LICENSE.txt"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Install"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\bin\tarvella.exe" "" \
    "$INSTDIR\bin\tarvella.exe" 0 SW_SHOWNORMAL "" "Divide a dasa into sub-periods by the Sun's transits"

  # The same keys as the zip's register-vkt.cmd, pointing at the installed program.
  WriteRegStr HKCU "Software\Classes\.vkt" "" "${CLASS}"
  WriteRegStr HKCU "Software\Classes\${CLASS}" "" "Tarvella Data"
  WriteRegStr HKCU "Software\Classes\${CLASS}\DefaultIcon" "" '"$INSTDIR\bin\tarvella.exe",1'
  WriteRegStr HKCU "Software\Classes\${CLASS}\shell\open\command" "" \
    '"$INSTDIR\bin\tarvella.exe" "%1"'

  # "Apps" in the settings lists it with its uninstaller.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\bin\tarvella.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}

  # Explorer shows the new type's icon and name without a new sign-in.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${APP}.lnk"
  # The file type only while it opens this copy: an unpacked zip's register-vkt.cmd, or another
  # program, may have taken it since.
  ReadRegStr $1 HKCU "Software\Classes\${CLASS}\shell\open\command" ""
  StrCmp $1 '"$INSTDIR\bin\tarvella.exe" "%1"' 0 type_done
    ReadRegStr $0 HKCU "Software\Classes\.vkt" ""
    StrCmp $0 "${CLASS}" 0 +2
      DeleteRegKey HKCU "Software\Classes\.vkt"
    DeleteRegKey HKCU "Software\Classes\${CLASS}"
  type_done:
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  # Only when empty: what the user put in the folder stays, and the folder with it.
  RMDir "$INSTDIR"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
