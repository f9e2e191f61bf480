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
