@echo off
rem Installs Sylvane for every user: the plug-in modules into the standard plug-in folders and the
rem factory presets into the preset library in the shared (public) documents folder.
rem Run it from an administrator command prompt, or right-click it and choose "Run as administrator".
setlocal
set "here=%~dp0"
set "presets=%PUBLIC%\Documents\KorvelAudio\Sylvane\Presets"

rem One pair of lines per module.
xcopy "%here%Sylvane.vst3" "%CommonProgramFiles%\VST3\Sylvane.vst3\" /E /I /Y /Q
if errorlevel 1 goto failed
xcopy "%here%Sylvane.dll" "%CommonProgramFiles%\VST2\" /Y /Q
if errorlevel 1 goto failed

xcopy "%here%Presets\Factory" "%presets%\Factory\" /E /I /Y /Q
if errorlevel 1 goto failed
if not exist "%presets%\User" mkdir "%presets%\User"
echo Sylvane is installed. Rescan plug-ins in your host to find it.
exit /b 0

:failed
echo Installation failed: run this script as administrator.
exit /b 1
