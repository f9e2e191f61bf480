#include "system/MeasureTree.h"

#include <cinttypes>

#include "core/Text.h"
#include "system/TreeWalk.h"

namespace setup {

namespace {

class Measure : public TreeVisitor {
public:
    Measure(TextSink* trace, TreeSize& size, std::string& missing,
            const std::function<void()>& afterFolder)
        : trace_(trace), size_(size), missing_(missing), afterFolder_(afterFolder) {}

    bool Missing(const std::string& search) override {
        missing_ = DisplayPath(search);
        return false;
    }
    bool File(const FindData& match) override {
        // Whole 64-bit sizes: a file of 4 GiB or more counts in full.
        size_.bytes += static_cast<int64_t>(match.size);
        ++size_.files;
        // The display path is worked out only for a trace.
        if (trace_) {
            Trace(trace_, "%s : %" PRIu64 " byte\n", DisplayPath(match.fullPath).c_str(),
                  match.size);
        }
        return true;
    }
    // A file reached through a link is copied as its target: it counts.
    bool Link(const FindData& match) override {
        return (match.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) || File(match);
    }
    bool Leave(const FindData&) override {
        if (afterFolder_) afterFolder_();
        return true;
    }

private:
    TextSink* trace_;
    TreeSize& size_;
    std::string& missing_;
    const std::function<void()>& afterFolder_;
};

}  // namespace

int MeasureTree(Os& os, TextSink* trace, const std::string& search, TreeSize& size,
                std::string& missing, const std::function<void()>& afterFolder) {
    Measure measure(trace, size, missing, afterFolder);
    return WalkTree(os, search, measure);
}

std::string NotFoundForSetupMessage(const std::string& missing) {
    return Format("ｲﾝｽﾄｰﾙ/ｱﾝｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n%s\nが見つかりませんでした。",
                  missing.c_str());
}

}  // namespace setup
