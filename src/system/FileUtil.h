// Small stateless helpers on paths, folders, files and byte counts. They show
// no messages; callers decide what a failure means.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/Text.h"
#include "seams/Os.h"

namespace setup {

// Free bytes of the drive holding path: available to the user where the
// platform has GetDiskFreeSpaceEx, else all free bytes of the drive root.
// Nonzero on success; on failure out is left as it was.
int GetDiskFreeBytes(Os& os, const std::string& path, int64_t& out);

// The drive of a path as _splitpath gives it: "C:" for a letter and a colon at
// the start, else "".
std::string GetPathDrive(const std::string& path);

// Creates the folder and every missing folder above it, outermost first.
// 1 when the folder exists now (ERROR_ALREADY_EXISTS is cleared to 0). 0 on
// failure, with the last error as the platform left it: a file in the way
// (183) or a missing root (drive, "\" or "\\server\share") ends with 0.
int CreateDirectoryPath(Os& os, const std::string& path);
// The same, adding each folder it made itself to `made`, outermost first:
// what an installation records as its own.
int CreateDirectoryPath(Os& os, const std::string& path, std::vector<std::string>& made);

// The folders one run has made (or found in place) with CreateDirectoryPath,
// so that copying many files into one folder makes it only once. Paths are
// kept as spelt; another spelling of the same folder is simply made again.
using FolderCache = std::unordered_set<std::string>;

// CreateDirectoryPath, asking the operating system only for a folder the
// cache does not hold yet; a folder that exists afterwards is added to it.
int CreateDirectoryPath(Os& os, const std::string& path, FolderCache& made,
                        std::vector<std::string>* created = nullptr);

// The installed program's path: the folder and the file name joined with
// exactly one backslash when neither brings one.
std::string InstalledProgramPath(const std::string& folder, const std::string& exeName);

// Removes every trailing backslash; "C:\" becomes "C:". Returns text.
std::string& TrimTrailingBackslashes(std::string& text);
// The same on a copy.
inline std::string WithoutTrailingBackslashes(std::string text) {
    return TrimTrailingBackslashes(text);
}

// Whether attributes (as GetFileAttributes gives them) are a junction's or a
// symbolic link's.
inline bool IsLink(uint32_t attributes) {
    return attributes != win::INVALID_FILE_ATTRIBUTES_ &&
           (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_) != 0;
}

// Sets or clears FILE_ATTRIBUTE_READONLY, keeping the other bits. A file whose
// attributes cannot be read is left alone; nothing is reported.
void SetReadOnlyAttribute(Os& os, TextSink* trace, const std::string& path, bool readOnly);

// SetReadOnlyAttribute(path, false) for a fresh copy of a file whose
// attributes were sourceAttributes. A copy takes its source's attributes, so
// only the copy of a read-only file has its attributes read and written.
void ClearCopiedReadOnly(Os& os, TextSink* trace, const std::string& path,
                         uint32_t sourceAttributes);

// "<n> MB", "<n> KB" or "<n> Bytes", truncated, no fraction. A negative count
// prints as its unsigned 64-bit reading in Bytes.
std::string FormatSizeText(int64_t bytes);

}  // namespace setup
