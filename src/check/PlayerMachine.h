// A player's machine as the checker installs on it: a current Windows with
// one user's profile, nothing of the product on it yet, the medium as drive
// D: and the program started from there.
#pragma once

#include "check/Medium.h"
#include "sim/SimulatedOs.h"

namespace setup {

void MakePlayerMachine(const Medium& medium, SimulatedOs& os);

}  // namespace setup
