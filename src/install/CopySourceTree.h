// Copies what one [Files] entry names: a file, a wildcard group or a folder
// tree, one progress step per file.
#pragma once

#include <string>

#include "core/SetupEnv.h"
#include "system/FileUtil.h"
#include "ui/Ui.h"

namespace setup {

// base: the start directory without trailing backslashes; search: the path
// or pattern to enumerate; relative: the folder below destRoot that receives
// the files found here; destRoot: the entry's target ("<INSTALL DIR>"
// allowed). 1 when everything found was copied, 0 after a message. made:
// the folders already made in this run (one of its own when null).
int CopySourceTree(SetupEnv& env, const std::string& base, const std::string& search,
                   const std::string& relative, const std::string& destRoot,
                   ProgressWindow& progress, FolderCache* made = nullptr);

}  // namespace setup
