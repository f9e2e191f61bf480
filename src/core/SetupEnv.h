// What every operation of the program works with: the state record, the
// operating system and the screen.
#pragma once

#include "core/SetupContext.h"
#include "seams/Os.h"
#include "seams/Ui.h"

namespace setup {

struct SetupEnv {
    SetupContext& ctx;
    Os& os;
    Ui& ui;

    // Where the system helpers write their trace lines; null when tracing is off.
    TextSink* trace() const { return ctx.TraceStream.get(); }
};

}  // namespace setup
