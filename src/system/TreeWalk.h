// The one walk of a file tree: measuring, copying and deleting all go
// through it, so all three see the same entries the same way.
#pragma once

#include <string>

#include "seams/Os.h"

namespace setup {

// What a walk meets. Each method returns false to stop the walk.
class TreeVisitor {
public:
    virtual ~TreeVisitor() = default;
    // Nothing matches `search`: the walk's own search, or a folder's.
    virtual bool Missing(const std::string& search) = 0;
    virtual bool File(const FindData& match) = 0;
    // A junction or symbolic link, to a folder or a file: never entered.
    virtual bool Link(const FindData&) { return true; }
    // A folder, before and after its entries.
    virtual bool Enter(const FindData&) { return true; }
    virtual bool Leave(const FindData&) { return true; }
};

// Walks every match of `search` (a file, a wildcard pattern or a folder),
// folders depth-first through "\*.*". "." and ".." are skipped and no link is
// ever crossed. A folder's entries are named by the exact names the listing
// gave, in the long form ("\\?\C:\..."), so a name Windows would otherwise
// trim ("d." beside "d") is the entry itself. 1 when the walk ran to its
// end, 0 when the visitor stopped it.
int WalkTree(Os& os, const std::string& search, TreeVisitor& visitor);

// `path` resolved as Windows resolves it, in the long form: "C:\a\.\b" as
// "\\?\C:\a\b", "\\server\share\a" as "\\?\UNC\server\share\a"; a long
// form, or a path that is not absolute, as it is.
std::string LongPath(const std::string& path);

// A path as the user reads it: the long form's prefix taken off.
std::string DisplayPath(const std::string& path);

}  // namespace setup
