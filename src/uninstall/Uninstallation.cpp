#include "uninstall/Uninstallation.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/ProgressPhase.h"
#include "core/ShownWindow.h"
#include "core/Text.h"
#include "resource.h"
#include "system/FileUtil.h"
#include "system/InstallRecord.h"
#include "system/MeasureTree.h"
#include "system/PathCheck.h"
#include "system/Registry.h"
#include "system/TreeWalk.h"
#include "uninstall/DeleteGuard.h"
#include "uninstall/Ownership.h"

namespace setup {

namespace {

constexpr char kCaption[] = "ｱﾝｲﾝｽﾄｰﾙ";

// Targets are used whole, never cut; the guards refuse what is too long.
std::string Expand(const std::string& text, const char* placeholder, const std::string& value) {
    std::string expanded = ReplaceAll(text, placeholder, value);
    return TrimTrailingBackslashes(expanded);
}
std::string InstallTargetOf(const SetupContext& ctx, const UninstallEntry& entry) {
    return Expand(entry.Target, kInstallDirPlaceholder, ctx.TargetDir);
}
std::string RegistryKeyOf(const SetupContext& ctx, const UninstallEntry& entry) {
    return Expand(Format("SOFTWARE\\%s", entry.Target.c_str()), kRegRootPlaceholder,
                  ctx.REG_ROOT_KEY_NAME);
}
std::string MenuFolderOf(const SetupContext& ctx) {
    return Format("%s\\%s", ctx.UserProgramFolderDir.c_str(), ctx.MENU_NAME.c_str());
}
std::string MenuTargetOf(const SetupContext& ctx, const UninstallEntry& entry) {
    return Expand(entry.Target, kMenuDirPlaceholder, MenuFolderOf(ctx));
}

// A junction or symbolic link goes as the link itself; what it points to is
// not ours. Its attributes are left alone: setting them could reach the target.
void RemoveLink(SetupEnv& env, const std::string& path, uint32_t attributes,
                ProgressWindow& progress) {
    if (attributes & win::FILE_ATTRIBUTE_DIRECTORY_) {
        env.os.RemoveDirectory(path);
        env.ctx.Trace("DELETE DIR %s\n", DisplayPath(path).c_str());
        return;
    }
    env.os.DeleteFile(path);
    env.ctx.Trace("DELETE FILE %s\n", DisplayPath(path).c_str());
    progress.StepIt();
}

// Removes a folder's entries depth-first: files and links as they are met,
// each folder once its entries are gone. A folder that cannot be listed is
// left, as a file that cannot be deleted is.
class Removal : public TreeVisitor {
public:
    Removal(SetupEnv& env, ProgressWindow& progress) : env_(env), progress_(progress) {}

    // Only the folder's own listing failing fails the removal; an inner one
    // is always met after its folder was entered.
    bool Missing(const std::string&) override { return entered_; }
    bool Link(const FindData& match) override {
        RemoveLink(env_, match.fullPath, match.attributes, progress_);
        return true;
    }
    bool Enter(const FindData& folder) override {
        entered_ = true;
        SetReadOnlyAttribute(env_.os, env_.trace(), folder.fullPath, false);
        return true;
    }
    bool Leave(const FindData& folder) override {
        RemoveFolder(folder.fullPath);
        return true;
    }
    bool File(const FindData& match) override {
        SetReadOnlyAttribute(env_.os, env_.trace(), match.fullPath, false);
        env_.os.DeleteFile(match.fullPath);
        env_.ctx.Trace("DELETE FILE %s\n", DisplayPath(match.fullPath).c_str());
        progress_.StepIt();
        return true;
    }
    void RemoveFolder(const std::string& folder) {
        SetReadOnlyAttribute(env_.os, env_.trace(), folder, false);
        env_.os.RemoveDirectory(folder);
        env_.ctx.Trace("DELETE DIR %s\n", DisplayPath(folder).c_str());
    }

private:
    SetupEnv& env_;
    ProgressWindow& progress_;
    bool entered_ = false;
};

class UninstallationRun {
public:
    UninstallationRun(SetupEnv& env, ScriptLists& lists)
        : env_(env), ctx_(env.ctx), lists_(lists) {}

