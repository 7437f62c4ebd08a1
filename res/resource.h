// Resource and control ids of Quipmark.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUTBOX            100
#define IDD_QUIPMARK            102
#define IDR_MAINFRAME           128
#define IDI_GROUP               132
#define IDI_ENTRY               133

#define IDS_ABOUT_VERSION       102
#define IDS_ABOUT_CAPTION       103
#define IDS_ABOUT_COPYRIGHT     104

#define IDC_SAVE                1005
#define IDC_ADD                 1006
#define IDC_NEW_ENTRY           1007
#define IDC_REMOVE              1008
#define IDC_HIDE                1010
#define IDC_COPY_EDIT           1011
#define IDC_ABOUT               1013
#define IDC_MENU_WIDTH          1015
#define IDC_MENU_WIDTH_SPIN     1016
#define IDC_EXIT                1018
#define IDC_TREE                1022
#define IDC_DEFAULT             1024
#define IDC_RENAME              1025
#define IDC_ITEM_COUNT          1032
#define IDC_ITEM_COUNT_SPIN     1033
#define IDC_SEARCH_TOGGLE       1035
#define IDC_FIND_TEXT           1037
#define IDC_FIND_NEXT           1038
#define IDC_FIND_PREV           1039
#define IDC_FIND_LABEL          1040
#define IDC_SAVE_ON_EXIT        1044
#define IDC_HISTORY_LIST        1045
#define IDC_ALWAYS_ON_TOP       1047
#define IDC_UNDO                1048
#define IDC_HOTKEY              1049
#define IDC_DATA_FOLDER         1050
#define IDC_PASTE_AFTER_CHOICE  1060
#define IDC_FIND_STATUS         1061

// About box controls
#define IDC_ABOUT_VERSION       1014
#define IDC_ABOUT_COPYRIGHT     1015
#define IDC_ABOUT_EMAIL_LABEL   1017
#define IDC_ABOUT_WEB_LABEL     1018
#define IDC_ABOUT_WEB           1041
#define IDC_ABOUT_EMAIL         1042

// Commands
#define IDC_TREE_PASTE          1029
#define IDC_TREE_CLEAR_HISTORY  1036
#define ID_SHOW_CONFIGURATION   32773
#define ID_EXIT                 32774
