' kelm example (VBScript): asks a DVR server for its channel count, then
' logs in to it.
'
'   cscript //nologo channel_count.vbs ADDRESS USER PASSWORD
'
' kelm.dll must be registered first (regsvr32 kelm.dll) with hikclient.dll
' in the same folder.  A script reaches every member of the control by
' name.  Login and the channel count need no window, so the control is used
' here without a container.  A member that fails raises no error (a script
' cannot see S_FALSE): read the state it leaves (is_login, svr_channel_cnt)
' and error_msg to tell.
'
' Exit status: 0 done, 1 login refused, 2 wrong arguments, 3 the control
' could not be created, 4 the server could not be reached.
Option Explicit
Dim args, control, address

Set args = WScript.Arguments
If args.Count <> 3 Then
    WScript.Echo "usage: cscript //nologo channel_count.vbs ADDRESS USER PASSWORD"
    WScript.Quit 2
End If
address = args(0)

On Error Resume Next
Set control = CreateObject("kelm.kelm_ctrl")
If Err.Number <> 0 Then
    WScript.Echo "the control could not be created (error " & Hex(Err.Number) & "): register it with " & _
        "regsvr32 kelm.dll, and keep hikclient.dll in the same folder as kelm.dll"
    WScript.Quit 3
End If
On Error GoTo 0
WScript.Echo "control: " & control.ver

' The channel count needs no login, so it also tells whether the server's
' web service (port 8000) answers at all.
control.get_svr_chnum address
If control.svr_channel_cnt = 0 Then
    WScript.Echo "the server at " & address & " did not answer: check the address, and that it " & _
        "answers on port 8000"
    WScript.Quit 4
End If

control.login address, args(1), args(2)
If control.is_login <> 0 Then
    WScript.Echo "login refused for " & args(1) & ": check the user name and password (after three " & _
        "refusals the control asks no server for 3 minutes)"
    WScript.Quit 1
End If
WScript.Echo "logged in as " & args(1) & ", privilege mask " & Hex(control.privilege)
WScript.Echo "channels: " & control.svr_channel_cnt & " (numbered 1 to " & control.svr_channel_cnt & ")"
