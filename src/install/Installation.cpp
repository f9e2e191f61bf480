#include "install/Installation.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "core/OsOwners.h"
#include "core/ProgressPhase.h"
#include "core/ShownWindow.h"
#include "core/Text.h"
#include "install/CopySourceTree.h"
#include "install/ProgramsEntry.h"
#include "install/SetupNames.h"
#include "resource.h"
#include "system/CopyPaths.h"
#include "system/FileUtil.h"
#include "system/InstallRecord.h"
#include "system/PathCheck.h"
#include "system/Registry.h"
#include "system/ShellLink.h"

namespace setup {

namespace {

constexpr char kCaption[] = "ｲﾝｽﾄｰﾙ";
constexpr char kUninstallerName[] = "Setup.exe";

class InstallationRun {
public:
    InstallationRun(SetupEnv& env, const ScriptLists& lists, int32_t type)
        : env_(env), ctx_(env.ctx), lists_(lists), type_(type) {}

    // Installs into installPath; the wizard made madeFolders for it.
    int Run(const std::string& installPath, const std::vector<std::string>& madeFolders) {
        if (!PassesGuards()) return -1;
        StartRecord(installPath, madeFolders);
        progress_ = ShownWindow<ProgressWindow>(env_.ui.NewProgressWindow(IDS_INSTALLING));
        progress_->SetRange(0, 100);
        progress_->SetStep(1);
        progress_->SetPos(0);
        progress_->Show();

        // Every way out shows its boxes while the progress window is up.
        if (!CopyFiles(installPath) || !WriteRegistry(installPath) || !MakeShortcuts(installPath)) {
            return 0;
        }
        RegisterUninstaller(installPath);
        env_.ui.DesktopMessageBox("ｲﾝｽﾄｰﾙが正常に完了しました。", kCaption, mb::ICONINFORMATION);
        return 1;
    }

private:
    // A type no slot stands for installs nothing and measures nothing.
    bool KnownType() const { return type_ >= kSetupMinimum && type_ < kSetupTypeCount; }

    template <typename Entry>
    bool TakesPart(const Entry& entry) const {
        return KnownType() && entry.TypeFlags[type_] != 0;
    }

    std::string BaseDirectory() {
        std::string base;
        env_.os.GetCurrentDirectory(base);
        return TrimTrailingBackslashes(base);
    }
    std::string MenuFolder() const {
        std::string folder =
            Format("%s\\%s", ctx_.UserProgramFolderDir.c_str(), ctx_.MENU_NAME.c_str());
        return TrimTrailingBackslashes(folder);
    }

    bool Refuse(const std::string& place) {
        RefuseInstallPlace(env_, place);
        return false;
    }

    // Every entry of the chosen type is checked before anything is made: a
    // script line reads only from the medium and makes its shortcut only in
    // the Start-menu folder, whatever "..", absolute path or device name it
    // holds. Where the files go is the author's choice; the copy looks at
    // each place it writes when it writes it.
    bool PassesGuards() {
        if (!PassesSetupNameGuards(env_, lists_)) return false;
        const std::string base = BaseDirectory();
        const std::string menuFolder = MenuFolder();
        for (const FileEntry& entry : lists_.Files) {
            if (!TakesPart(entry)) continue;
            const std::string source = CopySource(base, entry.Source);
            if (!LiesWithin(env_.os, source, base + "\\")) return Refuse(source);
            if (!entry.LinkName.empty() && !IsPlainFileName(entry.LinkName)) {
                return Refuse(Format("%s\\%s.lnk", menuFolder.c_str(), entry.LinkName.c_str()));
            }
        }
        return true;
    }

