// The installed product: where it is, and starting it.
#pragma once

#include <string>

#include "core/SetupEnv.h"
#include "system/FileUtil.h"

namespace setup {

// Reads the install folder (the product key's INSTALL value) into `folder`.
// 1 when installed; 0 with `folder` empty otherwise.
int ReadInstallFolder(SetupEnv& env, std::string& folder);

// Starts the installed program through the shell. 1 when the shell took it;
// 0 after a message.
int LaunchInstalledProgram(SetupEnv& env);

}  // namespace setup
