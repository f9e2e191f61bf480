// Resource ids, grouped by dialog. The numbers are the program's own.
#pragma once

// Icons
#define IDI_SETUP 128

// Launcher window
#define IDD_LAUNCHER 102
#define IDC_INSTALL 1001
#define IDC_RUN 1002
#define IDC_UNINSTALL 1003
#define IDC_EXIT 1004

// Progress window (modeless, shown while an engine works)
#define IDD_PROGRESS 115
#define IDC_PROGRESS_BAR 1003
#define IDC_PROGRESS_PERCENT 1004
#define IDC_PROGRESS_STATUS 1005

// Preparing window (modeless, captionless)
#define IDD_PREPARING 133

// Progress window titles
#define IDS_INSTALLING 116
#define IDS_UNINSTALLING 117

// Install wizard: the four pages, in the order the wizard shows them
#define IDD_WIZARD_WELCOME 106
#define IDD_WIZARD_TYPE 103
#define IDD_WIZARD_PATH 104
#define IDD_WIZARD_READY 105
#define IDI_WIZARD_READY 131
#define IDI_WIZARD_WELCOME 132

// Welcome page
#define IDC_WELCOME_TEXT 1023

// Setup-type page: the three radio buttons (one group), their notes and sizes
#define IDC_TYPE_STANDARD 1010
#define IDC_TYPE_MINIMUM 1013
#define IDC_TYPE_FULL 1014
#define IDC_TYPE_STANDARD_NOTE 1015
#define IDC_TYPE_STANDARD_SIZE 1016
#define IDC_TYPE_MINIMUM_NOTE 1017
#define IDC_TYPE_MINIMUM_SIZE 1018
#define IDC_TYPE_FULL_NOTE 1019
#define IDC_TYPE_FULL_SIZE 1020
#define IDC_TYPE_PROMPT 1021

// Destination page
#define IDC_PATH_HEADING 1004
#define IDC_PATH_NEXT_NOTE 1005
#define IDC_PATH_BROWSE_NOTE 1006
#define IDC_PATH_CANCEL_NOTE 1007
#define IDC_PATH_DIRECTORY 1008
#define IDC_PATH_BROWSE 1009
#define IDC_PATH_FREE 1010
#define IDC_PATH_REQUIRED 1011
#define IDC_PATH_SHORTFALL 1012

// Wizard texts; "???" is replaced when a page is shown
#define IDS_WELCOME 2
#define IDS_FREE_SPACE 8
#define IDS_SPACE_REQUIRED 9
#define IDS_SPACE_SHORTFALL 10
#define IDS_TYPE_SPACE 11
#define IDS_PATH_HEADING 12
