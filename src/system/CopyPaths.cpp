#include "system/CopyPaths.h"

#include "core/ScriptReader.h"
#include "core/Text.h"

namespace setup {

std::string CopySource(const std::string& base, const std::string& source) {
    return Format("%s\\%s", base.c_str(), source.c_str());
}

std::string CopyRelativeFolder(const std::string& folderPath, const std::string& base) {
    return ReplaceAll(folderPath, base, "");
}

std::string CopyDestinationFolder(const std::string& destRoot, const std::string& relative,
                                  const std::string& installFolder) {
    return ReplaceAll(destRoot + relative, kInstallDirPlaceholder, installFolder);
}

std::string CopyDestinationFile(const std::string& destRoot, const std::string& relative,
                                const std::string& name, const std::string& installFolder) {
    return ReplaceAll(destRoot + relative + "\\" + name, kInstallDirPlaceholder, installFolder);
}

}  // namespace setup