    // The record of this run, kept with what earlier installations of the
    // product into the same folder recorded. The folders the wizard made
    // for it are the run's own.
    void StartRecord(const std::string& installPath, const std::vector<std::string>& madeFolders) {
        const std::string folder = WithoutTrailingBackslashes(installPath);
        const uint32_t attributes = env_.os.GetFileAttributes(folder);
        bool existed = attributes != win::INVALID_FILE_ATTRIBUTES_;
        for (const std::string& made : madeFolders) {
            if (env_.os.CompareStringOrdinal(WithoutTrailingBackslashes(made), folder, true) == 0)
                existed = false;
        }
        record_ = std::make_unique<InstallRecordWriter>(
            env_.os, Format("SOFTWARE\\%s", ctx_.REG_ROOT_KEY_NAME.c_str()), folder, existed);
        for (const std::string& made : madeFolders) {
            record_->Folder(made);
            copyRun_.made.insert(made);
        }
        copyRun_.record = record_.get();
    }

    void StartPhase(const char* status, int32_t upper) {
        StartProgressPhase(env_, *progress_, status, upper);
    }

    bool CopyFiles(const std::string& installPath) {
        StartPhase("ﾌｧｲﾙのｺﾋﾟｰ中...", KnownType() ? ctx_.FileCounts[type_] : 0);
        const std::string base = BaseDirectory();

        for (const FileEntry& entry : lists_.Files) {
            if (!TakesPart(entry)) continue;
            const std::string source = CopySource(base, entry.Source);
            const std::string relative =
                entry.Kind == EntryAction::kCopyDir ? entry.Source : std::string();
            if (!CopySourceTree(env_, installPath, base, source, relative, entry.Target, *progress_,
                                &copyRun_)) {
                env_.ui.DesktopMessageBox("ﾌｧｲﾙｺﾋﾟｰ時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。",
                                          kCaption, mb::ICONEXCLAMATION);
                return false;
            }
        }
        return true;
    }

    bool RegistryFailed(const char* detail) {
        env_.ui.DesktopMessageBox("ﾚｼﾞｽﾄﾘ作成時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。", kCaption,
                                  mb::ICONEXCLAMATION);
        ctx_.Trace("**%s\n", detail);
        env_.ui.AppMessageBox(detail, mb::OK);
        return false;
    }

    bool WriteRegistry(const std::string& installPath) {
        StartPhase("ﾚｼﾞｽﾄﾘの設定中...", 1);
        const std::string root = ctx_.REG_ROOT_KEY_NAME;
        for (const RegistryEntry& entry : lists_.Registry) {
            if (!TakesPart(entry)) continue;
            // The product key is made again for every entry; it may exist.
            if (!CreateKey(Format("SOFTWARE\\%s", root.c_str()))) {
                return RegistryFailed("Failed to create registery value");
            }
            const std::string name =
                Format("SOFTWARE\\%s\\%s", root.c_str(), entry.KeyPath.c_str());
            if (entry.Kind == EntryAction::kCreateKey) {
                if (!CreateKey(name)) return RegistryFailed("Failed to create registery value");
            } else if (entry.Kind == EntryAction::kCreateReg) {
                int written = 0;
                if (!entry.Text.empty()) {
                    const std::string value =
                        ReplaceAll(ReplaceAll(entry.Text, kInstallDirPlaceholder, installPath),
                                   kCurrentDirPlaceholder, ctx_.SourceDir);
                    written = WriteRegistryString(env_.os, env_.trace(), HKEY_CURRENT_USER_, name,
                                                  value, value.size());
                } else {
                    written = WriteRegistryDword(env_.os, env_.trace(), HKEY_CURRENT_USER_, name,
                                                 entry.Number, 4);
                }
                if (!written) return RegistryFailed("Failed to set registery value");
                record_->Value(name);
            }
        }
        progress_->StepIt();
        env_.os.Sleep(300);
        return true;
    }

    // CreateRegistryKey, recording each key of the path that did not exist.
    bool CreateKey(const std::string& key) {
        if (knownKeys_.count(key) != 0)
            return CreateRegistryKey(env_.os, env_.trace(), HKEY_CURRENT_USER_, key);
        std::vector<std::string> missing;
        for (size_t at = key.size(); at != std::string::npos && at > 0;
             at = key.find_last_of('\\', at - 1)) {
            const std::string part = key.substr(0, at);
            RegKey opened = 0;
            if (env_.os.RegOpenKeyEx(HKEY_CURRENT_USER_, part, win::KEY_QUERY_VALUE_, opened) ==
                0) {
                env_.os.RegCloseKey(opened);
                break;
            }
            missing.push_back(part);
        }
        if (!CreateRegistryKey(env_.os, env_.trace(), HKEY_CURRENT_USER_, key)) return false;
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) record_->Key(*it);
        knownKeys_.insert(key);
        return true;
    }

