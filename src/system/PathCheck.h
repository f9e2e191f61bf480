// Where a path really leads, as Windows resolves it, and whether one path lies
// in another. Every place a script line names is held to the folders that are
// the product's own with these, so that neither "..", another spelling nor an
// absolute path leads out of them.
#pragma once

#include <string>

#include "seams/Os.h"

namespace setup {

// `path` made absolute and normalised as Windows resolves it: "/" read as
// "\", "." and ".." resolved, repeated separators and each component's
// trailing dots and blanks removed, no trailing separator (a drive root
// stays "C:\", a share root "\\server\share"); the long forms "\\?\C:\..."
// and "\\?\UNC\server\share\..." as the places they name. Empty when the path
// is not absolute (a drive letter with a colon and a separator, or a UNC
// share) or cannot be resolved.
std::string NormalisePath(const std::string& path);

// Whether `inner` is `outer` or lies below it, compared as they are written
// (no normalising) and without case by the system's own rule.
bool SameOrBelow(Os& os, const std::string& inner, const std::string& outer);

// Whether `inner` lies strictly below `outer`, both compared normalised and
// without case by the system's own rule; false when either is not an
// absolute path.
bool LiesBelow(Os& os, const std::string& inner, const std::string& outer);

// Whether `inner` is `outer` or lies below it, as LiesBelow compares them.
bool LiesWithin(Os& os, const std::string& inner, const std::string& outer);

// Whether `name` can only name a file in the folder it is put in: not empty,
// no separator, drive colon, wildcard or control character, not only dots and
// blanks, and no device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or
// without an extension).
bool IsPlainFileName(const std::string& name);

// Whether `name` is a plain relative name: plain file names joined by single
// backslashes (trailing backslashes aside), so it names a place below the
// folder it is put in. The empty name is one (the folder itself).
bool IsPlainRelativeName(const std::string& name);

}  // namespace setup
