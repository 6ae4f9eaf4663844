// kelm example (JScript): asks a DVR server for its channel count, then
// logs in to it.
//
//   cscript //nologo channel_count.js ADDRESS USER PASSWORD
//
// kelm.dll must be registered first (regsvr32 kelm.dll) with hikclient.dll
// in the same folder.  A script reaches every member of the control by
// name.  Login and the channel count need no window, so the control is
// used here without a container.  A member that fails raises no exception
// (a script cannot see S_FALSE): read the state it leaves (is_login,
// svr_channel_cnt) and error_msg to tell.
//
// Exit status: 0 done, 1 login refused, 2 wrong arguments, 3 the control
// could not be created, 4 the server could not be reached.
var args = WScript.Arguments;
if (args.length != 3) {
    WScript.Echo("usage: cscript //nologo channel_count.js ADDRESS USER PASSWORD");
    WScript.Quit(2);
}
var address = args(0);

var control;
try {
    control = new ActiveXObject("kelm.kelm_ctrl");
} catch (e) {
    WScript.Echo("the control could not be created (error " + (e.number >>> 0).toString(16).toUpperCase() +
                 "): register it with regsvr32 kelm.dll, and keep hikclient.dll in the same folder as kelm.dll");
    WScript.Quit(3);
}
WScript.Echo("control: " + control.ver);

// The channel count needs no login, so it also tells whether the server's
// web service (port 8000) answers at all.
control.get_svr_chnum(address);
if (control.svr_channel_cnt == 0) {
    WScript.Echo("the server at " + address + " did not answer: check the address, and that it answers on port 8000");
    WScript.Quit(4);
}

control.login(address, args(1), args(2));
if (control.is_login != 0) {
    WScript.Echo("login refused for " + args(1) + ": check the user name and password (after three refusals " +
                 "the control asks no server for 3 minutes)");
    WScript.Quit(1);
}
WScript.Echo("logged in as " + args(1) + ", privilege mask " + control.privilege.toString(16).toUpperCase());
WScript.Echo("channels: " + control.svr_channel_cnt + " (numbered 1 to " + control.svr_channel_cnt + ")");
