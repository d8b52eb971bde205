#pragma once

// Resource ids of skyvane.exe, shared by its resource script and its code.
#define IDS_PRODUCT_TITLE 103
#define IDS_PRODUCT_NAME 104
#define IDD_COMMAND_LINE_OUTPUT 130
#define IDR_TRAY_MENU 132
#define IDI_PROGRAM 134
#define IDR_ACCELERATORS 141
#define IDR_DIALOG_ACCELERATORS 142

#define ID_EXIT 40001
#define ID_TEST 40012
#define ID_TOGGLE_FULLSCREEN 40014
#define ID_OPEN 40045
