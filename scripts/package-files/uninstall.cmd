@echo off
rem Removes the kelm control's registration.  Run it as administrator,
rem before the folder is deleted.
setlocal
set "here=%~dp0"
if not exist "%here%kelm.dll" goto no_control
set "regsvr=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr=%SystemRoot%\SysWOW64\regsvr32.exe"
"%regsvr%" /u /s "%here%kelm.dll"
set status=%errorlevel%
if not "%status%"=="0" goto failed
echo kelm: kelm.dll is no longer registered; the folder %here% may now be deleted
exit /b 0

:no_control
echo kelm: kelm.dll is missing from %here%
exit /b 2

:failed
echo kelm: unregistering kelm.dll failed, regsvr32 status %status%; run uninstall.cmd as administrator
exit /b 1
