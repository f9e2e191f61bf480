#include "install/CopySourceTree.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "core/ScriptReader.h"
#include "core/Text.h"
#include "system/CopyPaths.h"
#include "system/FileUtil.h"
#include "system/PathCheck.h"

namespace setup {

namespace {

bool IsDots(const std::string& name) {
    return name == "." || name == "..";
}

// Files up to this size are copied without pumping the windows in between.
constexpr uint64_t kUnpumpedFileBytes = 1u << 20;

int CopyTree(SetupEnv& env, const std::string& base, const std::string& search,
             const std::string& relative, const std::string& destRoot, ProgressWindow& progress,
             CopyRun& run) {
    SetupContext& ctx = env.ctx;
    std::vector<FindData> matches;
    if (!env.os.FindFiles(search, matches)) {
        env.ui.AppMessageBox(
            Format("ｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n%s\nが見つかりませんでした。",
                   search.c_str()),
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
            const std::string subRelative = CopyRelativeFolder(match.fullPath, base);
            if (!CopyTree(env, base, subSearch, subRelative, destRoot, progress, run)) return 0;
            continue;
        }

        progress.StepIt();
        const std::string destFolder = CopyDestinationFolder(destRoot, relative, ctx.InstallPath);
        // Every file of a folder lands in the same destination folder: it is
        // made for the first and only looked up for the rest.
        const std::string destFile =
            CopyDestinationFile(destRoot, relative, match.name, ctx.InstallPath);
        // A folder this run made holds no link; in one found in place, the
        // exact path written is looked at before anything is written.
        if (run.made.count(destFolder) == 0 &&
            WritesThroughLink(env, destFile, run.checkedFolders)) {
            RefuseInstallPlace(env, destFile);
            return 0;
        }
        std::vector<std::string> created;
        if (!CreateDirectoryPath(env, destFolder, run.folders, &created)) {
            env.ui.AppMessageBox(Format("%sの作成に失敗しました。", destFolder.c_str()),
                                 mb::ICONEXCLAMATION);
            return 0;
        }
        for (const std::string& folder : created) {
            run.made.insert(folder);
            if (run.record) run.record->Folder(folder);
        }
        ctx.Trace("CREATE DIR %s\n", destFolder.c_str());

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
        // A file in a folder of its own run needs no line: the folder is the
        // product's with everything in it.
        if (run.record && run.made.count(destFolder) == 0) run.record->File(destFile);
        ClearCopiedReadOnly(env, destFile, match.attributes);
        ctx.Trace("COPY %s -> %s\n", match.fullPath.c_str(), destFile.c_str());
    }
    return 1;
}

}  // namespace

int CopySourceTree(SetupEnv& env, const std::string& base, const std::string& search,
                   const std::string& relative, const std::string& destRoot,
                   ProgressWindow& progress, CopyRun* run) {
    CopyRun own;
    return CopyTree(env, base, search, relative, destRoot, progress, run ? *run : own);
}

bool WritesThroughLink(SetupEnv& env, const std::string& path,
                       std::unordered_set<std::string>& checked) {
    const std::string folder = NormalisePath(env.ctx.InstallPath);
    const std::string target = NormalisePath(path);
    if (folder.empty() || !LiesBelow(target, folder)) return false;
    for (size_t at = folder.size() + (folder.back() == '\\' ? 0 : 1); at <= target.size();) {
        const size_t end = std::min(target.find('\\', at), target.size());
        const std::string place = target.substr(0, end);
        at = end + 1;
        if (checked.count(place) != 0) continue;
        const uint32_t attributes = env.os.GetFileAttributes(place);
        if (attributes == win::INVALID_FILE_ATTRIBUTES_) return false;  // nothing more in place
        if (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) return true;
        if (attributes & win::FILE_ATTRIBUTE_DIRECTORY_) checked.insert(place);
    }
    return false;
}

void RefuseInstallPlace(SetupEnv& env, const std::string& place) {
    env.ui.AppMessageBox(
        Format("%s\nはｲﾝｽﾄｰﾙできない場所のため、ｲﾝｽﾄｰﾙを中止しました。", place.c_str()),
        mb::ICONEXCLAMATION);
}

}  // namespace setup
