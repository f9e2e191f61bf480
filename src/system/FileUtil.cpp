#include "system/FileUtil.h"

#include <cinttypes>
#include <limits>

#include "core/Text.h"

namespace setup {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The four parts of a path as _splitpath cuts them. A backslash byte never
// occurs inside a UTF-8 character, so byte-wise scanning is safe.
struct SplitPath {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;
};

SplitPath Split(const std::string& path) {
    SplitPath parts;
    size_t start = 0;
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    size_t nameStart = start;
    for (size_t i = start; i < path.size(); ++i) {
        if (IsSeparator(path[i])) nameStart = i + 1;
    }
    parts.dir = path.substr(start, nameStart - start);
    const std::string name = path.substr(nameStart);
    const size_t dot = name.rfind('.');
    parts.fname = name.substr(0, dot);
    if (dot != std::string::npos) parts.ext = name.substr(dot);
    return parts;
}

std::string Make(const SplitPath& parts) {
    std::string path = parts.drive;
    if (!parts.dir.empty()) {
        path += parts.dir;
        if (!IsSeparator(parts.dir.back())) path += '\\';
    }
    path += parts.fname;
    if (!parts.ext.empty()) {
        if (parts.ext[0] != '.') path += '.';
        path += parts.ext;
    }
    return path;
}

// The folder above path, or path itself when it has none above it.
std::string ParentFolder(const std::string& path) {
    const SplitPath whole = Split(path);
    std::string dir = whole.dir;
    if (dir.size() > 2 && dir.back() == '\\') dir.pop_back();
    SplitPath parent = Split(dir);
    parent.drive = whole.drive;
    return Make(parent);
}

// "\\server" and "\\server\share" (with or without a final backslash) cannot
// be created; climbing to them would only fail later with a less useful error.
bool IsUncRoot(const std::string& path) {
    if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return false;
    std::string rest = path.substr(2);
    if (!rest.empty() && rest.back() == '\\') rest.pop_back();
    size_t separators = 0;
    for (const char c : rest) {
        if (c == '\\') ++separators;
    }
    return separators <= 1;
}

// CreateDirectory, where an existing folder counts as made (the last error
// then cleared) but a file of that name does not.
int MakeFolder(Os& os, const std::string& path, uint32_t& error, std::vector<std::string>* made) {
    if (os.CreateDirectory(path)) {
        if (made) made->push_back(path);
        return 1;
    }
    error = os.GetLastError();
    if (error != win::ERROR_ALREADY_EXISTS_) return 0;
    const uint32_t attributes = os.GetFileAttributes(path);
    if (attributes == win::INVALID_FILE_ATTRIBUTES_ ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY_) == 0) {
        os.SetLastError(win::ERROR_ALREADY_EXISTS_);
        return 0;
    }
    os.SetLastError(0);
    return 1;
}

}  // namespace

int GetDiskFreeBytes(Os& os, const std::string& path, int64_t& out) {
    if (os.HasGetDiskFreeSpaceEx()) {
        uint64_t available = 0;
        uint64_t total = 0;
        if (!os.GetDiskFreeSpaceEx(path, available, total)) return 0;
        const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
        out = static_cast<int64_t>(available < limit ? available : limit);
        return 1;
    }
    // Without the Ex call only a root can be asked: "C:\", or "\" for the
    // current drive.
    const std::string root = GetPathDrive(path) + "\\";
    uint32_t sectorsPerCluster = 0;
    uint32_t bytesPerSector = 0;
    uint32_t freeClusters = 0;
    uint32_t totalClusters = 0;
    if (!os.GetDiskFreeSpace(root, sectorsPerCluster, bytesPerSector, freeClusters,
                             totalClusters)) {
        return 0;
    }
    const uint64_t clusterBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    out = static_cast<int64_t>(clusterBytes * freeClusters);
    return 1;
}

std::string GetPathDrive(const std::string& path) {
    return Split(path).drive;
}

namespace {

int MakePath(Os& os, const std::string& path, std::vector<std::string>* made) {
    if (path.empty()) return 0;
    uint32_t error = 0;
    if (MakeFolder(os, path, error, made)) return 1;
    if (error != win::ERROR_PATH_NOT_FOUND_) return 0;

    // A root that is missing cannot be made by climbing further.
    const std::string parent = ParentFolder(path);
    if (parent.empty() || parent == path || IsUncRoot(parent)) return 0;
    const int result = MakePath(os, parent, made);
    if (result != 1) return result;
    // For "C:\a\b\" the parent made was "C:\a\b" itself: already there.
    return MakeFolder(os, path, error, made);
}

}  // namespace

int CreateDirectoryPath(Os& os, const std::string& path) {
    return MakePath(os, path, nullptr);
}

int CreateDirectoryPath(Os& os, const std::string& path, std::vector<std::string>& made) {
    return MakePath(os, path, &made);
}

int CreateDirectoryPath(Os& os, const std::string& path, FolderCache& made,
                        std::vector<std::string>* created) {
    if (made.count(path) != 0) return 1;
    const int result = MakePath(os, path, created);
    if (result == 1) made.insert(path);
    return result;
}

std::string& TrimTrailingBackslashes(std::string& text) {
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

void SetReadOnlyAttribute(Os& os, TextSink* trace, const std::string& path, bool readOnly) {
    uint32_t attributes = os.GetFileAttributes(path);
    Trace(trace, "Set Attributes -> %s\n", path.c_str());
    // Writing back the failure value would set every attribute bit.
    if (attributes == win::INVALID_FILE_ATTRIBUTES_) return;
    const uint32_t wanted = readOnly ? attributes | win::FILE_ATTRIBUTE_READONLY_
                                     : attributes & ~win::FILE_ATTRIBUTE_READONLY_;
    // Every copied file passes here: skip the write when nothing changes.
    if (wanted != attributes) os.SetFileAttributes(path, wanted);
}

void ClearCopiedReadOnly(Os& os, TextSink* trace, const std::string& path,
                         uint32_t sourceAttributes) {
    if (sourceAttributes & win::FILE_ATTRIBUTE_READONLY_) {
        SetReadOnlyAttribute(os, trace, path, false);
        return;
    }
    Trace(trace, "Set Attributes -> %s\n", path.c_str());
}

std::string FormatSizeText(int64_t bytes) {
    const int64_t kilobytes = bytes / 1024;
    const int64_t megabytes = kilobytes / 1024;
    if (megabytes > 0) return Format("%" PRIu64 " MB", static_cast<uint64_t>(megabytes));
    if (kilobytes > 0) return Format("%" PRIu64 " KB", static_cast<uint64_t>(kilobytes));
    return Format("%" PRIu64 " Bytes", static_cast<uint64_t>(bytes));
}

std::string InstalledProgramPath(const std::string& folder, const std::string& exeName) {
    const bool folderEnds = !folder.empty() && folder.back() == '\\';
    const bool nameStarts = !exeName.empty() && exeName.front() == '\\';
    if (folderEnds || nameStarts) return folder + exeName;
    return folder + "\\" + exeName;
}

}  // namespace setup
