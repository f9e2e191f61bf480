#include "uninstall/Ownership.h"

#include <memory>
#include <unordered_map>
#include <utility>

#include "core/Text.h"
#include "system/CopyPaths.h"
#include "system/FileUtil.h"
#include "system/PathCheck.h"
#include "system/PlaceIdentity.h"
#include "system/Registry.h"
#include "system/TreeWalk.h"

namespace setup {

namespace {

std::string Trimmed(std::string text) {
    return WithoutTrailingBackslashes(std::move(text));
}

}  // namespace

Ownership::Ownership(SetupEnv& env, const std::string& installFolder, const std::string& menuFolder)
    : env_(env), productKey_(Format("SOFTWARE\\%s", env.ctx.REG_ROOT_KEY_NAME.c_str())) {
    Os& os = env_.os;
    InstallRecord record;
    // The record vouches only for the folder it was written for: an INSTALL
    // value changed since names a place the record knows nothing of.
    hasRecord_ = FindInstallRecord(os, productKey_, Trimmed(installFolder), record, recordPath_);
    if (!hasRecord_) {
        RecogniseByMedium(installFolder, menuFolder);
        return;
    }
    record_ = std::move(record);
    std::string installFinal, menuFinal;
    Final(Trimmed(installFolder), installFinal);
    Final(Trimmed(menuFolder), menuFinal);
    for (const InstallRecord::Place& place : record_.folders) {
        Known known;
        if (!StillThere(place, known)) continue;
        madeFolders_.push_back(known);
        if (!IsMakersFolder(known, installFinal, menuFinal)) wholeFolders_.push_back(known);
    }
    for (const InstallRecord::Place& place : record_.files) {
        Known known;
        if (StillThere(place, known)) files_.push_back(known);
    }
}

// A place counts only while it is the one that was made: a folder replaced
// since (by a link, say) has another identity.
bool Ownership::StillThere(const InstallRecord::Place& place, Known& known) {
    known.path = place.path;
    return place.identified && env_.os.GetFileIdentity(place.path, known.identity) &&
           known.identity == place.identity && Final(place.path, known.finalPath);
}

// The folders above the install and menu folders, and the maker's Start-menu
// folder itself, hold other products of the maker: made by an installation,
// they still go only when empty. Judged by where they lead and as spelt, so
// that a menu folder gone or renamed since changes nothing.
bool Ownership::IsMakersFolder(const Known& known, const std::string& installFinal,
                               const std::string& menuFinal) {
    const SetupContext& ctx = env_.ctx;
    for (const std::string& final : {installFinal, menuFinal}) {
        if (!final.empty() && SameOrBelow(env_.os, final, known.finalPath) &&
            !SameOrBelow(env_.os, known.finalPath, final)) {
            return true;
        }
    }
    const std::string programs = Trimmed(ctx.UserProgramFolderDir);
    const std::string menu = Format("%s\\%s", programs.c_str(), ctx.MENU_NAME.c_str());
    const std::string brand = ctx.BRAND_NAME.empty()
                                  ? std::string()
                                  : Format("%s\\%s", programs.c_str(), ctx.BRAND_NAME.c_str());
    return LiesBelow(env_.os, menu, known.path) || LiesWithin(env_.os, programs, known.path) ||
           (!brand.empty() && LiesWithin(env_.os, brand, known.path));
}

bool Ownership::Final(const std::string& path, std::string& finalPath) {
    return env_.os.GetFinalPathName(path, finalPath);
}

bool Ownership::OwnsWhole(const std::string& path) {
    // A link is the product's as itself when the folder holding it is.
    std::string place = Trimmed(path);
    if (IsLink(env_.os.GetFileAttributes(place))) {
        const size_t slash = place.find_last_of('\\');
        if (slash == std::string::npos) return false;
        place.resize(slash);
    }
    // Each folder the place really lies in, by identity: another spelling,
    // a share alias or a link on the way leads to the same answer.
    for (const FileIdentity& identity : IdentitiesUpward(env_.os, place)) {
        for (const Known& known : wholeFolders_) {
            if (known.identity == identity) return true;
        }
    }
    return false;
}

std::vector<std::string> Ownership::OwnedWithin(const std::string& path) {
    std::vector<std::string> owned;
    std::string final;
    if (!Final(Trimmed(path), final)) return owned;
    for (const std::vector<Known>* group : {&wholeFolders_, &files_}) {
        for (const Known& known : *group) {
            if (SameOrBelow(env_.os, known.finalPath, final)) owned.push_back(known.path);
        }
    }
    return owned;
}

bool Ownership::OwnsFile(const std::string& path) {
    const std::string place = Trimmed(path);
    const uint32_t attributes = env_.os.GetFileAttributes(place);
    if (attributes == win::INVALID_FILE_ATTRIBUTES_ ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY_)) {
        return false;
    }
    if (OwnsWhole(place)) return true;
    // A recorded file is the one at the recorded place, not a link or a
    // second name leading to it.
    FileIdentity identity;
    std::string final;
    if (IsLink(attributes) || !env_.os.GetFileIdentity(place, identity) || !Final(place, final)) {
        return false;
    }
    for (const Known& known : files_) {
        if (known.identity == identity &&
            env_.os.CompareStringOrdinal(known.finalPath, final, true) == 0) {
            return true;
        }
    }
    return false;
}

