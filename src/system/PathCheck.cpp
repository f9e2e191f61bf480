#include "system/PathCheck.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/Text.h"

namespace setup {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A name Windows would not keep as it is written: nothing but dots and
// blanks, or characters no file name may hold.
bool IsDoubtfulName(const std::string& name) {
    if (name.find_first_not_of(". ") == std::string::npos) return true;
    for (unsigned char c : name) {
        if (c < 0x20 ||
            std::string_view("<>:\"|").find(static_cast<char>(c)) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool SameOrBelow(Os& os, const std::string& inner, const std::string& outer) {
    if (outer.empty() || inner.size() < outer.size() ||
        os.CompareStringOrdinal(inner.substr(0, outer.size()), outer, true) != 0) {
        return false;
    }
    // The byte after the prefix is a backslash: never inside a character.
    return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

std::string NormalisePath(const std::string& path) {
    // The long forms name the same places: "\\?\C:\..." and "\\?\UNC\server\...".
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return NormalisePath("\\\\" + path.substr(8));
    if (path.rfind("\\\\?\\", 0) == 0 && path.size() > 4 && path[4] != '\\') {
        return NormalisePath(path.substr(4));
    }
    std::string root;
    size_t at = 0;
    if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]) &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        root = std::string(1, static_cast<char>(path[0] & ~0x20)) + ":\\";
        at = 3;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\server\share"; the device forms ("\\.\", and "\\?\" other than the
        // long forms above) are not for us.
        const size_t serverEnd = path.find_first_of("\\/", 2);
        const std::string server =
            path.substr(2, serverEnd == std::string::npos ? std::string::npos : serverEnd - 2);
        if (server.empty() || server == "?" || server == "." || IsDoubtfulName(server)) return "";
        if (serverEnd == std::string::npos) return "\\\\" + server;
        const size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
        const std::string share =
            path.substr(serverEnd + 1, shareEnd == std::string::npos ? std::string::npos
                                                                     : shareEnd - serverEnd - 1);
        if (share.empty() || IsDoubtfulName(share)) return "";
        root = "\\\\" + server + "\\" + share;
        at = shareEnd == std::string::npos ? path.size() : shareEnd;
    } else {
        return "";
    }

    std::vector<std::string> parts;
    while (at < path.size()) {
        const size_t end = std::min(path.find_first_of("\\/", at), path.size());
        std::string part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        if (IsDoubtfulName(part)) return "";
        part.erase(part.find_last_not_of(". ") + 1);
        parts.push_back(part);
    }
    std::string out = root;
    for (const std::string& part : parts) {
        if (!out.empty() && out.back() != '\\') out += '\\';
        out += part;
    }
    return out;
}

bool LiesBelow(Os& os, const std::string& inner, const std::string& outer) {
    const std::string normalisedInner = NormalisePath(inner);
    const std::string normalisedOuter = NormalisePath(outer);
    return !normalisedInner.empty() && !normalisedOuter.empty() &&
           os.CompareStringOrdinal(normalisedInner, normalisedOuter, true) != 0 &&
           SameOrBelow(os, normalisedInner, normalisedOuter);
}

bool LiesWithin(Os& os, const std::string& inner, const std::string& outer) {
    const std::string normalisedInner = NormalisePath(inner);
    const std::string normalisedOuter = NormalisePath(outer);
    return !normalisedInner.empty() && !normalisedOuter.empty() &&
           SameOrBelow(os, normalisedInner, normalisedOuter);
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || IsDoubtfulName(name) || name.find_first_of("\\/?*") != std::string::npos) {
        return false;
    }
    // The device names are reserved with any extension, and with blanks
    // before it.
    std::string device = name.substr(0, name.find('.'));
    device.erase(device.find_last_not_of(' ') + 1);
    for (char& c : device) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (device == "CON" || device == "PRN" || device == "AUX" || device == "NUL") return false;
    return !(device.size() == 4 &&
             (device.compare(0, 3, "COM") == 0 || device.compare(0, 3, "LPT") == 0) &&
             device[3] >= '1' && device[3] <= '9');
}

bool IsPlainRelativeName(const std::string& name) {
    const size_t end = name.find_last_not_of('\\');
    if (end == std::string::npos) return name.empty();
    for (size_t at = 0; at <= end;) {
        const size_t next = std::min(name.find('\\', at), end + 1);
        if (!IsPlainFileName(name.substr(at, next - at))) return false;
        at = next + 1;
    }
    return true;
}

}  // namespace setup
