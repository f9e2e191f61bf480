// Where the copy of a medium file lands: the one rule both the installation
// and the uninstallation's recognition of an installed product use.
#pragma once

#include <string>

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

}  // namespace setup
