// Junctions and symbolic links, removed as Windows removes them: the link
// itself, never what it points to.
//
// Wine 8 shows a folder on the host that is a Unix symbolic link as a
// reparse point, but its DeleteFileW, RemoveDirectoryW and MoveFileW act on
// the link's target (a file link's target is deleted, an empty target folder
// goes), and it can make no link itself (CreateSymbolicLinkW does nothing and
// reports success, FSCTL_SET_REPARSE_POINT is not supported). So under Wine a
// link is found by where it leads, and removed by the host's own rm.
#pragma once

#include <cstdint>
#include <string>

namespace setup::win32 {

// Whether the program runs under Wine (ntdll exports wine_get_version).
bool RunningOnWine();

// Whether `path` is a link under Wine; `attributes` gets the entry's own
// attributes (folder links have FILE_ATTRIBUTE_DIRECTORY). Always false on
// Windows, where the plain calls already act on the link.
bool IsWineLink(const std::wstring& path, uint32_t& attributes);

// Removes the link `path` under Wine with the host's rm and waits until it
// is gone. false with ERROR_ACCESS_DENIED when it stays.
bool RemoveWineLink(const std::wstring& path);

// The host's name of a path ("/.../drive_c/..."), the link itself not
// followed; empty when Wine cannot tell it.
std::wstring UnixName(const std::wstring& path);

// Starts a host program (a "\\?\unix\..." path) under Wine. Wine hands back
// no process handle for it, so the caller waits for the effect it expects.
bool StartHostProgram(const wchar_t* program, std::wstring commandLine);

}  // namespace setup::win32
