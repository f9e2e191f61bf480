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
