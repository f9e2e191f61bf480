// Looking at and poking the windows of another process. Queries use
// SendMessageTimeoutW so a hung target cannot hang the driver; clicks are
// posted, never sent, so a click that opens a modal dialog returns at once.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace e2e {

// Process ids of the running processes with this image name (case-insensitive).
std::set<DWORD> FindProcesses(const std::wstring& imageName);

// The visible top-level windows of process pid, topmost first.
std::vector<HWND> VisibleWindows(DWORD pid);

// A visible top-level dialog (class #32770) of process pid with this caption,
// or (when caption is null) holding control id.
HWND FindDialog(DWORD pid, const std::string* caption, int controlId);

// Control id of `window`: a child of its own, else a visible one further
// down (a wizard's controls live on its current page).
HWND FindControl(HWND window, int id);

// The window with the keyboard focus in `window`'s thread; null when none has.
HWND FocusedWindow(HWND window);

// Class names and texts in UTF-8.
std::string WindowClass(HWND window);
std::string WindowCaption(HWND window);

// A control's text: edit controls through WM_GETTEXT ("(no answer)" when the
// target does not answer), others as stored.
std::string ControlText(HWND control);

// BM_GETCHECK; -1 when the target does not answer.
LRESULT ButtonCheck(HWND control);

// Posts key down and up to the focused window of the target's thread (the
// window itself when none has the focus).
bool PostKey(HWND window, UINT virtualKey);

// The colour at a client point, as 0xRRGGBB; false when it cannot be read.
bool ClientPixel(HWND window, int x, int y, unsigned long& rgb);

// Whether some pixel of the control on screen has the colour 0xRRGGBB;
// false also when the screen cannot be read.
bool ControlShowsColour(HWND control, unsigned long rgb);

// Loads a shortcut file with the shell's own link object (paths in UTF-8);
// false with the reason in `error`.
bool ReadShellLink(const std::string& path, std::string& target, std::string& error);

}  // namespace e2e
