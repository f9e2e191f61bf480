// Where the copy of a medium file lands: the one rule both the installation
// and the uninstallation's recognition of an installed product use.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "system/TreeWalk.h"

namespace setup {

// What an entry's source names on the medium: the base folder, a backslash
// and the source as written.
std::string CopySource(const std::string& base, const std::string& source);

// The folder below the destination root that receives the files of a found
// folder: its full path with every occurrence of the base text removed.
std::string CopyRelativeFolder(const std::string& folderPath, const std::string& base);

// The destination folder and file: root and relative folder written one
// after the other, "<INSTALL DIR>" replaced by the install folder.
std::string CopyDestinationFolder(const std::string& destRoot, const std::string& relative,
                                  const std::string& installFolder);
std::string CopyDestinationFile(const std::string& destRoot, const std::string& relative,
                                const std::string& name, const std::string& installFolder);

// A walk of what one entry's source names that knows where each file
// lands: a folder's files go below the root under the folder's path
// relative to the base, and the files met after it in the folder above stay
// in that folder's place. A file reached through a link counts as its
// target; a folder link is passed over.
class CopyWalk : public TreeVisitor {
public:
    CopyWalk(const std::string& base, const std::string& relative, const std::string& destRoot)
        : base_(base), destRoot_(destRoot), relatives_{relative} {}
    bool Link(const FindData& match) override {
        return (match.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) || File(match);
    }
    bool Enter(const FindData& folder) override {
        relatives_.push_back(CopyRelativeFolder(DisplayPath(folder.fullPath), base_));
        return true;
    }
    bool Leave(const FindData&) override {
        relatives_.pop_back();
        return true;
    }

protected:
    std::string DestinationFolder(const std::string& installFolder) const {
        return CopyDestinationFolder(destRoot_, relatives_.back(), installFolder);
    }
    std::string DestinationFile(const std::string& name, const std::string& installFolder) const {
        return CopyDestinationFile(destRoot_, relatives_.back(), name, installFolder);
    }

private:
    const std::string& base_;
    const std::string& destRoot_;
    std::vector<std::string> relatives_;
};

struct FileEntry;

// Where each medium file of one [Files] entry would land, as the copy puts
// it, without copying: `planned(destination, match)` for each file, in the
// walk's order. A missing source plans nothing.
void PlanCopy(Os& os, const std::string& base, const FileEntry& entry,
              const std::string& installFolder,
              const std::function<void(const std::string& destination, const FindData& match)>&
                  planned);

}  // namespace setup
