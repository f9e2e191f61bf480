// Places by what they are: the file system's identity of a place and of the
// folders it really lies in, whatever spelling, alias or link leads there.
#pragma once

#include <string>
#include <vector>

#include "seams/Os.h"

namespace setup {

// The identity of `path` and of each folder above it on its final path
// (every link resolved), innermost first. Empty when it cannot be opened.
std::vector<FileIdentity> IdentitiesUpward(Os& os, const std::string& path);

// Whether `identity` is one of `among`.
bool IsAmong(const FileIdentity& identity, const std::vector<FileIdentity>& among);

}  // namespace setup
