#include "system/ShellLink.h"

#include "core/Text.h"

namespace setup {

namespace {

// The wide path buffer handed to IPersistFile::Save holds 260 units with the
// terminator.
constexpr size_t kMaxLinkPathUnits = 259;

void SetOptional(const char* value, std::string& field, bool& present) {
    present = value != nullptr;
    if (present) field = value;
}

}  // namespace

int32_t CreateShellLink(SetupEnv& env, const std::string& linkPath, const std::string& target,
                        const char* description, const char* arguments, const char* workingDir,
                        const char* iconFile, int iconIndex, int showCommand) {
    if (Utf16Length(linkPath) > kMaxLinkPathUnits) return kLinkPathTooLong;

    ShellLinkData link;
    link.target = target;
    SetOptional(description, link.description, link.hasDescription);
    SetOptional(arguments, link.arguments, link.hasArguments);
    SetOptional(workingDir, link.workingDirectory, link.hasWorkingDirectory);
    SetOptional(iconFile, link.iconFile, link.hasIconFile);
    link.iconIndex = iconIndex;
    link.showCommand = showCommand;
    return env.os.SaveShellLink(linkPath, link);
}

}  // namespace setup
