// Resource and dialog item ids of the control's window.
#pragma once

#define IDD_KELM_CTRL 104

// Split-mode buttons "1", "4", "9", "16" and the group box below the panes.
#define IDC_SPLIT_1 229
#define IDC_SPLIT_4 230
#define IDC_SPLIT_9 231
#define IDC_SPLIT_16 232
#define IDC_SPLIT_GROUP 245

// The sixteen panes in reading order of the 4 by 4 grid.
#define IDC_PANE_1 233
#define IDC_PANE_2 234
#define IDC_PANE_3 235
#define IDC_PANE_4 236
#define IDC_PANE_5 237
#define IDC_PANE_6 238
#define IDC_PANE_7 239
#define IDC_PANE_8 240
#define IDC_PANE_9 241
#define IDC_PANE_10 242
#define IDC_PANE_11 243
#define IDC_PANE_12 244
#define IDC_PANE_13 250
#define IDC_PANE_14 249
#define IDC_PANE_15 247
#define IDC_PANE_16 248
