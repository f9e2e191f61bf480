#include "system/TreeWalk.h"

#include <vector>

#include "system/PathCheck.h"

namespace setup {

namespace {

constexpr char kLong[] = "\\\\?\\";
constexpr char kLongUnc[] = "\\\\?\\UNC\\";

bool IsDots(const std::string& name) {
    return name == "." || name == "..";
}

int Walk(Os& os, const std::string& search, TreeVisitor& visitor) {
    std::vector<FindData> matches;
    if (!os.FindFiles(search, matches)) return visitor.Missing(search) ? 1 : 0;
    for (const FindData& match : matches) {
        if (IsDots(match.name)) continue;
        if (match.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) {
            // A link may lead anywhere, back up included: it is met, never entered.
            if (!visitor.Link(match)) return 0;
            continue;
        }
        if (!(match.attributes & win::FILE_ATTRIBUTE_DIRECTORY_)) {
            if (!visitor.File(match)) return 0;
            continue;
        }
        std::string folder = LongPath(match.fullPath);
        while (!folder.empty() && folder.back() == '\\') folder.pop_back();
        if (!visitor.Enter(match) || !Walk(os, folder + "\\*.*", visitor) ||
            !visitor.Leave(match)) {
            return 0;
        }
    }
    return 1;
}

}  // namespace

int WalkTree(Os& os, const std::string& search, TreeVisitor& visitor) {
    return Walk(os, search, visitor);
}

std::string LongPath(const std::string& path) {
    if (path.rfind(kLong, 0) == 0) return path;
    // The long form takes every name literally: the path is first resolved
    // as Windows resolves a path of the usual form ("..", doubled
    // separators, trailing dots).
    const std::string resolved = NormalisePath(path);
    if (resolved.size() >= 3 && resolved[1] == ':') return kLong + resolved;
    if (resolved.rfind("\\\\", 0) == 0) return kLongUnc + resolved.substr(2);
    return path;
}

std::string DisplayPath(const std::string& path) {
    if (path.rfind(kLongUnc, 0) == 0) return "\\\\" + path.substr(8);
    if (path.rfind(kLong, 0) == 0) return path.substr(4);
    return path;
}

}  // namespace setup
