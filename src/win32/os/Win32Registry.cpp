// The registry: keys opened, created, deleted and closed, values read and set.
#include <vector>

#include "win32/os/Win32Os.h"
#include "win32/os/Win32Support.h"

namespace setup {

namespace {

// The predefined roots are sign-extended 32-bit values on 64-bit Windows;
// the program spells them as their 32-bit values.
HKEY ToHkey(RegKey key) {
    if (key >= 0x80000000u && key <= 0x800000FFu) {
        return reinterpret_cast<HKEY>(
            static_cast<LONG_PTR>(static_cast<LONG>(static_cast<uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
    return reinterpret_cast<RegKey>(key);
}

}  // namespace

long Win32Os::RegOpenKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out) {
    const std::wstring wide = Widen(subKey);
    HKEY key = nullptr;
    const LONG result = ::RegOpenKeyExW(ToHkey(root), wide.c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS) out = FromHkey(key);
    return result;
}

long Win32Os::RegQueryValueEx(RegKey key, const std::string& valueName, uint32_t& type,
                              std::vector<uint8_t>& data, uint32_t maxBytes) {
    data.clear();
    const std::wstring wide = Widen(valueName);
    DWORD valueType = 0;
    DWORD size = 0;
    LONG result =
        ::RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, &valueType, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    type = valueType;
    if (size > maxBytes) return ERROR_MORE_DATA;
    std::vector<uint8_t> bytes(size);
    result = ::RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, &valueType,
                                bytes.empty() ? nullptr : bytes.data(), &size);
    if (result != ERROR_SUCCESS) return result;
    // The value may have changed between the two calls.
    if (size > maxBytes) return ERROR_MORE_DATA;
    type = valueType;
    bytes.resize(size);
    data = std::move(bytes);
    return ERROR_SUCCESS;
}

long Win32Os::RegSetValueEx(RegKey key, const std::string& valueName, uint32_t type,
                            const uint8_t* data, uint32_t size) {
    const std::wstring wide = Widen(valueName);
    if (size == 0 || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)) {
        return ::RegSetValueExW(ToHkey(key), wide.c_str(), 0, type, data, size);
    }
    // For a string, the system reads the unit after the counted bytes and,
    // finding a NUL there after a unit that is not, stores a terminator the
    // count left out. Read past the caller's buffer, that unit was whatever
    // followed it in memory. A copy with a unit that is not NUL after it
    // keeps the read inside our buffer and the value exactly as counted.
    std::vector<uint8_t> padded(data, data + size);
    padded.insert(padded.end(), {0xFF, 0xFF});
    return ::RegSetValueExW(ToHkey(key), wide.c_str(), 0, type, padded.data(), size);
}

long Win32Os::RegCreateKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out,
                             uint32_t& disposition) {
    const std::wstring wide = Widen(subKey);
    wchar_t emptyClass[] = L"";
    HKEY key = nullptr;
    DWORD created = 0;
    const LONG result = ::RegCreateKeyExW(ToHkey(root), wide.c_str(), 0, emptyClass,
                                          REG_OPTION_NON_VOLATILE, access, nullptr, &key, &created);
    if (result != ERROR_SUCCESS) return result;
    out = FromHkey(key);
    disposition = created;
    return result;
}

long Win32Os::RegDeleteKey(RegKey root, const std::string& subKey) {
    const std::wstring wide = Widen(subKey);
    return ::RegDeleteKeyW(ToHkey(root), wide.c_str());
}

long Win32Os::RegQueryInfoKey(RegKey key, uint32_t& subKeys, uint32_t& values) {
    DWORD keyCount = 0;
    DWORD valueCount = 0;
    const LONG result =
        ::RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &keyCount, nullptr, nullptr,
                           &valueCount, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) return result;
    subKeys = keyCount;
    values = valueCount;
    return result;
}

long Win32Os::RegCloseKey(RegKey key) {
    return ::RegCloseKey(ToHkey(key));
}

}  // namespace setup
