// Copies what one [Files] entry names: a file, a wildcard group or a folder
// tree, one progress step per file.
#pragma once

#include <string>
#include <unordered_set>

#include "core/SetupEnv.h"
#include "seams/Ui.h"
#include "system/FileUtil.h"
#include "system/InstallRecord.h"

namespace setup {

// installPath: the folder "<INSTALL DIR>" stands for; base: the start
// directory without trailing backslashes; search: the path or pattern to
// enumerate; relative: the folder below destRoot that receives the files
// found here; destRoot: the entry's target ("<INSTALL DIR>" allowed). 1 when
// everything found was copied, 0 after a message. run: what the run's copies
// share (one of its own when null).
struct CopyRun {
    FolderCache folders;                             // made or found in place
    std::unordered_set<std::string> made;            // made by this run
    std::unordered_set<std::string> checkedFolders;  // found in place, and no link
    InstallRecordWriter* record = nullptr;
};
int CopySourceTree(SetupEnv& env, const std::string& installPath, const std::string& base,
                   const std::string& search, const std::string& relative,
                   const std::string& destRoot, ProgressWindow& progress, CopyRun* run = nullptr);

// Whether writing `path` would go through a junction or symbolic link that
// lies inside the install folder (the install folder itself may be one).
// Folders found to be no link are remembered in `checked`.
bool WritesThroughLink(Os& os, const std::string& installPath, const std::string& path,
                       std::unordered_set<std::string>& checked);

// The install refusal of a place.
void RefuseInstallPlace(SetupEnv& env, const std::string& place);

}  // namespace setup
