// The installed product: where it is, and starting it.
#pragma once

#include <string>

#include "core/SetupEnv.h"

namespace setup {

// Reads the install folder (the product key's INSTALL value) into `folder`.
// 1 when installed; 0 with `folder` empty otherwise.
int ReadInstallFolder(SetupEnv& env, std::string& folder);

// The installed program's path: the folder and the file name joined with
// exactly one backslash when neither brings one.
std::string InstalledProgramPath(const std::string& folder, const std::string& exeName);

// Starts the installed program through the shell. 1 when the shell took it;
// 0 after a message.
int LaunchInstalledProgram(SetupEnv& env);

}  // namespace setup
