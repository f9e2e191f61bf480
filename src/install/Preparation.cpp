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

int PrepareInstallation(SetupEnv& env, ScriptLists& lists) {
    SetupContext& ctx = env.ctx;
    lists = ScriptLists();
    if (!ReadSetupScript(env, lists, kSectionFiles)) {
        env.ui.AppMessageBox(
            "2) Failed to load and analyze Inf file (Files Section). Install aborted.", mb::OK);
        return 0;
    }
    if (!ReadSetupScript(env, lists, kSectionRegistory)) {
        env.ui.AppMessageBox(
            "3) Failed to load and analyze Inf file (Regist Section). Install aborted.", mb::OK);
        return 0;
    }

    // A [Setup] name that leads elsewhere is refused before anything is
    // measured or made.
    if (!PassesSetupNameGuards(env, lists)) return 1;

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
        if (ctx.RequiredBytes[type] < 0) return 0;
        env.ui.PumpMessages();
    }

    // The wizard's first guess is below ProgramDir, so that drive is asked;
    // a failed query leaves 0.
    int64_t freeBytes = 0;
    GetDiskFreeBytes(env.os, GetPathDrive(ctx.ProgramDir), freeBytes);
    ctx.FreeBytes = freeBytes;
    ctx.Trace("HDD %" PRId64 " Bytes\n", ctx.FreeBytes);
    env.ui.PumpMessages();
    preparing.Close();

    WizardFolders folders(env.os);
    WizardChoice choice;
    if (env.ui.RunInstallWizard(ctx, folders, choice) != mb::kWizardFinish) return 1;
    // The record keeps what was chosen; the run takes it as it stands.
    ctx.SetupTypeIndex = choice.setupType;
    ctx.InstallPath = choice.installPath;
    ctx.FreeBytes = choice.freeBytes;
    RunInstallation(env, lists, choice, folders.Made());
    return 1;
}

}  // namespace setup
