#include "uninstall/DeleteGuard.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "core/Text.h"
#include "system/Registry.h"

namespace setup {

namespace {

// Windows' classic path limit, without the terminator.
constexpr size_t kMaxPathUnits = 259;

constexpr char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders\\";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
const char* const kUserFolderValues[] = {"Desktop",    "Personal", "AppData", "Local AppData",
                                         "Start Menu", "Programs", "Startup"};
const char* const kCommonFolderValues[] = {"Common Desktop",  "Common Documents",
                                           "Common AppData",  "Common Start Menu",
                                           "Common Programs", "Common Startup"};
const char* const kFolderVariables[] = {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432",
                                        "USERPROFILE",  "ALLUSERSPROFILE",   "PUBLIC",
                                        "APPDATA",      "LOCALAPPDATA",      "ProgramData"};
const char* const kTreeVariables[] = {"SystemRoot", "windir"};

// Keys below SOFTWARE that hold the system's and every program's settings:
// neither they nor anything in them is a product's own.
const char* const kSharedKeys[] = {"SOFTWARE\\Microsoft", "SOFTWARE\\Classes", "SOFTWARE\\Policies",
                                   "SOFTWARE\\Wow6432Node"};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Simple case folding of the letters Windows compares without case: ASCII,
// Latin-1, Latin Extended-A, Greek, Cyrillic and the full-width forms.
char16_t FoldUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - 0x20;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper ? (c % 2 == 0) : (c % 2 == 1 && c != 0x131 && c != 0x138 && c != 0x149)) {
            return c - 1;
        }
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

std::u16string Folded(const std::string& text) {
    std::u16string units = Utf8ToUtf16(text);
    for (char16_t& c : units) c = FoldUnit(c);
    return units;
}

// Whether `inner` is `outer` or lies below it, both normalised.
bool IsSameOrBelow(const std::u16string& inner, const std::u16string& outer) {
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || outer.back() == u'\\' || inner[outer.size()] == u'\\';
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

// A short (8.3) alias such as PROGRA~1 may stand for any long name.
bool IsShortAlias(const std::string& name) {
    const size_t tilde = name.find('~');
    return tilde != std::string::npos && tilde + 1 < name.size() && name[tilde + 1] >= '0' &&
           name[tilde + 1] <= '9';
}

bool IsRoot(const std::string& normalised) {
    if (normalised.size() == 3 && normalised[1] == ':') return true;  // "C:\"
    if (normalised.rfind("\\\\", 0) != 0) return false;
    const size_t server = normalised.find('\\', 2);
    return server == std::string::npos || normalised.find('\\', server + 1) == std::string::npos;
}

// The guard's registry reads are not part of the run's trace.
class TraceSilence {
public:
    explicit TraceSilence(SetupContext& ctx) : ctx_(ctx), saved_(std::move(ctx.TraceStream)) {}
    ~TraceSilence() { ctx_.TraceStream = std::move(saved_); }
    TraceSilence(const TraceSilence&) = delete;
    TraceSilence& operator=(const TraceSilence&) = delete;

private:
    SetupContext& ctx_;
    std::unique_ptr<TextSink> saved_;
};

void AddPlace(std::vector<std::string>& into, const std::string& folder) {
    const std::string normalised = NormalisePath(folder);
    if (!normalised.empty()) into.push_back(normalised);
}

}  // namespace

std::string NormalisePath(const std::string& path) {
    std::string root;
    size_t at = 0;
    if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]) &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        root = std::string(1, static_cast<char>(path[0] & ~0x20)) + ":\\";
        at = 3;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\server\share"; the device forms "\\?\" and "\\.\" are not for us.
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

ProtectedPlaces ProtectedFolders(SetupEnv& env) {
    SetupContext& ctx = env.ctx;
    const TraceSilence silence(ctx);
    ProtectedPlaces places;
    AddPlace(places.trees, ctx.WinDir);
    AddPlace(places.trees, ctx.SystemDir);
    for (const char* name : kTreeVariables) {
        std::string value;
        if (env.os.GetEnvironmentVariable(name, value)) AddPlace(places.trees, value);
    }
    for (const std::string* folder :
         {&ctx.ProgramDir, &ctx.UserProgramFolderDir, &ctx.ProgramFolderDir, &ctx.SourceDir}) {
        AddPlace(places.folders, *folder);
    }
    for (const char* name : kFolderVariables) {
        std::string value;
        if (env.os.GetEnvironmentVariable(name, value)) AddPlace(places.folders, value);
    }
    const struct {
        RegKey root;
        const char* const* names;
        size_t count;
    } shellFolders[] = {{HKEY_CURRENT_USER_, kUserFolderValues, std::size(kUserFolderValues)},
                        {HKEY_LOCAL_MACHINE_, kCommonFolderValues, std::size(kCommonFolderValues)}};
    for (const auto& group : shellFolders) {
        for (size_t i = 0; i < group.count; ++i) {
            for (const char* key : {kUserShellFolders, kShellFolders}) {
                std::string value;
                if (ReadRegistryString(env, group.root, std::string(key) + group.names[i], value,
                                       32767)) {
                    AddPlace(places.folders, value);
                }
            }
        }
    }
    return places;
}

bool IsDeletableTarget(const std::string& path, const ProtectedPlaces& places,
                       const std::string& brandFolder) {
    if (Utf16Length(path) > kMaxPathUnits) return false;
    const std::string normalised = NormalisePath(path);
    if (normalised.empty() || IsRoot(normalised)) return false;
    for (size_t at = 0; at < normalised.size();) {
        const size_t end = std::min(normalised.find('\\', at), normalised.size());
        if (IsShortAlias(normalised.substr(at, end - at))) return false;
        at = end + 1;
    }
    const std::u16string target = Folded(normalised);
    for (const std::string& folder : places.folders) {
        if (IsSameOrBelow(Folded(folder), target)) return false;
    }
    for (const std::string& tree : places.trees) {
        const std::u16string folded = Folded(tree);
        if (IsSameOrBelow(folded, target) || IsSameOrBelow(target, folded)) return false;
    }
    const std::string brand = NormalisePath(brandFolder);
    return brand.empty() || Folded(brand) != target;
}

bool IsDeletableKey(const std::string& key) {
    const std::u16string folded = Folded(key);
    const std::u16string software = u"SOFTWARE\\";
    if (folded.size() <= software.size() || folded.compare(0, software.size(), software) != 0) {
        return false;
    }
    // Every part named: an empty one would let the platform resolve the path
    // in its own way.
    for (size_t at = software.size(); at <= folded.size();) {
        const size_t end = std::min(folded.find(u'\\', at), folded.size());
        if (end == at) return false;
        at = end + 1;
    }
    for (const char* shared : kSharedKeys) {
        const std::u16string sharedKey = Folded(shared);
        if (IsSameOrBelow(sharedKey, folded) || IsSameOrBelow(folded, sharedKey)) return false;
    }
    return true;
}

bool LiesBelow(const std::string& inner, const std::string& outer) {
    const std::string normalisedInner = NormalisePath(inner);
    const std::string normalisedOuter = NormalisePath(outer);
    if (normalisedInner.empty() || normalisedOuter.empty()) return false;
    const std::u16string foldedInner = Folded(normalisedInner);
    const std::u16string foldedOuter = Folded(normalisedOuter);
    return foldedInner != foldedOuter && IsSameOrBelow(foldedInner, foldedOuter);
}

std::string RefusalMessage(const std::string& target) {
    return Format("%s\nは削除できない場所のため、ｱﾝｲﾝｽﾄｰﾙを中止しました。", target.c_str());
}

}  // namespace setup
