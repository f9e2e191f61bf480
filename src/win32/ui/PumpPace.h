// The pace of a message pump that is called at every piece of work.
#pragma once

namespace setup {

// Whether the thread's message queue is due to be drained: at most every
// 15 ms (a window repaints about as often as a screen refreshes, and each
// drain is a trip to the window system), and at once after PumpSoon.
bool PumpDue();

// Makes the next PumpDue true: a window just made paints at the next pump.
void PumpSoon();

}  // namespace setup
