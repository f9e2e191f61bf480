#include "install/Installation.h"

#include <memory>

#include "core/OsOwners.h"
#include "core/Text.h"
#include "install/CopySourceTree.h"
#include "resource.h"
#include "system/FileUtil.h"
#include "system/ProgressPhase.h"
#include "system/PathCheck.h"
#include "system/Registry.h"
#include "system/ShellLink.h"

namespace setup {

namespace {

constexpr char kCaption[] = "ｲﾝｽﾄｰﾙ";

class InstallationRun {
public:
    InstallationRun(SetupEnv& env, const ScriptLists& lists)
        : env_(env), ctx_(env.ctx), lists_(lists) {}

    int Run() {
        if (!PassesGuards()) return 0;
        progress_ = env_.ui.NewProgressWindow(IDS_INSTALLING);
        progress_->Create();
        progress_->SetRange(0, 100);
        progress_->SetStep(1);
        progress_->SetPos(0);
        progress_->Show();

        if (!CopyFiles() || !WriteRegistry() || !MakeShortcuts()) {
            Close();
            return 0;
        }
        // The success box is shown while the progress window is still up.
        env_.ui.DesktopMessageBox("ｲﾝｽﾄｰﾙが正常に完了しました。", kCaption, mb::ICONINFORMATION);
        Close();
        return 1;
    }

private:
    template <typename Entry>
    bool TakesPart(const Entry& entry) const {
        const int32_t type = ctx_.SetupTypeIndex;
        return type >= kSetupMinimum && type < kSetupTypeCount && entry.TypeFlags[type] != 0;
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
        env_.ui.AppMessageBox(
            Format("%s\nはｲﾝｽﾄｰﾙできない場所のため、ｲﾝｽﾄｰﾙを中止しました。", place.c_str()),
            mb::ICONEXCLAMATION);
        return false;
    }

    // Every entry of the chosen type is checked before anything is made: a
    // script line reads only from the medium, copies only into the install
    // folder and makes its shortcut only in the Start-menu folder, whatever
    // "..", absolute path or device name it holds.
    bool PassesGuards() {
        const std::string base = BaseDirectory();
        const std::string menuFolder = MenuFolder();
        for (const FileEntry& entry : lists_.Files) {
            if (!TakesPart(entry)) continue;
            const std::string source = Format("%s\\%s", base.c_str(), entry.Source.c_str());
            if (!LiesWithin(source, base + "\\")) return Refuse(source);
            const std::string destination =
                ReplaceAll(entry.Target + (entry.Action == "COPY DIR" ? entry.Source : ""),
                           kInstallDirPlaceholder, ctx_.InstallPath);
            if (!LiesWithin(destination, ctx_.InstallPath)) return Refuse(destination);
            if (!entry.LinkName.empty() && !IsPlainFileName(entry.LinkName)) {
                return Refuse(Format("%s\\%s.lnk", menuFolder.c_str(), entry.LinkName.c_str()));
            }
        }
        return true;
    }

    void StartPhase(const char* status, int32_t upper) {
        StartProgressPhase(env_, *progress_, status, upper);
    }

    bool CopyFiles() {
        const int32_t type = ctx_.SetupTypeIndex;
        StartPhase("ﾌｧｲﾙのｺﾋﾟｰ中...",
                   type >= kSetupMinimum && type < kSetupTypeCount ? ctx_.FileCounts[type] : 0);
        const std::string base = BaseDirectory();

        for (const FileEntry& entry : lists_.Files) {
            if (!TakesPart(entry)) continue;
            const std::string source = Format("%s\\%s", base.c_str(), entry.Source.c_str());
            const std::string relative = entry.Action == "COPY DIR" ? entry.Source : std::string();
            if (!CopySourceTree(env_, base, source, relative, entry.Target, *progress_,
                                &madeFolders_)) {
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

    bool WriteRegistry() {
        StartPhase("ﾚｼﾞｽﾄﾘの設定中...", 1);
        const std::string root = ctx_.REG_ROOT_KEY_NAME;
        for (const RegistryEntry& entry : lists_.Registry) {
            if (!TakesPart(entry)) continue;
            // The product key is made again for every entry; it may exist.
            if (!CreateRegistryKey(env_, HKEY_CURRENT_USER_,
                                   Format("SOFTWARE\\%s", root.c_str()))) {
                return RegistryFailed("Failed to create registery value");
            }
            const std::string name =
                Format("SOFTWARE\\%s\\%s", root.c_str(), entry.KeyPath.c_str());
            if (entry.Action == "CREATE KEY") {
                if (!CreateRegistryKey(env_, HKEY_CURRENT_USER_, name)) {
                    return RegistryFailed("Failed to create registery value");
                }
            } else if (entry.Action == "CREATE REG") {
                int written = 0;
                if (!entry.Text.empty()) {
                    const std::string value =
                        ReplaceAll(ReplaceAll(entry.Text, kInstallDirPlaceholder, ctx_.InstallPath),
                                   kCurrentDirPlaceholder, ctx_.SourceDir);
                    written =
                        WriteRegistryString(env_, HKEY_CURRENT_USER_, name, value, value.size());
                } else {
                    written = WriteRegistryDword(env_, HKEY_CURRENT_USER_, name, entry.Number, 4);
                }
                if (!written) return RegistryFailed("Failed to set registery value");
            }
        }
        progress_->StepIt();
        env_.os.Sleep(300);
        return true;
    }

    bool MakeShortcuts() {
        StartPhase("ｼｮｰﾄｶｯﾄの作成中...", 2);
        const std::string menuFolder = MenuFolder();
        if (!CreateDirectoryPath(env_, menuFolder)) {
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
                           kInstallDirPlaceholder, ctx_.InstallPath);
            // COM is set up around each link; a link that fails is not fatal.
            const ComInitialization com(env_.os);
            if (com.Succeeded()) {
                CreateShellLink(env_, linkPath, target, nullptr, nullptr, nullptr, nullptr, 0,
                                win::SW_SHOWNORMAL_);
            }
            ctx_.Trace("CREATE ShortCut %s -> %s\n", target.c_str(), linkPath.c_str());
        }
        progress_->StepIt();
        env_.os.Sleep(500);
        return true;
    }

    void Close() {
        progress_->DestroyWindow();
        progress_.reset();
    }

    SetupEnv& env_;
    SetupContext& ctx_;
    const ScriptLists& lists_;
    std::unique_ptr<ProgressWindow> progress_;
    // Entries that copy into one folder make it once.
    FolderCache madeFolders_;
};

}  // namespace

int RunInstallation(SetupEnv& env, const ScriptLists& lists) {
    return InstallationRun(env, lists).Run();
}

}  // namespace setup
