' kelm example (VBScript): logs in to a DVR server and asks it for its
' channel count.
'
'   cscript //nologo channel_count.vbs ADDRESS USER PASSWORD
'
' kelm.dll must be registered first (regsvr32 kelm.dll).  A script reaches
' every member of the control by name.  Login and the channel count need
' no window, so the control is used here without a container.  A member
' refused by the control raises no error (a script cannot see S_FALSE):
' is_login tells whether the login took, and error_msg says why not.
Option Explicit
Dim args, control

Set args = WScript.Arguments
If args.Count <> 3 Then
    WScript.Echo "usage: cscript //nologo channel_count.vbs ADDRESS USER PASSWORD"
    WScript.Quit 2
End If

Set control = CreateObject("kelm.kelm_ctrl")
WScript.Echo "control: " & control.ver

control.login args(0), args(1), args(2)
If control.is_login <> 0 Then
    WScript.Echo "login refused: " & control.error_msg
    WScript.Quit 1
End If
WScript.Echo "logged in as " & args(1) & ", privilege mask " & Hex(control.privilege)

control.get_svr_chnum args(0)
WScript.Echo "channels: " & control.svr_channel_cnt
