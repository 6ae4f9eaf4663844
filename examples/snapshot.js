// kelm example (JScript) for kelm-script.exe: shows a channel of a DVR in
// the control's window and saves a snapshot of it.
//
//   kelm-script snapshot.js ADDRESS CHANNEL FOLDER [USER PASSWORD]
//
// Showing a channel needs the control in a window.  cscript makes a
// control without one, so this script runs with kelm-script.exe (in the
// package's tools folder), which gives it the control in a window as the
// object "kelm".  USER and PASSWORD are the stream login, when the DVR asks
// for one.  A member that fails raises no exception: read the state it
// leaves.
//
// Exit status: 0 done, 2 wrong arguments, 3 not run by kelm-script,
// 5 the channel did not open, 6 the snapshot was not saved.
var args = WScript.Arguments;
if (args.length != 3 && args.length != 5) {
    WScript.Echo("usage: kelm-script snapshot.js ADDRESS CHANNEL FOLDER [USER PASSWORD]");
    WScript.Quit(2);
}
var channel = parseInt(args(1), 10);

var control;
try {
    control = kelm;
} catch (e) {
    WScript.Echo("run this script with kelm-script.exe: the control needs a window to show a channel");
    WScript.Quit(3);
}

if (args.length == 5)
    control.set_usr("", args(3), args(4));
control.open_channel(args(0), channel);
if (control.current_active_ch != channel) {
    WScript.Echo("channel " + channel + " of " + args(0) + " did not open: check the address, the channel " +
                 "number and the stream login");
    WScript.Quit(5);
}
WScript.Echo("showing channel " + channel + " of " + args(0));
WScript.Sleep(1000);

control.set_file_path(args(2));
control.capture();
if (control.error_msg != "") {
    WScript.Echo("the snapshot was not saved: check that the folder can be made (" + args(2) + ")");
    WScript.Quit(6);
}
WScript.Echo("snapshot saved in " + control.save_filepath);
control.close_channel(0);
