#include "system/MeasureTree.h"

#include <cinttypes>

#include "core/Text.h"
#include "system/TreeWalk.h"

namespace setup {

namespace {

class Measure : public TreeVisitor {
public:
    Measure(SetupEnv& env, int slot) : env_(env), slot_(slot) {}

    bool Missing(const std::string& search) override {
        env_.ui.AppMessageBox(
            Format("ｲﾝｽﾄｰﾙ/ｱﾝｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n%s\nが見つかりませんでした。",
                   DisplayPath(search).c_str()),
            mb::ICONEXCLAMATION);
        return false;
    }
    bool File(const FindData& match) override {
        // Whole 64-bit sizes: a file of 4 GiB or more counts in full.
        sum_ += static_cast<int64_t>(match.size);
        ++env_.ctx.FileCounts[slot_];
        env_.ctx.Trace("%s : %" PRIu64 " byte\n", DisplayPath(match.fullPath).c_str(), match.size);
        return true;
    }
    // A file reached through a link is copied as its target: it counts.
    bool Link(const FindData& match) override {
        return (match.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) || File(match);
    }
    bool Leave(const FindData&) override {
        // A medium of many folders keeps the preparing window painted.
        env_.ui.PumpMessages();
        return true;
    }
    int64_t Sum() const { return sum_; }

private:
    SetupEnv& env_;
    int slot_;
    int64_t sum_ = 0;
};

}  // namespace

int64_t MeasureTree(SetupEnv& env, const std::string& search, int slot) {
    Measure measure(env, slot);
    return WalkTree(env.os, search, measure) ? measure.Sum() : -1;
}

}  // namespace setup
