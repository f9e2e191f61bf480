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

void PlanCopy(Os& os, const std::string& base, const FileEntry& entry,
              const std::string& installFolder,
              const std::function<void(const std::string&, const FindData&)>& planned) {
    class Plan : public CopyWalk {
    public:
        Plan(const std::string& base, const std::string& relative, const std::string& destRoot,
             const std::string& installFolder,
             const std::function<void(const std::string&, const FindData&)>& planned)
            : CopyWalk(base, relative, destRoot), installFolder_(installFolder), planned_(planned) {}
        bool Missing(const std::string&) override { return true; }
        bool File(const FindData& match) override {
            planned_(DestinationFile(match.name, installFolder_), match);
            return true;
        }

    private:
        const std::string& installFolder_;
        const std::function<void(const std::string&, const FindData&)>& planned_;
    };
    const std::string relative = entry.Kind == EntryAction::kCopyDir ? entry.Source : std::string();
    Plan plan(base, relative, entry.Target, installFolder, planned);
    WalkTree(os, CopySource(base, entry.Source), plan);
}

}  // namespace setup

