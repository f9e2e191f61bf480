#include "Remote.h"

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <vector>

namespace e2e {

namespace {

constexpr UINT kQueryTimeoutMs = 2000;

struct DialogSearch {
    DWORD pid;
    const std::wstring* caption;
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<DialogSearch*>(param);
    if (!::IsWindowVisible(window)) return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (search.pid != 0 && pid != search.pid) return TRUE;
    if (WindowClass(window) != L"#32770") return TRUE;
    if (search.caption != nullptr) {
        if (WindowCaption(window) != *search.caption) return TRUE;
    } else if (::GetDlgItem(window, search.controlId) == nullptr) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<ControlSearch*>(param);
    if (::GetDlgCtrlID(window) != search.id || !::IsWindowVisible(window)) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindControl(HWND window, int id) {
    if (HWND child = ::GetDlgItem(window, id)) return child;
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(window, &MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

HWND FindDialog(DWORD pid, const std::wstring* caption, int controlId) {
    DialogSearch search{pid, caption, controlId, nullptr};
    ::EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowClass(HWND window) {
    wchar_t name[64] = {};
    const int length = ::GetClassNameW(window, name, 64);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring WindowCaption(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
    const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

bool ControlText(HWND control, std::wstring& text) {
    if (::lstrcmpiW(WindowClass(control).c_str(), L"Edit") != 0) {
        text = WindowCaption(control);
        return true;
    }
    // An edit control keeps its text in the owning process: ask for it.
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs,
                               &length)) {
        return false;
    }
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, length + 1,
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                               kQueryTimeoutMs, &got)) {
        return false;
    }
    text.assign(buffer.data(), got);
    return true;
}

bool ButtonCheck(HWND control, LRESULT& state) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs,
                               &result)) {
        return false;
    }
    state = static_cast<LRESULT>(result);
    return true;
}

bool PostKey(HWND window, UINT virtualKey) {
    HWND target = window;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) target = info.hwndFocus;
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    if (!::PostMessageW(target, WM_KEYDOWN, virtualKey, scan | 1)) return false;
    return ::PostMessageW(target, WM_KEYUP, virtualKey, scan | 1 | (3u << 30)) != FALSE;
}

bool ClientPixel(HWND window, int x, int y, unsigned long& rgb) {
    // Read the screen, not the window's own DC: what counts is what was drawn
    // where the user looks, and another process's window DC cannot be read
    // reliably under Wine.
    POINT point{x, y};
    if (!::ClientToScreen(window, &point)) return false;
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return false;
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    if (colour == CLR_INVALID) return false;
    rgb = (static_cast<unsigned long>(GetRValue(colour)) << 16) |
          (static_cast<unsigned long>(GetGValue(colour)) << 8) | GetBValue(colour);
    return true;
}

bool ControlShowsColour(HWND control, unsigned long rgb) {
    RECT rect{};
    if (!::GetWindowRect(control, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    // One copy of the screen area, read as 32-bit pixels (blue, green, red, 0).
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
    std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    const int rows = copied ? ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height),
                                          pixels.data(), &info, DIB_RGB_COLORS)
                            : 0;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return false;
    for (DWORD pixel : pixels) {
        if ((pixel & 0xFFFFFFul) == (rgb & 0xFFFFFFul)) return true;
    }
    return false;
}

std::string Hex6(unsigned long rgb) {
    char text[8];
    std::snprintf(text, sizeof(text), "%06lx", rgb & 0xFFFFFFul);
    return text;
}

bool ReadShellLink(const std::wstring& path, std::wstring& target, std::string& error) {
    const HRESULT com = ::CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) hr = file->Load(path.c_str(), STGM_READ);
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
    target = buffer.data();
    return true;
}

}  // namespace e2e
