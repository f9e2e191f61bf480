// A phase of an engine's progress window, as the installation and the
// uninstallation both start one.
#pragma once

#include <cstdint>

#include "core/SetupEnv.h"

namespace setup {

// The status line, a range of 0..upper stepped by one from 0, then the
// pause of 300 ms that lets the user read it.
inline void StartProgressPhase(SetupEnv& env, ProgressWindow& progress, const char* status,
                               int32_t upper) {
    progress.SetStatusText(status);
    progress.SetRange(0, upper);
    progress.SetStep(1);
    progress.SetPos(0);
    env.os.Sleep(300);
}

}  // namespace setup
