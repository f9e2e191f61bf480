#include "system/PlaceIdentity.h"

namespace setup {

std::vector<FileIdentity> IdentitiesUpward(Os& os, const std::string& path) {
    std::vector<FileIdentity> identities;
    std::string place;
    if (!os.GetFinalPathName(path, place)) return identities;
    // "\\?\C:\a\b" climbs to "\\?\C:\"; "\\?\UNC\server\share\a" to the share.
    size_t root = 7;
    if (place.rfind("\\\\?\\UNC\\", 0) == 0) {
        const size_t server = place.find('\\', 8);
        root = server == std::string::npos ? place.size() : place.find('\\', server + 1);
        if (root == std::string::npos) root = place.size();
    }
    for (;;) {
        FileIdentity identity;
        if (os.GetFileIdentity(place, identity)) identities.push_back(identity);
        if (place.size() <= root) break;
        const size_t slash = place.find_last_of('\\');
        place.resize(slash < root ? root : slash);
    }
    return identities;
}

bool IsAmong(const FileIdentity& identity, const std::vector<FileIdentity>& among) {
    for (const FileIdentity& other : among) {
        if (other == identity) return true;
    }
    return false;
}

}  // namespace setup
