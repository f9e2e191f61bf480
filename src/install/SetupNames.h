// The checks an installation makes of the script's [Setup] names before
// anything is made.
#pragma once

#include "core/ScriptReader.h"
#include "core/SetupEnv.h"

namespace setup {

// Whether INSTALL_DIR, MENU_NAME (with its brand) and, where the script
// writes the registry, REG_ROOT_KEY_NAME name places of the product's own.
// false after the install refusal naming the place.
bool PassesSetupNameGuards(SetupEnv& env, const ScriptLists& lists);

}  // namespace setup
