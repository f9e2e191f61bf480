#include "system/MeasureTree.h"

#include <cinttypes>
#include <vector>

#include "core/Text.h"
#include "system/FileUtil.h"

namespace setup {

int64_t MeasureTree(SetupEnv& env, const std::string& search, int slot) {
    SetupContext& ctx = env.ctx;
    std::vector<FindData> matches;
    if (!env.os.FindFiles(search, matches)) {
        env.ui.AppMessageBox(
            Format("ｲﾝｽﾄｰﾙ/ｱﾝｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n%s\nが見つかりませんでした。",
                   search.c_str()),
            mb::ICONEXCLAMATION);
        return -1;
    }

    int64_t sum = 0;
    for (const FindData& match : matches) {
        if (match.name == "." || match.name == "..") continue;

        if (match.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) {
            // A junction or folder link is not walked: what it points to is
            // not below us, and a link back up would never end.
            if (match.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) continue;
            std::string folder = match.fullPath;
            const int64_t size = MeasureTree(env, TrimTrailingBackslashes(folder) + "\\*.*", slot);
            if (size < 0) return -1;
            sum += size;
            // A medium of many folders keeps the preparing window painted.
            env.ui.PumpMessages();
            continue;
        }

        // Whole 64-bit sizes: a file of 4 GiB or more counts in full.
        sum += static_cast<int64_t>(match.size);
        ++ctx.FileCounts[slot];
        ctx.Trace("%s : %" PRIu64 " byte\n", match.fullPath.c_str(), match.size);
    }
    return sum;
}

}  // namespace setup
