// Resource ids and string-table rows of the setup program.
#pragma once

// Configuration rows
#define ROW_TITLE_WELCOME 10000
#define ROW_TITLE_DESTINATION 10001
#define ROW_TITLE_OPTIONS 10002
#define ROW_WIZARD_CAPTION 10003
#define ROW_PRODUCT_NAME 10010
#define ROW_PRODUCT_TITLE 10011
#define ROW_START_COMMAND 10012
#define ROW_UNINSTALLER_NAME 10013
#define ROW_LOG_NAME 10014
#define ROW_DESCRIPTION 10015
#define ROW_DESKTOP_TARGET 10020
#define ROW_DESKTOP_NAME 10021
#define ROW_MENU_FIRST_TARGET 10030 /* 10030 + 2k target, 10031 + 2k name */
#define ROW_MENU_END 10099
#define ROW_EXTRA_FIRST 10100
#define ROW_EXTRA_END 10299

// Message texts: 11000 + XZip code, 11050 + XFile code
#define ROW_ZIP_TEXT_BASE 11000
#define ROW_FILE_TEXT_BASE 11050

// Dialogs and images
#define IDD_WELCOME 2000
#define IDD_DESTINATION 2001
#define IDD_OPTIONS 2002
#define IDD_PROGRESS 2010
#define IDB_SIDE_PICTURE 199
#define IDI_PRODUCT 10

// Welcome page
#define IDC_DESCRIPTION 101
// Destination page
#define IDC_FOLDER_NAME 102
#define IDC_BROWSE 103
#define IDC_INSTALL_DIR 104
// Options page
#define IDC_ADD_TO_MENU 101
#define IDC_DESKTOP_SHORTCUT 102
// Progress window
#define IDC_CURRENT_FILE 101
#define IDC_FILE_PROGRESS 102
#define IDC_TOTAL_PROGRESS 103
