// The program's command line. With no arguments it runs as it always has:
// the launcher, then what the user picks there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace setup {

struct CommandLine {
    bool silent = false;     // /S: no window and no box; what happened is the exit code
    bool uninstall = false;  // /UNINSTALL: uninstall at once, without the launcher
    bool help = false;       // /?: the options, shown in a box
    int32_t setupType = -1;  // /TYPE=minimum|standard|full: a SetupType; -1 when not given
    std::string folder;      // /D=: the install folder instead of the wizard's default
    std::string logPath;     // /LOG=: where the trace lines go
    // /CLEANUP=: the uninstaller's folder, to be removed once the uninstaller
    // that started this copy has ended. The program's own use, not the user's.
    std::string cleanupFolder;
    // The first argument not understood, as written; empty when every one was.
    std::string unknown;

    bool Empty() const {
        return !silent && !uninstall && !help && setupType < 0 && folder.empty() &&
               logPath.empty() && cleanupFolder.empty() && unknown.empty();
    }
};

// Reads the arguments (the command line without the program's own name).
// Options are matched without case; a value may be quoted ("/LOG=C:\a b\x.log"
// or /LOG="C:\a b\x.log"). /D= takes the rest of the line as it stands,
// spaces included and without quotes, so it must come last.
CommandLine ParseCommandLine(std::string_view arguments);

}  // namespace setup
