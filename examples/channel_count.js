// kelm example (JScript): logs in to a DVR server and asks it for its
// channel count.
//
//   cscript //nologo channel_count.js ADDRESS USER PASSWORD
//
// kelm.dll must be registered first (regsvr32 kelm.dll).  A script reaches
// every member of the control by name.  Login and the channel count need
// no window, so the control is used here without a container.  A member
// refused by the control raises no exception (a script cannot see
// S_FALSE): is_login tells whether the login took, and error_msg says why
// not.
var args = WScript.Arguments;
if (args.length != 3) {
    WScript.Echo("usage: cscript //nologo channel_count.js ADDRESS USER PASSWORD");
    WScript.Quit(2);
}

var control = new ActiveXObject("kelm.kelm_ctrl");
WScript.Echo("control: " + control.ver);

control.login(args(0), args(1), args(2));
if (control.is_login != 0) {
    WScript.Echo("login refused: " + control.error_msg);
    WScript.Quit(1);
}
WScript.Echo("logged in as " + args(1) + ", privilege mask " + control.privilege.toString(16).toUpperCase());

control.get_svr_chnum(args(0));
WScript.Echo("channels: " + control.svr_channel_cnt);