    int Run() {
        lists_ = ScriptLists();
        if (!ReadSetupScript(env_, lists_, kSectionUninstall)) {
            env_.ui.AppMessageBox(
                "4) Failed to load and analyze Inf file (Files Section). Install aborted.", mb::OK);
            return 0;
        }
        if (ctx_.TargetDir.empty()) {
            env_.ui.DesktopMessageBox("ｲﾝｽﾄｰﾙされていないか、予期せぬｴﾗｰのためｱﾝｲﾝｽﾄｰﾙできません。",
                                      kCaption, mb::ICONEXCLAMATION);
            return 0;
        }
        // Every target is checked before the count: a refused one may be a
        // whole drive, which is not even to be walked.
        if (!PassesGuards()) return 0;
        ownership_ = std::make_unique<Ownership>(env_, ctx_.TargetDir, MenuFolder());
        if (!Count()) return 0;

        const int32_t files = ctx_.FileCounts[kUninstallFiles];
        progress_ = ShownWindow<ProgressWindow>(env_.ui.NewProgressWindow(IDS_UNINSTALLING));
        progress_->SetRange(0, files);
        progress_->SetStep(1);
        progress_->SetPos(0);
        progress_->Show();

        if (!DeleteFiles(files) || !DeleteRegistry()) return 0;
        DeleteMenus();
        // What the record described is gone now, and so are the record, the
        // entry in the list of installed programs and the uninstaller.
        if (ownership_->HasRecord()) {
            RemoveProgramsEntry(ownership_->EntryName(), ownership_->MadeKeys());
            RemoveInstallRecord(env_.os, ownership_->RecordPath());
            RemoveUninstaller(UninstallerFolder(ownership_->RecordPath()));
        }
        // Every way out shows its boxes while the progress window is up.
        env_.ui.DesktopMessageBox("ｱﾝｲﾝｽﾄｰﾙが正常に完了しました。", kCaption, mb::ICONINFORMATION);
        return 1;
    }

private:
    // Only the product's own entry, the one its installation names, directly
    // below the entries: a record naming another is not believed. The key of
    // the entries itself only when the installation made it and nothing else
    // is in it now.
    void RemoveProgramsEntry(const std::string& name, const std::vector<std::string>& madeKeys) {
        if (name != ProgramsEntryName(ctx_.REG_ROOT_KEY_NAME)) return;
        DeleteRegistryKey(env_.os, env_.trace(), HKEY_CURRENT_USER_,
                          Format("%s\\%s", kProgramsEntries, name.c_str()));
        const bool madeEntries =
            std::any_of(madeKeys.begin(), madeKeys.end(), [this](const std::string& made) {
                return env_.os.CompareStringOrdinal(made, kProgramsEntries, true) == 0;
            });
        if (madeEntries) DeleteEmptyRegistryKey(env_.os, HKEY_CURRENT_USER_, kProgramsEntries);
    }

    // A program cannot remove its own file while it runs: the uninstaller
    // started from that folder leaves the folder to a copy of itself in the
    // temporary folder, which waits for it to end and is deleted by the
    // system when it ends itself.
    void RemoveUninstaller(const std::string& folder) {
        Os& os = env_.os;
        std::string program, temp;
        FileIdentity running, kept;
        const bool fromThere =
            os.GetModuleFileName(program) &&
            os.GetFileIdentity(program.substr(0, program.find_last_of('\\')), running) &&
            os.GetFileIdentity(folder, kept) && running == kept;
        if (!fromThere) {
            RemoveUninstallerFolder(os, folder);
            return;
        }
        if (!os.GetEnvironmentVariable("TEMP", temp) || temp.empty()) return;
        // A name of its own: a file already there, whoever's, is neither
        // written over nor deleted with the copy.
        const std::string stem = WithoutTrailingBackslashes(temp) + "\\" +
                                 folder.substr(folder.find_last_of('\\') + 1) + "-cleanup";
        std::string copy;
        bool copied = false;
        for (int n = 0; n < 100 && !copied; ++n) {
            copy = n == 0 ? stem + ".exe" : Format("%s-%d.exe", stem.c_str(), n);
            copied = os.CopyFileWithProgress(program, copy, true, nullptr);
            if (!copied && os.GetLastError() != win::ERROR_FILE_EXISTS_ &&
                os.GetLastError() != win::ERROR_ALREADY_EXISTS_) {
                break;
            }
        }
        if (!copied || !os.StartDeletedOnExit(copy, "/CLEANUP=\"" + folder + "\"", temp)) {
            ctx_.Trace("**Failed to start the removal of %s\n", folder.c_str());
            return;
        }
        ctx_.Trace("CLEANUP %s\n", folder.c_str());
    }

