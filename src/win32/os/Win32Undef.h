// The Windows headers without their macros whose names clash with the
// methods of Os and Ui or the constants of Ui.h. Win32 files include this
// instead of <windows.h> and call the ...W functions by name; then the
// order of includes does not matter.
#pragma once

// windows.h must come before the others.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#undef CopyFile
#undef CreateDirectory
#undef CreateMutex
#undef DeleteFile
#undef ExpandEnvironmentStrings
#undef GetCurrentDirectory
#undef GetDiskFreeSpace
#undef GetDiskFreeSpaceEx
#undef GetEnvironmentVariable
#undef GetFileAttributes
#undef GetModuleFileName
#undef GetSystemDirectory
#undef GetVersionEx
#undef GetWindowsDirectory
#undef RegCreateKeyEx
#undef RegDeleteKey
#undef RegOpenKeyEx
#undef RegQueryInfoKey
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RemoveDirectory
#undef SetCurrentDirectory
#undef SetFileAttributes
#undef ShellExecute
