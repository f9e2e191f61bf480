// UTF-8 <-> UTF-16 at the W-function boundary.
#pragma once

#include <string>
#include <string_view>

#include "core/Text.h"

namespace setup {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline std::wstring Widen(std::string_view text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string Narrow(const wchar_t* text, size_t length) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

inline std::string Narrow(const std::wstring& text) {
    return Narrow(text.data(), text.size());
}

// Null for an empty text: the W functions read null as "not given".
inline const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace setup
