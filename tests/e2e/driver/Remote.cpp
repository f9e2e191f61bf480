#include "Remote.h"

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Script.h"

namespace e2e {

namespace {

constexpr UINT kQueryTimeoutMs = 2000;

// Every window of an EnumWindows or EnumChildWindows walk, in its order.
BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kQueryTimeoutMs,
                                 &result) != 0;
}

// The screen's pixels in `rect` (screen coordinates), row by row, each 0x00RRGGBB. The
// screen, not the window's own DC: what counts is what was drawn where the user looks,
// and another process's window DC cannot be read reliably under Wine.
bool ScreenPixels(const RECT& rect, std::vector<DWORD>& pixels) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return false;
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const BOOL copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    const int rows = copied ? ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height),
                                          pixels.data(), &info, DIB_RGB_COLORS)
                            : 0;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return rows == height;
}

}  // namespace

HWND FindControl(HWND window, int id) {
    if (HWND child = ::GetDlgItem(window, id)) return child;
    std::vector<HWND> descendants;
    ::EnumChildWindows(window, &Collect, reinterpret_cast<LPARAM>(&descendants));
    for (HWND c : descendants) {
        if (::GetDlgCtrlID(c) == id && ::IsWindowVisible(c)) return c;
    }
    return nullptr;
}

std::set<DWORD> FindProcesses(const std::wstring& imageName) {
    std::set<DWORD> pids;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (::lstrcmpiW(entry.szExeFile, imageName.c_str()) == 0) {
            pids.insert(entry.th32ProcessID);
        }
    }
    ::CloseHandle(snapshot);
    return pids;
}

std::vector<HWND> VisibleWindows(DWORD pid) {
    std::vector<HWND> all, visible;
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == pid && ::IsWindowVisible(window)) visible.push_back(window);
    }
    return visible;
}

HWND FindDialog(DWORD pid, const std::string* caption, int controlId) {
    for (HWND window : VisibleWindows(pid)) {
        if (WindowClass(window) == "#32770" &&
            (caption != nullptr ? WindowCaption(window) == *caption
                                : ::GetDlgItem(window, controlId) != nullptr)) {
            return window;
        }
    }
    return nullptr;
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::string WindowClass(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return Narrow(name);
}

std::string WindowCaption(HWND window) {
    std::vector<wchar_t> buffer(static_cast<size_t>(::GetWindowTextLengthW(window)) + 2, L'\0');
    ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()) - 1);
    return Narrow(buffer.data());
}

std::string ControlText(HWND control) {
    if (::lstrcmpiA(WindowClass(control).c_str(), "Edit") != 0) return WindowCaption(control);
    // An edit control keeps its text in the owning process: ask for it.
    DWORD_PTR length = 0;
    if (!Ask(control, WM_GETTEXTLENGTH, 0, 0, length)) return "(no answer)";
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR got = 0;
    const LPARAM text = reinterpret_cast<LPARAM>(buffer.data());
    return Ask(control, WM_GETTEXT, length + 1, text, got) ? Narrow(buffer.data()) : "(no answer)";
}

LRESULT ButtonCheck(HWND control) {
    DWORD_PTR result = 0;
    return Ask(control, BM_GETCHECK, 0, 0, result) ? static_cast<LRESULT>(result) : -1;
}

bool PostKey(HWND window, UINT virtualKey) {
    HWND focus = FocusedWindow(window);
    HWND target = focus != nullptr ? focus : window;
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    if (!::PostMessageW(target, WM_KEYDOWN, virtualKey, scan | 1)) return false;
    return ::PostMessageW(target, WM_KEYUP, virtualKey, scan | 1 | (3u << 30)) != FALSE;
}

bool ClientPixel(HWND window, int x, int y, unsigned long& rgb) {
    POINT at{x, y};
    std::vector<DWORD> pixels;
    if (!::ClientToScreen(window, &at) || !ScreenPixels({at.x, at.y, at.x + 1, at.y + 1}, pixels)) {
        return false;
    }
    rgb = pixels[0] & 0xFFFFFFul;
    return true;
}

bool ControlShowsColour(HWND control, unsigned long rgb) {
    RECT rect{};
    std::vector<DWORD> pixels;
    if (!::GetWindowRect(control, &rect) || !ScreenPixels(rect, pixels)) return false;
    return std::any_of(pixels.begin(), pixels.end(),
                       [&](DWORD pixel) { return (pixel & 0xFFFFFFul) == (rgb & 0xFFFFFFul); });
}

bool ReadShellLink(const std::string& path, std::string& target, std::string& error) {
    const HRESULT com = ::CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) hr = file->Load(Widen(path).c_str(), STGM_READ);
    std::vector<wchar_t> buffer(MAX_PATH * 4, L'\0');
    if (SUCCEEDED(hr)) {
        hr = link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, SLGP_RAWPATH);
    }
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    if (SUCCEEDED(com)) ::CoUninitialize();
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08lx", static_cast<unsigned long>(hr));
        error = std::string("the link cannot be loaded: HRESULT ") + code;
        return false;
    }
    target = Narrow(buffer.data());
    return true;
}

}  // namespace e2e
