' kelm example (VBScript) for kelm-script.exe: shows a network camera (or
' any other RTSP source) without a DVR, saves a snapshot of it and records
' a few seconds of it.
'
'   kelm-script camera.vbs URL FOLDER [USER PASSWORD]
'
' URL is the camera's stream URL, rtsp://[user:password@]host[:port]/path
' (at most 255 characters; the camera's manual, its web page or any ONVIF
' tool gives it).  USER and PASSWORD are the camera's login, when it asks
' for one and the URL does not carry it.  FOLDER is where the snapshot and
' the recording go; it is made when missing.  Example:
'
'   tools\kelm-script examples\camera.vbs rtsp://192.168.0.20:554/stream1 D:\camera admin secret
'
' Showing a camera needs the control in a window.  cscript makes a control
' without one, so this script runs with kelm-script.exe (in the package's
' tools folder), which gives it the control in a window as the object
' "kelm".  A camera needs no login call: login asks a DVR's web service,
' which a camera does not have.  A member that fails raises no error: read
' the state it leaves, and error_msg right after the call.
'
' Exit status: 0 done, 2 wrong arguments, 3 not run by kelm-script,
' 5 the camera did not open, 6 the snapshot was not saved, 7 the recording
' did not start.
Option Explicit
Const seconds_recorded = 5
Dim args, control, url, folder, problem

Set args = WScript.Arguments
If args.Count <> 2 And args.Count <> 4 Then
    WScript.Echo "usage: kelm-script camera.vbs URL FOLDER [USER PASSWORD]"
    WScript.Quit 2
End If
url = args(0)
folder = args(1)

' The URL as it may be shown: without a "user:password@" it carries.
Function shown_url(text)
    Dim host_start, path_start, at
    shown_url = text
    host_start = InStr(text, "://")
    If host_start = 0 Then Exit Function
    host_start = host_start + 3
    path_start = InStr(host_start, text, "/")
    If path_start = 0 Then path_start = Len(text) + 1
    at = InStrRev(Left(text, path_start - 1), "@")
    If at >= host_start Then shown_url = Left(text, host_start - 1) & Mid(text, at + 1)
End Function

On Error Resume Next
Set control = kelm
If Err.Number <> 0 Then
    WScript.Echo "run this script with kelm-script.exe: the control needs a window to show a camera"
    WScript.Quit 3
End If
On Error GoTo 0

' One pane, as large as the window.
control.ScreenMode = 1
control.active_nth_screen 0

' The login a camera's stream uses, unless the URL has its own.  Before
' open_channel it only gives the pane the login (there is nothing to ask
' yet), so its answer tells nothing.
If args.Count = 4 Then control.set_usr "", args(2), args(3)

' An address that starts with rtsp:// is played as it stands.  The 1 is
' the number the pane keeps (and what {channel} in the URL would become);
' current_active_ch gives it back only when the camera opened.
control.open_channel url, 1
If control.current_active_ch <> 1 Then
    WScript.Echo "the camera did not open (" & shown_url(url) & "): check the URL with a player that plays " & _
        "RTSP, and the user name and password; rtsps:// is not played.  The log c:\kelm.log says why."
    WScript.Quit 5
End If
WScript.Echo "showing " & shown_url(url)

' The snapshot is made from the picture the pane shows, so give the camera
' time to send a whole one.  Sleep keeps the window painting meanwhile.
WScript.Sleep 2000

control.set_file_path folder
If control.save_filepath = "" Then
    WScript.Echo "the folder " & folder & " cannot be used: it must start with a drive letter, and its " & _
        "parent folder must exist"
    WScript.Quit 6
End If
problem = control.error_msg   ' clears any code left from before
control.capture
If control.error_msg <> "" Then
    WScript.Echo "the snapshot was not saved: the camera has sent no whole picture yet, or the folder " & _
        "cannot be written (" & folder & ")"
    WScript.Quit 6
End If
WScript.Echo "snapshot saved in " & control.save_filepath

control.start_recorde 0
If control.error_msg <> "" Then
    WScript.Echo "the recording did not start: the camera's stream stopped, or the folder cannot be written"
    WScript.Quit 7
End If
WScript.Echo "recording " & seconds_recorded & " seconds"
WScript.Sleep seconds_recorded * 1000
control.stop_recorde 0
WScript.Echo "recording saved in " & control.save_filepath

control.close_channel 0
