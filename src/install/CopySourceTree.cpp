#include "install/CopySourceTree.h"

#include <functional>
#include <vector>

#include "core/ScriptReader.h"
#include "core/Text.h"
#include "system/FileUtil.h"

namespace setup {

namespace {

bool IsDots(const std::string& name) { return name == "." || name == ".."; }

// Files up to this size are copied without pumping the windows in between.
constexpr uint64_t kUnpumpedFileBytes = 1u << 20;

int CopyTree(SetupEnv& env, const std::string& base, const std::string& search,
             const std::string& relative, const std::string& destRoot, ProgressWindow& progress,
             FolderCache& made) {
    SetupContext& ctx = env.ctx;
    std::vector<FindData> matches;
    if (!env.os.FindFiles(search, matches)) {
        env.ui.AppMessageBox(
            Format("ｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n%s\nが見つかりませんでした。", search.c_str()),
            mb::ICONEXCLAMATION);
        return 0;
    }

    for (const FindData& match : matches) {
        if (IsDots(match.name)) continue;

        if (match.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) {
            // As measuring does, a junction or folder link is not walked: it
            // may point back up and never end.
            if (match.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) continue;
            std::string folder = match.fullPath;
            const std::string subSearch = TrimTrailingBackslashes(folder) + "\\*.*";
            const std::string subRelative = ReplaceAll(match.fullPath, base, "");
            if (!CopyTree(env, base, subSearch, subRelative, destRoot, progress, made)) return 0;
            continue;
        }

        progress.StepIt();
        const std::string destFolder =
            ReplaceAll(destRoot + relative, kInstallDirPlaceholder, ctx.InstallPath);
        // Every file of a folder lands in the same destination folder: it is
        // made for the first and only looked up for the rest.
        if (!CreateDirectoryPath(env, destFolder, made)) {
            env.ui.AppMessageBox(Format("%sの作成に失敗しました。", destFolder.c_str()),
                                 mb::ICONEXCLAMATION);
            return 0;
        }
        ctx.Trace("CREATE DIR %s\n", destFolder.c_str());

        const std::string destFile = ReplaceAll(destRoot + relative + "\\" + match.name,
                                                kInstallDirPlaceholder, ctx.InstallPath);
        // A large file keeps the windows painted while it is copied. A small
        // one is copied in one piece, and the step before it has just pumped:
        // one more pump would only cost another trip to the window system.
        std::function<void()> pump;
        if (match.size > kUnpumpedFileBytes) pump = [&env] { env.ui.PumpMessages(); };
        if (!env.os.CopyFileWithProgress(match.fullPath, destFile, false, pump)) {
            env.ui.AppMessageBox(Format("%sのコピーに失敗しました。", match.name.c_str()),
                                 mb::ICONEXCLAMATION);
            return 0;
        }
        ClearCopiedReadOnly(env, destFile, match.attributes);
        ctx.Trace("COPY %s -> %s\n", match.fullPath.c_str(), destFile.c_str());
    }
    return 1;
}

}  // namespace

int CopySourceTree(SetupEnv& env, const std::string& base, const std::string& search,
                   const std::string& relative, const std::string& destRoot,
                   ProgressWindow& progress, FolderCache* made) {
    FolderCache own;
    return CopyTree(env, base, search, relative, destRoot, progress, made ? *made : own);
}

}  // namespace setup
