// Identifiers of kelm-viewer's resources: menu commands, dialog controls and
// strings.  A panel button carries the id of the command it runs, so a menu
// item, a key and a button reach the same handler.
#pragma once

#define IDR_MAIN_MENU 100
#define IDR_ACCELERATORS 101
#define IDD_CONNECT 102
#define IDD_PANEL 103

// Commands.
#define ID_CONNECT 200
#define ID_EXIT 201
#define ID_LAYOUT_1 210
#define ID_LAYOUT_4 211
#define ID_LAYOUT_9 212
#define ID_LAYOUT_16 213
#define ID_OPEN 220
#define ID_OPEN_ALL 221
#define ID_CLOSE_PANE 222
#define ID_CLOSE_ALL 223
#define ID_ZOOM 224
#define ID_FULL_SCREEN 225
#define ID_RECORD 230
#define ID_SNAPSHOT 231
#define ID_FOLDER 232
#define ID_SOUND 233
#define ID_HELP_KEYS 240

// Camera buttons: held down to move, released to stop.
#define ID_PTZ_UP 250
#define ID_PTZ_DOWN 251
#define ID_PTZ_LEFT 252
#define ID_PTZ_RIGHT 253
#define ID_PTZ_TELE 254
#define ID_PTZ_WIDE 255
#define ID_PTZ_NEAR 256
#define ID_PTZ_FAR 257

// Controls of the connect dialog and the panel.
#define IDC_ADDRESS 300
#define IDC_USER 301
#define IDC_PASSWORD 302
#define IDC_CHANNELS 310
#define IDC_SPEED 311
#define IDC_FOLDER_TEXT 312
#define IDC_RECORD_TIME 313
#define IDC_SPEED_TEXT 314
#define IDC_SOUND_TEXT 315
#define IDC_VOLUME 316
#define IDC_VOLUME_TEXT 317
#define IDC_CHANNELS_TEXT 318
#define IDC_LAYOUT_TEXT 319
#define IDC_CAMERA_TEXT 320

// Strings.
#define IDS_TITLE 1000
#define IDS_TITLE_SERVER 1001
#define IDS_NOT_CONNECTED 1002
#define IDS_CONNECTED 1003
#define IDS_CHANNEL_ITEM 1005
#define IDS_PANE_STATUS 1006
#define IDS_STATE_LIVE 1007
#define IDS_STATE_LOST 1008
#define IDS_STATE_CLOSED 1009
#define IDS_STATE_RECORDING 1010
#define IDS_LAST_ERROR 1011
#define IDS_RECORDING_SAVED 1012
#define IDS_SNAPSHOT_SAVED 1013
#define IDS_FOLDER_REFUSED 1014
#define IDS_CHOOSE_FOLDER 1015
#define IDS_OPEN_FAILED 1016
#define IDS_NO_CONTROL 1017
#define IDS_KEYS 1018
#define IDS_KEYS_TITLE 1019
#define IDS_NO_FILE 1020
#define IDS_NO_CHANNEL 1021
#define IDS_CONNECTING 1022
#define IDS_SOUND_PANE 1023
#define IDS_SOUND_OFF 1024
#define IDS_NO_SOUND_RIGHT 1025
#define IDS_NO_SOUND_CLOSED 1026
#define IDS_NO_SOUND_LOST 1027
#define IDS_NO_SOUND_TRACK 1028
#define IDS_SOUND_NOT_STOPPED 1029
#define IDS_VOLUME_REFUSED 1030
#define IDS_LOGIN_WRONG 1031
#define IDS_LOGIN_WRONG_AGAIN 1032
#define IDS_LOGIN_LOCKED_NOW 1033
#define IDS_LOGIN_STILL_LOCKED 1034
#define IDS_LOGIN_FAILED 1035
#define IDS_LOGIN_NO_ANSWER 1036
#define IDS_LOCKOUT_LEFT 1037
#define IDS_LOCKOUT_OVER 1038
#define IDS_WALL_HEALTH 1090
#define IDS_WALL_HEALTH_LOST 1091
// The English reason for the control's error code N is IDS_ERROR_BASE + N.
#define IDS_ERROR_BASE 1100