    bool MakeShortcuts(const std::string& installPath) {
        StartPhase("ｼｮｰﾄｶｯﾄの作成中...", 2);
        const std::string menuFolder = MenuFolder();
        std::vector<std::string> madeMenus;
        const bool menuMade = CreateDirectoryPath(env_.os, menuFolder, madeMenus);
        for (const std::string& folder : madeMenus) record_->Folder(folder);
        if (!menuMade) {
            env_.ui.AppMessageBox(Format("ｽﾀｰﾄﾒﾆｭｰ%sの作成に失敗しました。", menuFolder.c_str()),
                                  mb::ICONEXCLAMATION);
            env_.ui.DesktopMessageBox("ｼｮｰﾄｶｯﾄ作成時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。",
                                      kCaption, mb::ICONEXCLAMATION);
            return false;
        }
        ctx_.Trace("CREATE START MENU %s\n", menuFolder.c_str());
        progress_->StepIt();
        env_.os.Sleep(300);

        for (const FileEntry& entry : lists_.Files) {
            if (!TakesPart(entry) || entry.LinkName.empty()) continue;
            const std::string linkPath =
                Format("%s\\%s.lnk", menuFolder.c_str(), entry.LinkName.c_str());
            const std::string target =
                ReplaceAll(Format("%s\\%s", entry.Target.c_str(), entry.Source.c_str()),
                           kInstallDirPlaceholder, installPath);
            // COM is set up around each link; a link that fails is not fatal.
            const ComInitialization com(env_.os);
            if (com.Succeeded()) {
                ShellLinkData link;
                link.target = target;
                CreateShellLink(env_.os, linkPath, link);
                // A link in a menu folder of this run needs no line of its own.
                if (madeMenus.empty()) record_->File(linkPath);
            }
            ctx_.Trace("CREATE ShortCut %s -> %s\n", target.c_str(), linkPath.c_str());
        }
        progress_->StepIt();
        env_.os.Sleep(500);
        return true;
    }

    // A copy in the uninstaller's folder: what has the name now (an earlier
    // copy, or a link or a hard link to another's file) goes as the name only.
    bool CopyAnew(const std::string& from, const std::string& to) {
        const uint32_t attributes = env_.os.GetFileAttributes(to);
        if (attributes != win::INVALID_FILE_ATTRIBUTES_) {
            if (!IsLink(attributes) && (attributes & win::FILE_ATTRIBUTE_READONLY_)) {
                env_.os.SetFileAttributes(to, attributes & ~win::FILE_ATTRIBUTE_READONLY_);
            }
            if (!env_.os.DeleteFile(to)) return false;
        }
        return env_.os.CopyFileWithProgress(from, to, true, nullptr);
    }

