#include "uninstall/DeleteGuard.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "core/Text.h"
#include "system/PlaceIdentity.h"
#include "system/Registry.h"

namespace setup {

namespace {

// The longest path Windows takes (in the "\\?\" form), without the terminator.
constexpr size_t kMaxPathUnits = 32767;

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
                if (ReadRegistryString(env.os, env.trace(), group.root,
                                       std::string(key) + group.names[i], value, 32767)) {
                    AddPlace(places.folders, value);
                }
            }
        }
    }
    for (const std::string& folder : places.folders) {
        for (const FileIdentity& identity : IdentitiesUpward(env.os, folder)) {
            places.foldersAndAbove.push_back(identity);
        }
    }
    for (const std::string& tree : places.trees) {
        const std::vector<FileIdentity> upward = IdentitiesUpward(env.os, tree);
        if (!upward.empty()) places.treeRoots.push_back(upward.front());
        places.treesAndAbove.insert(places.treesAndAbove.end(), upward.begin(), upward.end());
    }
    return places;
}

bool IsDeletableTarget(Os& os, const std::string& path, const ProtectedPlaces& places,
                       const std::string& brandFolder) {
    if (Utf16Length(path) > kMaxPathUnits) return false;
    const std::string normalised = NormalisePath(path);
    if (normalised.empty() || IsRoot(normalised)) return false;
    for (size_t at = 0; at < normalised.size();) {
        const size_t end = std::min(normalised.find('\\', at), normalised.size());
        if (IsShortAlias(normalised.substr(at, end - at))) return false;
        at = end + 1;
    }
    for (const std::string& folder : places.folders) {
        if (SameOrBelow(os, folder, normalised)) return false;
    }
    for (const std::string& tree : places.trees) {
        if (SameOrBelow(os, tree, normalised) || SameOrBelow(os, normalised, tree)) return false;
    }
    const std::string brand = NormalisePath(brandFolder);
    if (!brand.empty() && os.CompareStringOrdinal(brand, normalised, true) == 0) return false;

    // The same by what the places are: another spelling, a share alias or a
    // link on the way reaches a protected place all the same. A target that
    // is there but cannot be identified is not deleted.
    if (os.GetFileAttributes(normalised) == win::INVALID_FILE_ATTRIBUTES_) return true;
    const std::vector<FileIdentity> target = IdentitiesUpward(os, normalised);
    if (target.empty() || IsAmong(target.front(), places.foldersAndAbove) ||
        IsAmong(target.front(), places.treesAndAbove)) {
        return false;
    }
    for (const FileIdentity& above : target) {
        if (IsAmong(above, places.treeRoots)) return false;
    }
    FileIdentity brandIdentity;
    return brand.empty() || !os.GetFileIdentity(brand, brandIdentity) ||
           brandIdentity != target.front();
}

bool IsDeletableKey(Os& os, const std::string& key) {
    return IsPrivateKey(os, key);
}

std::string RefusalMessage(const std::string& target) {
    return Format("%s\nは削除できない場所のため、ｱﾝｲﾝｽﾄｰﾙを中止しました。", target.c_str());
}

}  // namespace setup
