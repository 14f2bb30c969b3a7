@echo off
rem Makes *.vkt files open in Tarvella for this user, wherever the folder was unpacked: the
rem program is the one in bin beside this file. No administrator rights are needed.
set "exe=%~dp0bin\tarvella.exe"
if not exist "%exe%" (
  echo Cannot find %exe%
  exit /b 1
)
reg add "HKCU\Software\Classes\.vkt" /ve /d "VKT.Data" /f >nul
reg add "HKCU\Software\Classes\VKT.Data" /ve /d "Tarvella Data" /f >nul
reg add "HKCU\Software\Classes\VKT.Data\DefaultIcon" /ve /d "\"%exe%\",1" /f >nul
reg add "HKCU\Software\Classes\VKT.Data\shell\open\command" /ve /d "\"%exe%\" \"%%1\"" /f >nul
reg query "HKCU\Software\Classes\VKT.Data\shell\open\command" >nul 2>&1
if errorlevel 1 (
  echo Could not register the file type.
  exit /b 1
)
echo *.vkt files now open in %exe%
