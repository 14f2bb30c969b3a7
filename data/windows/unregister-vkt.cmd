@echo off
rem Undoes register-vkt.cmd for this user.
reg delete "HKCU\Software\Classes\.vkt" /f >nul 2>&1
reg delete "HKCU\Software\Classes\VKT.Data" /f >nul 2>&1
echo *.vkt files are no longer opened by Tarvella.