    std::string InstallTarget(const UninstallEntry& entry) const {
        return InstallTargetOf(ctx_, entry);
    }
    std::string RegistryKey(const UninstallEntry& entry) const {
        return RegistryKeyOf(ctx_, entry);
    }
    std::string MenuFolder() const { return MenuFolderOf(ctx_); }
    std::string MenuTarget(const UninstallEntry& entry) const { return MenuTargetOf(ctx_, entry); }
    // A target written from a placeholder stays within the folder the
    // placeholder names: "<INSTALL DIR>\..\月の庭" or "<INSTALL DIR>2" would
    // reach another product.
    bool LeavesItsFolder(const UninstallEntry& entry, const char* placeholder,
                         const std::string& path, const std::string& folder) const {
        return entry.Target.rfind(placeholder, 0) == 0 && !LiesWithin(env_.os, path, folder);
    }
    // The maker's folder above the Start-menu folders; none without a brand.
    std::string BrandFolder() const {
        if (ctx_.BRAND_NAME.empty()) return std::string();
        std::string folder =
            Format("%s\\%s", ctx_.UserProgramFolderDir.c_str(), ctx_.BRAND_NAME.c_str());
        return TrimTrailingBackslashes(folder);
    }

    bool Refuse(const std::string& target) {
        env_.ui.AppMessageBox(RefusalMessage(target), mb::ICONEXCLAMATION);
        return false;
    }

    bool PassesGuards() {
        protected_ = ProtectedFolders(env_);
        const std::string brand = BrandFolder();
        for (const UninstallEntry& entry : lists_.Uninstall) {
            if (entry.Kind == EntryAction::kDeleteFile || entry.Kind == EntryAction::kDeleteDir) {
                const std::string path = InstallTarget(entry);
                if (!IsDeletableTarget(env_.os, path, protected_) ||
                    LeavesItsFolder(entry, kInstallDirPlaceholder, path, ctx_.TargetDir)) {
                    return Refuse(path);
                }
            } else if (entry.Kind == EntryAction::kDeleteMenu) {
                const std::string path = MenuTarget(entry);
                if (!IsDeletableTarget(env_.os, path, protected_, brand) ||
                    LeavesItsFolder(entry, kMenuDirPlaceholder, path, MenuFolder())) {
                    return Refuse(path);
                }
            } else if (entry.Kind == EntryAction::kDeleteReg) {
                const std::string key = RegistryKey(entry);
                if (!IsDeletableKey(env_.os, key)) return Refuse(key);
            }
        }
        return true;
    }

    bool Count() {
        ctx_.FileCounts[kUninstallFiles] = 0;
        ShownWindow<PreparingWindow> preparing(env_.ui.NewPreparingWindow());
        preparing->Show();
        env_.ui.PumpMessages();

        // A target missing now stops the run before anything is removed.
        for (const UninstallEntry& entry : lists_.Uninstall) {
            if (entry.Kind != EntryAction::kDeleteDir && entry.Kind != EntryAction::kDeleteFile)
                continue;
            TreeSize size;
            std::string missing;
            const int found = MeasureTree(env_.os, ctx_.TraceStream.get(), InstallTarget(entry),
                                          size, missing, [this] { env_.ui.PumpMessages(); });
            ctx_.FileCounts[kUninstallFiles] += size.files;
            if (!found) {
                env_.ui.AppMessageBox(NotFoundForSetupMessage(missing), mb::ICONEXCLAMATION);
                return false;
            }
        }
        preparing.Close();
        if (ctx_.FileCounts[kUninstallFiles] < 1) ctx_.FileCounts[kUninstallFiles] = 1;
        return true;
    }

    void StartPhase(const char* status, int32_t upper) {
        StartProgressPhase(env_, *progress_, status, upper);
    }

