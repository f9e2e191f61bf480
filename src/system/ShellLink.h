// Writes one shortcut file through the shell link object. The caller owns COM
// initialisation around the call.
#pragma once

#include <cstdint>
#include <string>

#include "core/SetupEnv.h"

namespace setup {

// Saves linkPath as a shortcut to target; a null description, arguments,
// working folder or icon file leaves that field unset. Returns the HRESULT of
// the first failing step (create, query, save). A link path longer than 259
// UTF-16 units (the shell's MAX_PATH) is refused with
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) before anything is created.
int32_t CreateShellLink(SetupEnv& env, const std::string& linkPath, const std::string& target,
                        const char* description, const char* arguments, const char* workingDir,
                        const char* iconFile, int iconIndex, int showCommand);

// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE).
constexpr int32_t kLinkPathTooLong = static_cast<int32_t>(0x800700CEu);

}  // namespace setup