    // A copy of this program and of the script beside the record, and the
    // product's entry in the list of installed programs that starts it: the
    // product can then be removed without the medium. Neither is needed for
    // the product to run, so a failure is traced and the installation stands.
    void RegisterUninstaller(const std::string& installPath) {
        const std::string folder = UninstallerFolder(record_->Path());
        const std::string base = BaseDirectory();
        std::string program;
        std::vector<std::string> names = {"Setup.inf"};
        // The title bitmap, for a launcher started there; only one named
        // plainly in the medium's own folder.
        if (IsPlainFileName(ctx_.TITLE_BMP)) names.push_back(ctx_.TITLE_BMP);
        // The folder is a real one (a link made of it leads elsewhere), and
        // each file is made anew, never written through what is there.
        bool copied = !folder.empty() && env_.os.GetModuleFileName(program) &&
                      CreateDirectoryPath(env_.os, folder) &&
                      !IsLink(env_.os.GetFileAttributes(folder)) &&
                      CopyAnew(program, folder + "\\" + kUninstallerName);
        for (const std::string& name : names) {
            copied = copied && CopyAnew(base + "\\" + name, folder + "\\" + name);
        }
        if (!copied) {
            ctx_.Trace("**Failed to keep the uninstaller in %s\n", folder.c_str());
            return;
        }
        const std::string name = ProgramsEntryName(ctx_.REG_ROOT_KEY_NAME);
        const std::string key = Format("%s\\%s", kProgramsEntries, name.c_str());
        const ProgramsEntry entry =
            DescribeProgramsEntry(ctx_, installPath, KnownType() ? ctx_.RequiredBytes[type_] : 0,
                                  folder + "\\" + kUninstallerName);
        record_->ProgramsEntry(name);
        Os& os = env_.os;
        TextSink* trace = env_.trace();
        const auto text = [&](const char* value, const std::string& data) {
            const std::string path = key + "\\" + value;
            return WriteRegistryString(os, trace, HKEY_CURRENT_USER_, path, data, data.size() + 1);
        };
        const auto number = [&](const char* value, uint32_t data) {
            return WriteRegistryDword(os, trace, HKEY_CURRENT_USER_, key + "\\" + value,
                                      static_cast<int32_t>(data));
        };
        // The keys it makes are recorded: an Uninstall key made here goes too.
        const bool written = CreateKey(key) && text("DisplayName", entry.displayName) &&
                             text("Publisher", entry.publisher) &&
                             text("DisplayIcon", entry.displayIcon) &&
                             text("InstallLocation", entry.installLocation) &&
                             text("UninstallString", entry.uninstallString) &&
                             text("QuietUninstallString", entry.quietUninstallString) &&
                             number("EstimatedSize", entry.estimatedSizeKiB) &&
                             number("NoModify", 1) && number("NoRepair", 1);
        if (!written) ctx_.Trace("**Failed to write the entry %s\n", key.c_str());
    }

    SetupEnv& env_;
    SetupContext& ctx_;
    const ScriptLists& lists_;
    const int32_t type_;  // a SetupType
    ShownWindow<ProgressWindow> progress_;
    std::unique_ptr<InstallRecordWriter> record_;
    // Entries that copy into one folder make it once.
    CopyRun copyRun_;
    std::unordered_set<std::string> knownKeys_;
};

}  // namespace

bool PassesSetupNameGuards(SetupEnv& env, const ScriptLists& lists) {
    const SetupContext& ctx = env.ctx;
    // The [Setup] names are names below the folders they go in: one with
    // "..", a drive or a leading backslash would put the product elsewhere.
    if (!IsPlainRelativeName(ctx.INSTALL_DIR)) {
        RefuseInstallPlace(env, Format("%s\\%s", ctx.ProgramDir.c_str(), ctx.INSTALL_DIR.c_str()));
        return false;
    }
    if (!IsPlainRelativeName(ctx.MENU_NAME)) {
        RefuseInstallPlace(
            env, Format("%s\\%s", ctx.UserProgramFolderDir.c_str(), ctx.MENU_NAME.c_str()));
        return false;
    }
    // The product key must be a key of its own, when anything is written.
    const std::string key = Format("SOFTWARE\\%s", ctx.REG_ROOT_KEY_NAME.c_str());
    for (const RegistryEntry& entry : lists.Registry) {
        const bool used = entry.TypeFlags[0] || entry.TypeFlags[1] || entry.TypeFlags[2];
        if (used && !IsPrivateKey(env.os, key)) {
            RefuseInstallPlace(env, key);
            return false;
        }
    }
    return true;
}

int RunInstallation(SetupEnv& env, const ScriptLists& lists, const WizardChoice& choice,
                    const std::vector<std::string>& madeFolders) {
    InstallationRun run(env, lists, choice.setupType);
    return run.Run(choice.installPath, madeFolders);
}

}  // namespace setup
