@echo off
rem Registers the kelm control from the folder this file is in.
rem Run it as administrator.  kelm.dll and hikclient.dll stay in this
rem folder: move the folder first, then run install.cmd again.
setlocal
set "here=%~dp0"
if not exist "%here%kelm.dll" goto no_control
if not exist "%here%hikclient.dll" goto no_library
rem A 32-bit control is registered by the 32-bit regsvr32.
set "regsvr=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr=%SystemRoot%\SysWOW64\regsvr32.exe"
"%regsvr%" /s "%here%kelm.dll"
set status=%errorlevel%
if not "%status%"=="0" goto failed
echo kelm: kelm.dll is registered from %here%
exit /b 0

:no_control
echo kelm: kelm.dll is missing from %here%
exit /b 2

:no_library
echo kelm: hikclient.dll is missing from %here%; it must be installed beside kelm.dll
exit /b 2

:failed
echo kelm: registering kelm.dll failed, regsvr32 status %status%; run install.cmd as administrator
exit /b 1
