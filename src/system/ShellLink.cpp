#include "system/ShellLink.h"

#include "core/Text.h"

namespace setup {

namespace {

// The wide path buffer handed to IPersistFile::Save holds 260 units with the
// terminator.
constexpr size_t kMaxLinkPathUnits = 259;

}  // namespace

int32_t CreateShellLink(Os& os, const std::string& linkPath, const ShellLinkData& link) {
    if (Utf16Length(linkPath) > kMaxLinkPathUnits) return kLinkPathTooLong;
    return os.SaveShellLink(linkPath, link);
}

}  // namespace setup
