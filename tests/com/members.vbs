' Calls each of the 93 entries of the control's interface by name, the
' way a web page or a host's script does, in the interface's order, and
' prints one line per entry: "get", "put" or "call", the name, the error
' number (0 when the member answered without raising one) and, for a
' property read, the value.  The control has no window here, so members
' that need a pane answer S_FALSE, which a script sees as success.  The
' last line "done" shows that the script ran to its end (cscript ends a
' failed script silently with status 0).
Option Explicit
Dim c, v
Set c = CreateObject("kelm.kelm_ctrl")
On Error Resume Next

Sub Report(entry, value)
    WScript.Echo entry & " " & Err.Number & " " & Printable(value)
    Err.Clear
End Sub

' Texts are printed in ASCII with "?" for every other character: Wine's
' cscript overruns its output buffer on text that code page 936 writes in
' two bytes (and its VBScript has no AscW to print character codes).
Function Printable(value)
    Dim i, c
    Printable = ""
    For i = 1 To Len(value)
        c = Mid(value, i, 1)
        If Asc(c) < 32 Or Asc(c) > 126 Then c = "?"
        Printable = Printable & c
    Next
End Function

v = Empty : v = c.ScreenMode : Report "get ScreenMode", v
c.ScreenMode = 4 : Report "put ScreenMode", ""
c.set_usr "", "", "" : Report "call set_usr", ""
c.set_net 0, 0, 0, 0 : Report "call set_net", ""
c.open_channel "", 0 : Report "call open_channel", ""
c.close_channel 0 : Report "call close_channel", ""
c.start_recorde 0 : Report "call start_recorde", ""
c.stop_recorde 0 : Report "call stop_recorde", ""
c.set_encode : Report "call set_encode", ""
c.set_osdlogo : Report "call set_osdlogo", ""
c.set_ptz : Report "call set_ptz", ""
v = Empty : v = c.brightness : Report "get brightness", v
c.brightness = 0 : Report "put brightness", ""
c.set_video_para : Report "call set_video_para", ""
v = Empty : v = c.contrast : Report "get contrast", v
c.contrast = 0 : Report "put contrast", ""
v = Empty : v = c.hue : Report "get hue", v
c.hue = 0 : Report "put hue", ""
v = Empty : v = c.saturation : Report "get saturation", v
c.saturation = 0 : Report "put saturation", ""
v = Empty : v = c.video_standard : Report "get video_standard", v
c.video_standard = 0 : Report "put video_standard", ""
v = Empty : v = c.bitrate : Report "get bitrate", v
c.bitrate = 0 : Report "put bitrate", ""
v = Empty : v = c.video_format : Report "get video_format", v
c.video_format = 0 : Report "put video_format", ""
v = Empty : v = c.quanlity : Report "get quanlity", v
c.quanlity = 0 : Report "put quanlity", ""
v = Empty : v = c.enable_audio : Report "get enable_audio", v
c.enable_audio = 0 : Report "put enable_audio", ""
v = Empty : v = c.frame_rate : Report "get frame_rate", v
c.frame_rate = 0 : Report "put frame_rate", ""
v = Empty : v = c.ptz_protocol : Report "get ptz_protocol", v
c.ptz_protocol = 0 : Report "put ptz_protocol", ""
v = Empty : v = c.ptz_address : Report "get ptz_address", v
c.ptz_address = 0 : Report "put ptz_address", ""
v = Empty : v = c.ptz_speed : Report "get ptz_speed", v
c.ptz_speed = 0 : Report "put ptz_speed", ""
c.ptz_op 0, 0, 0 : Report "call ptz_op", ""
c.ptz_left : Report "call ptz_left", ""
c.ptz_right : Report "call ptz_right", ""
c.ptz_up : Report "call ptz_up", ""
c.ptz_down : Report "call ptz_down", ""
c.ptz_tele : Report "call ptz_tele", ""
c.ptz_wild : Report "call ptz_wild", ""
c.ptz_iris False : Report "call ptz_iris", ""
c.capture : Report "call capture", ""
c.osd_text = "" : Report "put osd_text", ""
c.logo_filepath = "" : Report "put logo_filepath", ""
c.enable_osd_time = False : Report "put enable_osd_time", ""
c.enable_osd_date = False : Report "put enable_osd_date", ""
c.ptz_stop : Report "call ptz_stop", ""
c.set_video_effect : Report "call set_video_effect", ""
v = Empty : v = c.ptz_port : Report "get ptz_port", v
c.ptz_port = 0 : Report "put ptz_port", ""
v = Empty : v = c.keyframe : Report "get keyframe", v
c.keyframe = 0 : Report "put keyframe", ""
v = Empty : v = c.bframe : Report "get bframe", v
c.bframe = 0 : Report "put bframe", ""
v = Empty : v = c.pframe : Report "get pframe", v
c.pframe = 0 : Report "put pframe", ""
v = Empty : v = c.logo_ox : Report "get logo_ox", v
c.logo_ox = 0 : Report "put logo_ox", ""
v = Empty : v = c.logo_oy : Report "get logo_oy", v
c.logo_oy = 0 : Report "put logo_oy", ""
v = Empty : v = c.logo_lx : Report "get logo_lx", v
c.logo_lx = 0 : Report "put logo_lx", ""
v = Empty : v = c.logo_ly : Report "get logo_ly", v
c.logo_ly = 0 : Report "put logo_ly", ""
c.ptz_near : Report "call ptz_near", ""
c.ptz_far : Report "call ptz_far", ""
v = Empty : v = c.save_filepath : Report "get save_filepath", v
c.save_filepath = "" : Report "put save_filepath", ""
c.active_nth_screen 0 : Report "call active_nth_screen", ""
v = Empty : v = c.current_screen_num : Report "get current_screen_num", v
c.login "", "", "" : Report "call login", ""
c.get_screen_state 0 : Report "call get_screen_state", ""
v = Empty : v = c.screen_state_info : Report "get screen_state_info", v
v = Empty : v = c.is_login : Report "get is_login", v
c.get_ptz : Report "call get_ptz", ""
c.get_osdlogo : Report "call get_osdlogo", ""
v = Empty : v = c.osd_text : Report "get osd_text", v
v = Empty : v = c.ver : Report "get ver", v
c.get_video_effect : Report "call get_video_effect", ""
v = Empty : v = c.error_msg : Report "get error_msg", v
v = Empty : v = c.privilege : Report "get privilege", v
c.get_svr_chnum "" : Report "call get_svr_chnum", ""
v = Empty : v = c.svr_channel_cnt : Report "get svr_channel_cnt", v
c.set_file_path "" : Report "call set_file_path", ""
v = Empty : v = c.osd_pos : Report "get osd_pos", v
c.osd_pos = 0 : Report "put osd_pos", ""
v = Empty : v = c.current_active_ch : Report "get current_active_ch", v
v = Empty : v = c.current_active_ipaddr : Report "get current_active_ipaddr", v

WScript.Echo "done"
