#include "install/Preparation.h"

#include <cinttypes>
#include <memory>

#include "core/ShownWindow.h"
#include "core/Text.h"
#include "install/Installation.h"
#include "install/SetupNames.h"
#include "system/CopyPaths.h"
#include "system/FileUtil.h"
#include "system/MeasureTree.h"

namespace setup {

bool WizardFolders::IsFolder(const std::string& path) {
    const uint32_t attributes = os_.GetFileAttributes(path);
    return attributes != win::INVALID_FILE_ATTRIBUTES_ &&
           (attributes & win::FILE_ATTRIBUTE_DIRECTORY_) != 0;
}

int WizardFolders::MakeFolder(const std::string& path) {
    return CreateDirectoryPath(os_, path, made_);
}

int64_t WizardFolders::FreeBytes(const std::string& path) {
    int64_t bytes = 0;
    GetDiskFreeBytes(os_, path, bytes);
    return bytes;
}

int64_t MeasureSetupType(SetupEnv& env, const ScriptLists& lists, int32_t type) {
    std::string base;
    env.os.GetCurrentDirectory(base);
    TrimTrailingBackslashes(base);

    int64_t total = 0;
    for (const FileEntry& entry : lists.Files) {
        if (entry.TypeFlags[type] == 0) continue;
        TreeSize size;
        std::string missing;
        // A medium of many folders keeps the preparing window painted.
        const int found =
            MeasureTree(env.os, env.ctx.TraceStream.get(), CopySource(base, entry.Source), size,
                        missing, [&env] { env.ui.PumpMessages(); });
        env.ctx.FileCounts[type] += size.files;
        if (!found) {
            env.ui.AppMessageBox(NotFoundForSetupMessage(missing), mb::ICONEXCLAMATION);
            return -1;
        }
        total += size.bytes;
    }
    return total;
}

namespace {

// The script's [Files] and [Registory] sections read afresh, the [Setup]
// names checked and every type measured under the preparing window, then
// the free space of the Program Files drive. kActionDone when the wizard or
// the command may go on; otherwise its message has been shown.
ActionOutcome ReadAndMeasure(SetupEnv& env, ScriptLists& lists) {
    SetupContext& ctx = env.ctx;
    lists = ScriptLists();
    if (!ReadSetupScript(env, lists, kSectionFiles)) {
        env.ui.AppMessageBox(
            "2) Failed to load and analyze Inf file (Files Section). Install aborted.", mb::OK);
        return kActionFailed;
    }
    if (!ReadSetupScript(env, lists, kSectionRegistory)) {
        env.ui.AppMessageBox(
            "3) Failed to load and analyze Inf file (Regist Section). Install aborted.", mb::OK);
        return kActionFailed;
    }

    // A [Setup] name that leads elsewhere is refused before anything is
    // measured or made.
    if (!PassesSetupNameGuards(env, lists)) return kActionRefused;

    ShownWindow<PreparingWindow> preparing(env.ui.NewPreparingWindow());
    preparing->Show();
    env.ui.PumpMessages();

    // Every type is measured before the wizard opens: a missing source stops
    // the install whichever type the user would have chosen.
    for (int32_t type = kSetupMinimum; type < kSetupTypeCount; ++type) {
        ctx.FileCounts[type] = 0;
        ctx.RequiredBytes[type] = MeasureSetupType(env, lists, type);
        ctx.Trace("%d %" PRId64 " bytes\n", type, ctx.RequiredBytes[type]);
        ctx.Trace("%d %d \n", type, ctx.FileCounts[type]);
        if (ctx.RequiredBytes[type] < 0) return kActionFailed;
        env.ui.PumpMessages();
    }

    // The wizard's first guess is below ProgramDir, so that drive is asked;
    // a failed query leaves 0.
    int64_t freeBytes = 0;
    GetDiskFreeBytes(env.os, GetPathDrive(ctx.ProgramDir), freeBytes);
    ctx.FreeBytes = freeBytes;
    ctx.Trace("HDD %" PRId64 " Bytes\n", ctx.FreeBytes);
    env.ui.PumpMessages();
    return kActionDone;
}

ActionOutcome Install(SetupEnv& env, const ScriptLists& lists, const WizardChoice& choice,
                      const WizardFolders& folders) {
    // The record keeps what was chosen; the run takes it as it stands.
    env.ctx.SetupTypeIndex = choice.setupType;
    env.ctx.InstallPath = choice.installPath;
    env.ctx.FreeBytes = choice.freeBytes;
    const int installed = RunInstallation(env, lists, choice, folders.Made());
    return installed > 0 ? kActionDone : installed < 0 ? kActionRefused : kActionFailed;
}

}  // namespace

int PrepareInstallation(SetupEnv& env, ScriptLists& lists) {
    const ActionOutcome ready = ReadAndMeasure(env, lists);
    if (ready != kActionDone) return ready == kActionRefused ? 1 : 0;
    WizardFolders folders(env.os);
    WizardChoice choice;
    if (env.ui.RunInstallWizard(env.ctx, folders, choice) != mb::kWizardFinish) return 1;
    Install(env, lists, choice, folders);
    return 1;
}

ActionOutcome InstallWithoutWizard(SetupEnv& env, ScriptLists& lists, int32_t type,
                                   const std::string& folder) {
    const ActionOutcome ready = ReadAndMeasure(env, lists);
    if (ready != kActionDone) return ready;
    const SetupContext& ctx = env.ctx;
    WizardChoice choice;
    choice.setupType = type >= 0 ? type : kSetupStandard;
    choice.installPath = !folder.empty()
                             ? folder
                             : Format("%s\\%s", ctx.ProgramDir.c_str(), ctx.INSTALL_DIR.c_str());
    // The wizard's own rule: the free space must exceed what the type needs.
    WizardFolders folders(env.os);
    choice.freeBytes = folders.FreeBytes(choice.installPath);
    if (choice.freeBytes == 0)
        choice.freeBytes = folders.FreeBytes(GetPathDrive(choice.installPath));
    const int64_t required = ctx.RequiredBytes[choice.setupType];
    if (choice.freeBytes <= required) {
        env.ui.AppMessageBox(Format("約 %s がｲﾝｽﾄｰﾙにはたりません。",
                                    FormatSizeText(required - choice.freeBytes).c_str()),
                             mb::ICONEXCLAMATION);
        return kActionFailed;
    }
    if (!folders.IsFolder(choice.installPath) && !folders.MakeFolder(choice.installPath)) {
        env.ui.AppMessageBox("ﾌｫﾙﾀﾞの作成に失敗しました。", mb::ICONEXCLAMATION);
        return kActionFailed;
    }
    return Install(env, lists, choice, folders);
}

}  // namespace setup
