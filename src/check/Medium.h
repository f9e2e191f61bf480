// A medium folder on the author's machine, and the simulated machine's drive
// made of it: names as they are, sizes exact, contents only of the files the
// checker reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/Finding.h"
#include "sim/SimulatedOs.h"

namespace setup {

struct MediumEntry {
    std::string path;      // below the medium, "\" between names, UTF-8
    std::string hostPath;  // where it is on the author's machine
    bool folder = false;
    uint64_t size = 0;
    std::string linkTarget;  // a symbolic link within the medium: its target, below the medium
};

struct Medium {
    std::string folder;  // as the author named it
    std::vector<MediumEntry> entries;  // parents before children
    Findings findings;   // names no Windows file system can hold, links that lead out
};

// Reads the folder tree through the standard library, judging each name by
// the rules of Windows' file systems (`text`: the system's uppercase and code
// page 932). false when `folder` is not a folder that can be read (`error`
// says why).
bool ReadMediumFolder(const std::string& folder, const SimulatedText& text, Medium& out,
                      std::string& error);

// The drive the medium becomes on the simulated machine.
constexpr char kMediumDrive[] = "D:";

// Puts the medium on `os` as drive D:, each entry under the name it has (a
// name Windows would change is kept by its long form). The entries the
// machine cannot hold were left out when the medium was read.
void LoadMedium(const Medium& medium, SimulatedOs& os);

// The content of the medium's file `path` (as the machine spells it, drive
// and all), read from the author's machine into `os`. false when the medium
// has no such file.
bool ReadMediumContent(const Medium& medium, SimulatedOs& os, const std::string& path);

// Whether code page 932 can spell every character of `utf8`.
bool SpellsInCp932(const SimulatedText& text, const std::string& utf8);

}  // namespace setup
