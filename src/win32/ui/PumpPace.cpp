#include "win32/ui/PumpPace.h"

#include "win32/os/Win32Undef.h"

namespace setup {

namespace {

// The thread's last drain; 0 when the next one is due at once.
thread_local ULONGLONG g_lastPump = 0;
constexpr ULONGLONG kPumpEveryMs = 15;

}  // namespace

bool PumpDue() {
    const ULONGLONG now = ::GetTickCount64();
    if (g_lastPump != 0 && now - g_lastPump < kPumpEveryMs) return false;
    g_lastPump = now;
    return true;
}

void PumpSoon() {
    g_lastPump = 0;
}

}  // namespace setup
