// Writes one shortcut file through the shell link object. The caller owns COM
// initialisation around the call.
#pragma once

#include <cstdint>
#include <string>

#include "seams/Os.h"

namespace setup {

// Saves linkPath as the shortcut `link` describes. Returns the HRESULT of the
// first failing step (create, query, save). A link path longer than 259
// UTF-16 units (the shell's MAX_PATH) is refused with
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) before anything is created.
int32_t CreateShellLink(Os& os, const std::string& linkPath, const ShellLinkData& link);

// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE).
constexpr int32_t kLinkPathTooLong = static_cast<int32_t>(0x800700CEu);

}  // namespace setup
