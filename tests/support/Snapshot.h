// The state of a FakeOs outside given places, to show that a run changed
// nothing but the product's own: every file and folder of drive C: with its
// attributes and content, and every key of HKCU and HKLM with its number of
// values. The places left out hold what the run may make and remove.
#pragma once

#include <string>
#include <vector>

#include "fakes/FakeOs.h"
#include "system/PathCheck.h"

namespace setup {

struct OwnPlaces {
    std::vector<std::string> folders;  // with everything in them
    std::vector<std::string> keys;     // below HKEY_CURRENT_USER, with their subkeys
};

namespace snapshot_detail {

// Every entry below `folder` outside `own`: path, attributes (when asked
// for) and content.
inline void Files(FakeOs& os, const std::string& folder, const OwnPlaces& own,
                  std::vector<std::string>& out, bool withAttributes = true) {
    for (const std::string& name : os.List(folder)) {
        const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + name;
        bool skipped = false;
        for (const std::string& place : own.folders)
            skipped = skipped || LiesWithin(os, path, place);
        if (skipped) continue;
        const std::string attributes =
            withAttributes ? std::to_string(os.Attributes(path)) + " " : std::string();
        out.push_back(path + " " + attributes + os.FileContent(path));
        if (os.IsFolder(path)) Files(os, path, own, out, withAttributes);
    }
}

inline void Keys(FakeOs& os, RegKey root, const std::string& key, const OwnPlaces& own,
                 std::vector<std::string>& out) {
    for (const std::string& name : os.SubKeys(root, key)) {
        const std::string path = key.empty() ? name : key + "\\" + name;
        bool skipped = false;
        for (const std::string& place : own.keys) {
            skipped = skipped || (root == HKEY_CURRENT_USER_ && SameOrBelow(os, path, place));
        }
        if (skipped) continue;
        uint32_t subKeys = 0, values = 0;
        RegKey handle = 0;
        if (os.RegOpenKeyEx(root, path, win::KEY_QUERY_VALUE_, handle) == 0) {
            os.RegQueryInfoKey(handle, subKeys, values);
            os.RegCloseKey(handle);
        }
        out.push_back(std::to_string(root) + "\\" + path + " " + std::to_string(values));
        Keys(os, root, path, own, out);
    }
}

}  // namespace snapshot_detail

inline std::vector<std::string> Snapshot(FakeOs& os, const OwnPlaces& own) {
    std::vector<std::string> out;
    snapshot_detail::Files(os, "C:\\", own, out);
    snapshot_detail::Keys(os, HKEY_CURRENT_USER_, "", own, out);
    snapshot_detail::Keys(os, HKEY_LOCAL_MACHINE_, "", own, out);
    return out;
}

}  // namespace setup
