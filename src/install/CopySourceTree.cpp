#include "install/CopySourceTree.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "core/ScriptReader.h"
#include "core/Text.h"
#include "system/CopyPaths.h"
#include "system/FileUtil.h"
#include "system/PathCheck.h"
#include "system/TreeWalk.h"

namespace setup {

namespace {

// Files up to this size are copied without pumping the windows in between.
constexpr uint64_t kUnpumpedFileBytes = 1u << 20;

class Copy : public CopyWalk {
public:
    Copy(SetupEnv& env, const std::string& installPath, const std::string& base,
         const std::string& relative, const std::string& destRoot, ProgressWindow& progress,
         CopyRun& run)
        : CopyWalk(base, relative, destRoot),
          env_(env),
          ctx_(env.ctx),
          installPath_(installPath),
          progress_(progress),
          run_(run) {}

    bool Missing(const std::string& search) override {
        env_.ui.AppMessageBox(
            Format("ｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n%s\nが見つかりませんでした。",
                   DisplayPath(search).c_str()),
            mb::ICONEXCLAMATION);
        return false;
    }

    bool File(const FindData& match) override {
        progress_.StepIt();
        const std::string destFolder = DestinationFolder(installPath_);
        const std::string destFile = DestinationFile(match.name, installPath_);
        // A folder this run made holds no link; in one found in place, the
        // exact path written is looked at before anything is written.
        if (run_.made.count(destFolder) == 0 &&
            WritesThroughLink(env_.os, installPath_, destFile, run_.checkedFolders)) {
            RefuseInstallPlace(env_, destFile);
            return false;
        }
        // Every file of a folder lands in the same destination folder: it is
        // made for the first and only looked up for the rest.
        std::vector<std::string> created;
        if (!CreateDirectoryPath(env_.os, destFolder, run_.folders, &created)) {
            env_.ui.AppMessageBox(Format("%sの作成に失敗しました。", destFolder.c_str()),
                                  mb::ICONEXCLAMATION);
            return false;
        }
        for (const std::string& folder : created) {
            run_.made.insert(folder);
            if (run_.record) run_.record->Folder(folder);
        }
        ctx_.Trace("CREATE DIR %s\n", destFolder.c_str());

        // A large file keeps the windows painted while it is copied. A small
        // one is copied in one piece, and the step before it has just pumped:
        // one more pump would only cost another trip to the window system.
        std::function<void()> pump;
        if (match.size > kUnpumpedFileBytes) pump = [this] { env_.ui.PumpMessages(); };
        if (!env_.os.CopyFileWithProgress(match.fullPath, destFile, false, pump)) {
            env_.ui.AppMessageBox(Format("%sのコピーに失敗しました。", match.name.c_str()),
                                  mb::ICONEXCLAMATION);
            return false;
        }
        // A file in a folder of its own run needs no line: the folder is the
        // product's with everything in it.
        if (run_.record && run_.made.count(destFolder) == 0) run_.record->File(destFile);
        ClearCopiedReadOnly(env_.os, env_.trace(), destFile, match.attributes);
        ctx_.Trace("COPY %s -> %s\n", DisplayPath(match.fullPath).c_str(), destFile.c_str());
        return true;
    }

private:
    SetupEnv& env_;
    SetupContext& ctx_;
    const std::string& installPath_;
    ProgressWindow& progress_;
    CopyRun& run_;
};

}  // namespace

int CopySourceTree(SetupEnv& env, const std::string& installPath, const std::string& base,
                   const std::string& search, const std::string& relative,
                   const std::string& destRoot, ProgressWindow& progress, CopyRun* run) {
    CopyRun own;
    Copy copy(env, installPath, base, relative, destRoot, progress, run ? *run : own);
    return WalkTree(env.os, search, copy);
}

bool WritesThroughLink(Os& os, const std::string& installPath, const std::string& path,
                       std::unordered_set<std::string>& checked) {
    std::string folderFinal;
    // Without the install folder there is no link in it.
    if (!os.GetFinalPathName(WithoutTrailingBackslashes(installPath), folderFinal)) return false;
    // The exact path written, long forms as spelt; each part of it that is
    // there is looked at, from the root down, wherever its spelling leads.
    const std::string target = LongPath(path);
    if (target.rfind("\\\\?\\", 0) != 0 || target.size() < 7) return false;
    for (size_t at = target.find('\\', 4) + 1; at <= target.size();) {
        const size_t end = std::min(target.find('\\', at), target.size());
        const std::string place = target.substr(0, end);
        std::string parent = target.substr(0, at - 1);
        if (parent.back() == ':') parent += '\\';  // the drive's root
        at = end + 1;
        if (place.size() <= parent.size() + 1 || checked.count(place) != 0) continue;
        const uint32_t attributes = os.GetFileAttributes(place);
        if (attributes == win::INVALID_FILE_ATTRIBUTES_) return false;  // nothing more in place
        if (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) {
            // Where the link itself lies: a link inside the install folder
            // (not the folder itself) would take the file elsewhere.
            std::string parentFinal;
            if (!os.GetFinalPathName(parent, parentFinal)) return true;
            const std::string real = TrimTrailingBackslashes(parentFinal) + "\\" +
                                     place.substr(place.find_last_of('\\') + 1);
            if (SameOrBelow(os, real, folderFinal) &&
                os.CompareStringOrdinal(real, folderFinal, true) != 0) {
                return true;
            }
            continue;
        }
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
