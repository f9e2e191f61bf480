// Looking at and poking the windows of another process. Queries use
// SendMessageTimeoutW so a hung target cannot hang the driver; clicks are
// posted, never sent, so a click that opens a modal dialog returns at once.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace e2e {

// Process ids of the running processes with this image name (case-insensitive).
std::set<DWORD> FindProcesses(const std::wstring& imageName);

// A visible top-level dialog (class #32770) of process pid with this caption,
// or (when caption is null) holding control id.
HWND FindDialog(DWORD pid, const std::wstring* caption, int controlId);

// Control id of `window`: a child of its own, else a visible one further
// down (a wizard's controls live on its current page).
HWND FindControl(HWND window, int id);

// The window with the keyboard focus in `window`'s thread; null when none has.
HWND FocusedWindow(HWND window);

std::wstring WindowClass(HWND window);
std::wstring WindowCaption(HWND window);

// A control's text: edit controls through WM_GETTEXT, others as stored.
bool ControlText(HWND control, std::wstring& text);

// BM_GETCHECK; false when the target does not answer.
bool ButtonCheck(HWND control, LRESULT& state);

// Posts key down and up to the focused window of the target's thread (the
// window itself when none has the focus).
bool PostKey(HWND window, UINT virtualKey);

// The colour at a client point, as 0xRRGGBB; false when it cannot be read.
bool ClientPixel(HWND window, int x, int y, unsigned long& rgb);

// Whether some pixel of the control on screen has the colour 0xRRGGBB;
// false also when the screen cannot be read.
bool ControlShowsColour(HWND control, unsigned long rgb);

std::string Hex6(unsigned long rgb);

// Loads a shortcut file with the shell's own link object; false with the
// reason in `error`.
bool ReadShellLink(const std::wstring& path, std::wstring& target, std::string& error);

}  // namespace e2e
