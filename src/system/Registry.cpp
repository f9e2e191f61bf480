#include "system/Registry.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/Text.h"
#include "system/PathCheck.h"

namespace setup {

namespace {

// Closes an opened key on every way out.
class ScopedKey {
public:
    explicit ScopedKey(Os& os) : m_os(os) {}
    ~ScopedKey() {
        if (m_key != 0) m_os.RegCloseKey(m_key);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    RegKey& Out() { return m_key; }
    RegKey Get() const { return m_key; }
    // A failed open is not guaranteed to leave the handle at zero.
    void Forget() { m_key = 0; }

private:
    Os& m_os;
    RegKey m_key = 0;
};

// A backslash byte never occurs inside a UTF-8 sequence, so the last one is
// always a real separator.
bool SplitValuePath(const std::string& valuePath, std::string& key, std::string& name) {
    const size_t slash = valuePath.rfind('\\');
    if (slash == std::string::npos) return false;
    key = valuePath.substr(0, slash);
    name = valuePath.substr(slash + 1);
    return true;
}

// UTF-16LE bytes up to the first NUL unit or the end; an odd last byte is not
// part of any unit.
std::u16string DecodeUtf16Le(const std::vector<uint8_t>& data) {
    std::u16string text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        text += unit;
    }
    return text;
}

std::vector<uint8_t> EncodeUtf16Le(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// Moves a cut back to the start of the character it would split.
size_t Utf8Boundary(const std::string& text, size_t cut) {
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

int Failed(TextSink* trace) {
    Trace(trace, "**Failed\n");
    return 0;
}

bool ReadValue(Os& os, RegKey root, const std::string& valuePath, std::string& out,
               size_t maxChars) {
    std::string keyPath;
    std::string valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return false;
    // A value is read into room for maxChars units and a terminator; a longer
    // one is a failed read.
    if (maxChars >= std::numeric_limits<uint32_t>::max() / 2) return false;
    const uint32_t maxBytes = static_cast<uint32_t>((maxChars + 1) * 2);

    ScopedKey key(os);
    if (os.RegOpenKeyEx(root, keyPath, win::KEY_QUERY_VALUE_, key.Out()) != 0) {
        key.Forget();
        return false;
    }
    uint32_t type = win::REG_NONE_;
    std::vector<uint8_t> data;
    if (os.RegQueryValueEx(key.Get(), valueName, type, data, maxBytes) != 0) return false;
    if (type != win::REG_SZ_ && type != win::REG_EXPAND_SZ_) return false;

    const std::u16string text = DecodeUtf16Le(data);
    if (text.size() > maxChars) return false;
    out = Utf16ToUtf8(text);
    if (type == win::REG_EXPAND_SZ_) {
        std::string expanded;
        if (os.ExpandEnvironmentStrings(out, expanded) && Utf16Length(expanded) <= maxChars) {
            out = expanded;
        }
    }
    return true;
}

int SetValue(Os& os, RegKey root, const std::string& valuePath, uint32_t type,
             const std::vector<uint8_t>& data) {
    std::string keyPath;
    std::string valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return 0;
    if (data.size() > std::numeric_limits<uint32_t>::max()) return 0;

    // The key must exist already: writing never creates one.
    ScopedKey key(os);
    if (os.RegOpenKeyEx(root, keyPath, win::KEY_WRITE_, key.Out()) != 0) {
        key.Forget();
        return 0;
    }
    const long result = os.RegSetValueEx(key.Get(), valueName, type, data.data(),
                                         static_cast<uint32_t>(data.size()));
    return result == 0 ? 1 : 0;
}

}  // namespace

const char* RegistryRootName(RegKey root) {
    switch (root) {
    case HKEY_CLASSES_ROOT_:
        return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER_:
        return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE_:
        return "HKEY_LOCAL_MACHINE";
    default:
        return "HKEY_USERS";
    }
}

int ReadRegistryString(Os& os, TextSink* trace, RegKey root, const std::string& valuePath,
                       std::string& out, size_t maxChars) {
    Trace(trace, "Trying to get registery key: %s ", valuePath.c_str());
    std::string text;
    if (!ReadValue(os, root, valuePath, text, maxChars)) {
        out.clear();
        return Failed(trace);
    }
    out = std::move(text);
    Trace(trace, "OK\n");
    return 1;
}

int WriteRegistryString(Os& os, TextSink* trace, RegKey root, const std::string& valuePath,
                        const std::string& text, size_t byteCount) {
    Trace(trace, "Trying to set registery key: %s ", valuePath.c_str());
    const size_t cut = Utf8Boundary(text, byteCount);
    std::u16string units = Utf8ToUtf16(std::string_view(text).substr(0, cut));
    if (byteCount > text.size()) units += u'\0';
    if (!SetValue(os, root, valuePath, win::REG_SZ_, EncodeUtf16Le(units))) return Failed(trace);
    Trace(trace, "key %s %s = %s OK\n", RegistryRootName(root), valuePath.c_str(), text.c_str());
    return 1;
}

int WriteRegistryDword(Os& os, TextSink* trace, RegKey root, const std::string& valuePath,
                       int32_t value, uint32_t byteCount) {
    Trace(trace, "Trying to set registery key: %s ", valuePath.c_str());
    const uint32_t bits = static_cast<uint32_t>(value);
    std::vector<uint8_t> data;
    // Never more bytes than the value has.
    for (uint32_t i = 0; i < byteCount && i < 4; ++i) {
        data.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    if (!SetValue(os, root, valuePath, win::REG_DWORD_, data)) return Failed(trace);
    Trace(trace, "key %s %s = %d OK\n", RegistryRootName(root), valuePath.c_str(), value);
    return 1;
}

int CreateRegistryKey(Os& os, TextSink* trace, RegKey root, const std::string& keyPath) {
    Trace(trace, "Trying to create registery key: %s ", keyPath.c_str());
    ScopedKey key(os);
    uint32_t disposition = 0;
    if (os.RegCreateKeyEx(root, keyPath, win::KEY_SET_VALUE_, key.Out(), disposition) != 0) {
        key.Forget();
        return Failed(trace);
    }
    Trace(trace, "key %s %s OK\n", RegistryRootName(root), keyPath.c_str());
    return 1;
}

int DeleteEmptyRegistryKey(Os& os, RegKey root, const std::string& keyPath) {
    uint32_t subKeys = 1;
    uint32_t values = 1;
    {
        ScopedKey key(os);
        if (os.RegOpenKeyEx(root, keyPath, win::KEY_QUERY_VALUE_, key.Out()) != 0) {
            key.Forget();
            return 0;
        }
        if (os.RegQueryInfoKey(key.Get(), subKeys, values) != 0) return 0;
    }
    if (subKeys != 0 || values != 0) return 0;
    return os.RegDeleteKey(root, keyPath) == 0 ? 1 : 0;
}

int DeleteRegistryKey(Os& os, TextSink* trace, RegKey root, const std::string& keyPath) {
    Trace(trace, "Trying to delete registery key: %s ", keyPath.c_str());
    if (os.RegDeleteKey(root, keyPath) != 0) return Failed(trace);
    Trace(trace, "key %s %s OK\n", RegistryRootName(root), keyPath.c_str());
    return 1;
}

namespace {

// Keys below SOFTWARE that hold the system's and every program's settings:
// neither they nor anything in them is a product's own.
const char* const kSharedKeys[] = {"SOFTWARE\\Microsoft", "SOFTWARE\\Classes", "SOFTWARE\\Policies",
                                   "SOFTWARE\\Wow6432Node"};

}  // namespace

bool IsPrivateKey(Os& os, const std::string& key) {
    const std::string software = "SOFTWARE\\";
    if (key.size() <= software.size() || !SameOrBelow(os, key, "SOFTWARE")) return false;
    // Every part named: an empty one would let the platform resolve the path
    // in its own way.
    for (size_t at = software.size(); at <= key.size();) {
        const size_t end = std::min(key.find('\\', at), key.size());
        if (end == at) return false;
        at = end + 1;
    }
    for (const char* shared : kSharedKeys) {
        if (SameOrBelow(os, shared, key) || SameOrBelow(os, key, shared)) return false;
    }
    return true;
}

}  // namespace setup
