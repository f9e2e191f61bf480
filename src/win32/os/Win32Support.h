// Small pieces the Win32Os files share: handle owners, a keeper of the last
// error, and the one loop for the W calls that return text.
#pragma once

#include <string>
#include <utility>

#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"

namespace setup::win32 {

// Restores the last error when it leaves scope, so that clean-up after a
// call (freeing a converted string, closing a handle) cannot change it.
class LastErrorKeeper {
public:
    LastErrorKeeper() = default;
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
    ~LastErrorKeeper() { ::SetLastError(error_); }
    void Take() { error_ = ::GetLastError(); }

private:
    DWORD error_ = 0;
};

// A kernel handle closed on every way out (null and INVALID_HANDLE_VALUE are none).
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid()) ::CloseHandle(h_);
    }
    bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    // The handle, now the caller's to close.
    HANDLE Release() {
        const HANDLE h = h_;
        h_ = nullptr;
        return h;
    }

private:
    HANDLE h_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
    }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    void** Out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// What a W call that fills a text buffer returns.
enum class TextCount {
    Length,         // the length written, or the size needed (with the NUL) when too small; 0 fails
    SizeWithNul,    // the size with the NUL, whether it fitted or not; 0 fails
    LengthOrEmpty,  // as Length, but 0 with last error 0 is the empty text
    LengthOrCut,    // the length written; the whole size when the text was cut short
};

// Runs `call(buffer, size)` with a growing buffer until the text fits.
// false: the call failed (its last error kept), `out` untouched.
template <typename Call>
bool FetchText(Call call, std::wstring& out, TextCount count = TextCount::Length) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (count == TextCount::LengthOrEmpty) ::SetLastError(ERROR_SUCCESS);
        const DWORD n = call(&buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            if (count != TextCount::LengthOrEmpty || ::GetLastError() != ERROR_SUCCESS) {
                return false;
            }
            out.clear();
            return true;
        }
        const bool fits = count == TextCount::SizeWithNul ? n <= buffer.size() : n < buffer.size();
        if (fits) {
            buffer.resize(count == TextCount::SizeWithNul ? n - 1 : n);
            out = std::move(buffer);
            return true;
        }
        // A cut text says nothing of the size it needs: double the room.
        buffer.assign(count == TextCount::LengthOrCut ? buffer.size() * 2 : n, L'\0');
    }
    return false;
}

// `path` made absolute by GetFullPathNameW; itself when that fails. A path in
// the "\\?\" form is absolute already and names exactly what it spells:
// GetFullPathNameW would drop a name's trailing dots and resolve "..", so it
// is kept as it is.
inline std::wstring FullPathName(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    std::wstring full;
    const bool ok =
        FetchText([&](wchar_t* buf,
                      DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buf, nullptr); },
                  full);
    return ok ? full : path;
}

// A path for the W calls. One that fits the classic limit (less the 12
// units CreateDirectoryW keeps for an 8.3 name) is passed as it is; a longer
// one is made absolute and given the "\\?\" form, which has no such limit
// but resolves nothing itself.
inline std::wstring WidePath(std::string_view path) {
    std::wstring wide = Widen(path);
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    LastErrorKeeper keep;  // the caller's last error is not this lookup's
    keep.Take();
    std::wstring full;
    const bool ok = FetchText(
        [&](wchar_t* buf, DWORD size) {
            return ::GetFullPathNameW(wide.c_str(), size, buf, nullptr);
        },
        full);
    if (!ok) return wide;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Calls a W function on one path, keeping the last error it set.
template <typename Call>
auto OnPath(const std::string& path, Call call) {
    LastErrorKeeper keep;
    const std::wstring wide = WidePath(path);
    const auto result = call(wide.c_str());
    keep.Take();
    return result;
}

// The same as UTF-8, keeping the call's last error. false: `out` untouched.
template <typename Call>
bool FetchUtf8(Call call, std::string& out, TextCount count = TextCount::Length) {
    LastErrorKeeper keep;
    std::wstring wide;
    const bool ok = FetchText(call, wide, count);
    keep.Take();
    if (ok) out = Narrow(wide);
    return ok;
}

}  // namespace setup::win32