    // A folder that is gone because an earlier line of this run removed a
    // folder holding it is done, not a failure.
    bool RemovedEarlier(const std::string& path, uint32_t error) const {
        if (error != win::ERROR_FILE_NOT_FOUND_ && error != win::ERROR_PATH_NOT_FOUND_) {
            return false;
        }
        const std::string normalised = NormalisePath(path);
        for (const std::string& removed : removedFolders_) {
            if (LiesWithin(env_.os, normalised, removed)) return true;
        }
        return false;
    }

    // A folder the product owns goes whole; in any other, only what is
    // provably the product's goes, then the folders that leaves empty. The
    // rest stays, and the run goes on.
    bool DeleteFolder(const std::string& path) {
        if (ownership_->OwnsWhole(path)) return DeleteTree(env_, path, *progress_) != 0;
        const uint32_t attributes = env_.os.GetFileAttributes(path);
        if (attributes == win::INVALID_FILE_ATTRIBUTES_) return false;
        const std::vector<std::string> owned = ownership_->OwnedWithin(path);
        if (owned.empty()) ctx_.Trace("KEEP %s\n", path.c_str());
        for (const std::string& place : owned) {
            const uint32_t kind = env_.os.GetFileAttributes(place);
            if (kind != win::INVALID_FILE_ATTRIBUTES_ && (kind & win::FILE_ATTRIBUTE_DIRECTORY_)) {
                DeleteTree(env_, place, *progress_);  // a folder it owns whole
            } else {
                DeleteOneFile(place);
            }
            RemoveEmptiedFolders(place, path);
        }
        return true;
    }
    void DeleteOneFile(const std::string& path) {
        SetReadOnlyAttribute(env_.os, env_.trace(), path, false);
        env_.os.DeleteFile(path);
        ctx_.Trace("DELETE FILE %s\n", path.c_str());
        progress_->StepIt();
    }
    // The folders between a removed place and `top` (itself included) that
    // nothing is left in.
    void RemoveEmptiedFolders(std::string place, const std::string& top) {
        while (LiesBelow(env_.os, place, top)) {
            place.resize(place.find_last_of('\\'));
            if (IsLink(env_.os.GetFileAttributes(place)) || !env_.os.RemoveDirectory(place)) {
                return;
            }
            ctx_.Trace("DELETE DIR %s\n", place.c_str());
        }
    }

    bool DeleteFiles(int32_t files) {
        StartPhase("ﾌｧｲﾙの削除中...", files);
        for (const UninstallEntry& entry : lists_.Uninstall) {
            if (entry.Kind == EntryAction::kDeleteDir) {
                const std::string path = InstallTarget(entry);
                if (DeleteFolder(path)) {
                    removedFolders_.push_back(NormalisePath(path));
                } else if (!RemovedEarlier(path, env_.os.GetLastError())) {
                    return false;
                }
            } else if (entry.Kind == EntryAction::kDeleteFile) {
                const std::string path = InstallTarget(entry);
                if (ownership_->OwnsFile(path)) {
                    SetReadOnlyAttribute(env_.os, env_.trace(), path, false);
                    env_.os.DeleteFile(path);
                } else {
                    ctx_.Trace("KEEP %s\n", path.c_str());
                }
                progress_->StepIt();
            }
        }
        RemoveEmptyFoldersAbove();
        progress_->SetPos(files);
        env_.os.Sleep(300);
        return true;
    }

    // The folders the installation made above a removed one, up to Program
    // Files (the maker's folder), go when nothing else is left in them.
    void RemoveEmptyFoldersAbove() {
        for (const std::string& removed : removedFolders_) {
            std::string folder = removed;
            for (;;) {
                const size_t slash = folder.find_last_of('\\');
                if (slash == std::string::npos) break;
                folder.resize(slash);
                if (!ownership_->MadeFolder(folder) ||
                    !IsDeletableTarget(env_.os, folder, protected_) ||
                    !env_.os.RemoveDirectory(folder)) {
                    break;
                }
                ctx_.Trace("DELETE DIR %s\n", folder.c_str());
            }
        }
    }