bool Ownership::MadeFolder(const std::string& folder) {
    const std::string place = Trimmed(folder);
    FileIdentity identity;
    if (IsLink(env_.os.GetFileAttributes(place)) || !env_.os.GetFileIdentity(place, identity)) {
        return false;
    }
    for (const Known& known : madeFolders_) {
        if (known.identity == identity) return true;
    }
    return false;
}

bool Ownership::MadeKey(const std::string& key) const {
    for (const std::string& made : record_.keys) {
        if (env_.os.CompareStringOrdinal(made, key, true) == 0) return true;
    }
    return false;
}

bool Ownership::OwnsKey(const std::string& key) const {
    // A product key with an empty part (an empty REG_ROOT_KEY_NAME below a
    // brand) would be the maker's: then no key is the product's by place.
    return IsPrivateKey(env_.os, productKey_) && SameOrBelow(env_.os, key, productKey_);
}

// Without a record, the product is what the medium would install: the
// install folder is its own when it holds every file one setup type puts
// there, with the medium's names, places and sizes; otherwise only the files
// that match go. The menu's own are the shortcuts the script names.
void Ownership::RecogniseByMedium(const std::string& installFolder, const std::string& menuFolder) {
    Os& os = env_.os;
    ScriptLists lists;
    {
        std::unique_ptr<TextSink> silent = std::move(env_.ctx.TraceStream);
        ReadSetupScript(env_, lists, kSectionFiles);
        env_.ctx.TraceStream = std::move(silent);
    }
    std::string base;
    os.GetCurrentDirectory(base);
    TrimTrailingBackslashes(base);
    std::string installFinal;
    const bool folderThere = Final(Trimmed(installFolder), installFinal);

    struct Planned {
        std::string path;
        uint64_t size;
    };
    bool recognised = false;
    std::vector<Planned> all;
    // Each place is looked at once, whichever types put a file there: its
    // final path when the medium's file is there, else empty.
    std::unordered_map<std::string, std::string> seen;
    for (int32_t type = kSetupMinimum; type < kSetupTypeCount; ++type) {
        std::vector<Planned> planned;
        for (const FileEntry& entry : lists.Files) {
            if (entry.TypeFlags[type] == 0) continue;
            PlanCopy(os, base, entry, installFolder,
                     [&planned](const std::string& path, const FindData& match) {
                         planned.push_back(Planned{path, match.size});
                     });
        }
        bool complete = folderThere;
        int inside = 0;
        for (const Planned& file : planned) {
            auto [at, first] = seen.emplace(file.path, std::string());
            if (first) {
                std::vector<FindData> found;
                const bool same = os.FindFiles(file.path, found) && found.size() == 1 &&
                                  found[0].size == file.size &&
                                  !(found[0].attributes & win::FILE_ATTRIBUTE_DIRECTORY_);
                if (same && Final(file.path, at->second)) all.push_back(file);
            }
            const std::string& final = at->second;
            if (!final.empty()) {
                if (folderThere && SameOrBelow(env_.os, final, installFinal)) ++inside;
            } else if (folderThere && LiesWithin(env_.os, file.path, installFolder)) {
                complete = false;
            }
        }
        recognised = recognised || (complete && inside > 0);
    }
    if (recognised) {
        Known folder{Trimmed(installFolder), installFinal, FileIdentity()};
        if (os.GetFileIdentity(folder.path, folder.identity)) wholeFolders_.push_back(folder);
        return;
    }
    for (const Planned& file : all) {
        Known known{file.path, std::string(), FileIdentity()};
        if (os.GetFileIdentity(file.path, known.identity) && Final(file.path, known.finalPath)) {
            files_.push_back(known);
        }
    }
    for (const FileEntry& entry : lists.Files) {
        if (entry.LinkName.empty() || !IsPlainFileName(entry.LinkName)) continue;
        Known link{Format("%s\\%s.lnk", Trimmed(menuFolder).c_str(), entry.LinkName.c_str()),
                   std::string(), FileIdentity()};
        if (os.GetFileIdentity(link.path, link.identity) && Final(link.path, link.finalPath)) {
            files_.push_back(link);
        }
    }
}

}  // namespace setup
