// The places an uninstallation may never delete, whatever its script or a
// tampered install folder value says.
#pragma once

#include <string>
#include <vector>

#include "core/SetupEnv.h"
#include "system/PathCheck.h"

namespace setup {

// The places no target may be: each folder of `folders` and every folder
// above one (Program Files in both views, the user profile, the user's and
// all users' shell folders, the medium), and each tree of `trees` with
// everything in it (the Windows folder, the system folder). Normalised;
// folders the system did not name are left out.
struct ProtectedPlaces {
    std::vector<std::string> folders;
    std::vector<std::string> trees;
    // The same places by identity: each folder and every folder above it,
    // each tree's root, and every folder above a tree.
    std::vector<FileIdentity> foldersAndAbove;
    std::vector<FileIdentity> treeRoots;
    std::vector<FileIdentity> treesAndAbove;
};

// Read once per run, before anything is deleted.
ProtectedPlaces ProtectedFolders(SetupEnv& env);

// Whether a DELETE FILE, DELETE DIR or DELETE MENU target (expanded and
// trimmed) may be deleted. Refused: empty, relative and device paths, paths
// longer than 259 UTF-16 units, drive and share roots, short (8.3) names, the
// protected places. `brandFolder` (may be empty) is refused as well: it holds the
// Start-menu folders of other products of the same maker.
bool IsDeletableTarget(Os& os, const std::string& path, const ProtectedPlaces& places,
                       const std::string& brandFolder = std::string());

// Whether a DELETE REG key (below HKEY_CURRENT_USER, after expansion and
// trimming) may be deleted: only keys strictly below "SOFTWARE\", every part
// named, and nothing of the system's shared keys (Microsoft, Classes,
// Policies, Wow6432Node).
bool IsDeletableKey(Os& os, const std::string& key);

// The message of a refused target or key.
std::string RefusalMessage(const std::string& target);

}  // namespace setup