    // A key the registry refuses (one with subkeys, on NT) fails the run.
    bool DeleteRegistry() {
        StartPhase("ﾚｼﾞｽﾄﾘの削除中...", 1);
        std::vector<std::string> deletedKeys;
        for (const UninstallEntry& entry : lists_.Uninstall) {
            if (entry.Kind != EntryAction::kDeleteReg) continue;
            const std::string key = RegistryKey(entry);
            // Another product's key of the same maker is not this one's; a
            // key the installation made above the product key (the maker's)
            // goes only when empty, on every platform.
            if (!ownership_->OwnsKey(key)) {
                if (!ownership_->MadeKey(key) ||
                    !DeleteEmptyRegistryKey(env_.os, HKEY_CURRENT_USER_, key)) {
                    ctx_.Trace("KEEP %s\n", key.c_str());
                }
                continue;
            }
            if (!DeleteRegistryKey(env_.os, env_.trace(), HKEY_CURRENT_USER_, key)) return false;
            deletedKeys.push_back(key);
        }
        for (const std::string& key : deletedKeys) RemoveEmptyKeysAbove(key);
        progress_->StepIt();
        env_.os.Sleep(300);
        return true;
    }

    // The keys above a deleted one (the maker's key) go when they hold
    // nothing else; never SOFTWARE itself or the system's shared keys.
    void RemoveEmptyKeysAbove(std::string key) {
        for (;;) {
            const size_t slash = key.find_last_of('\\');
            if (slash == std::string::npos) return;
            key.resize(slash);
            if (!ownership_->MadeKey(key) || !IsDeletableKey(env_.os, key) ||
                !DeleteEmptyRegistryKey(env_.os, HKEY_CURRENT_USER_, key)) {
                return;
            }
        }
    }

    // A missing menu folder is no failure. The brand folder goes only when
    // empty: it may hold the menus of the maker's other products.
    void DeleteMenus() {
        StartPhase("ｼｮｰﾄｶｯﾄの削除中...", 1);
        const std::string brand = BrandFolder();
        const bool brandRemovable = !brand.empty() &&
                                    IsDeletableTarget(env_.os, brand, protected_) &&
                                    ownership_->MadeFolder(brand);
        for (const UninstallEntry& entry : lists_.Uninstall) {
            if (entry.Kind != EntryAction::kDeleteMenu) continue;
            const std::string target = MenuTarget(entry);
            if (env_.os.GetFileAttributes(target) != win::INVALID_FILE_ATTRIBUTES_) {
                DeleteFolder(target);
            }
            if (!brandRemovable) continue;
            SetReadOnlyAttribute(env_.os, env_.trace(), brand, false);
            env_.os.RemoveDirectory(brand);
            ctx_.Trace("DELETE DIR %s\n", brand.c_str());
        }
        progress_->StepIt();
        progress_->SetPos(1);
        env_.os.Sleep(500);
    }

    SetupEnv& env_;
    SetupContext& ctx_;
    ScriptLists& lists_;
    ProtectedPlaces protected_;
    std::unique_ptr<Ownership> ownership_;
    std::vector<std::string> removedFolders_;
    ShownWindow<ProgressWindow> progress_;
};

}  // namespace

int RunUninstallation(SetupEnv& env, ScriptLists& lists) {
    return UninstallationRun(env, lists).Run();
}

int DeleteTree(SetupEnv& env, const std::string& folder, ProgressWindow& progress) {
    std::string path = folder;
    TrimTrailingBackslashes(path);
    const uint32_t attributes = env.os.GetFileAttributes(path);
    if (IsLink(attributes)) {
        RemoveLink(env, path, attributes, progress);
        return 1;
    }
    // Every entry is named exactly as listed, in the long form.
    const std::string longPath = LongPath(path);
    Removal removal(env, progress);
    if (!WalkTree(env.os, longPath + "\\*.*", removal)) return 0;
    removal.RemoveFolder(longPath);
    return 1;
}

std::string UninstallTarget(const SetupContext& ctx, const UninstallEntry& entry) {
    switch (entry.Kind) {
    case EntryAction::kDeleteFile:
    case EntryAction::kDeleteDir:
        return InstallTargetOf(ctx, entry);
    case EntryAction::kDeleteMenu:
        return MenuTargetOf(ctx, entry);
    case EntryAction::kDeleteReg:
        return RegistryKeyOf(ctx, entry);
    default:
        return std::string();
    }
}

}  // namespace setup
