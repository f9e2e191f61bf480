// The author's checker: a medium read the way Setup.exe reads it, and each
// setup type installed and uninstalled on a simulated player's machine by
// the program's own engines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/Finding.h"
#include "check/Medium.h"

namespace setup {

struct TypeCheck {
    int32_t files = 0;
    int64_t bytes = -1;     // -1: not measured (a source is missing)
    std::string sizeText;   // as the setup-type page shows it
    bool installed = false;
    bool uninstalled = false;
    std::vector<std::string> leftovers;  // "file C:\...", "key HKEY_CURRENT_USER\..."
    std::vector<std::string> neverMade;  // uninstall targets the install did not make
    bool Clean() const { return installed && uninstalled && leftovers.empty() && neverMade.empty(); }
};

struct CheckReport {
    Findings findings;  // in the order of the file, then of the round trips
    std::string installFolder;
    std::string menuFolder;
    std::string productKey;
    TypeCheck types[3];

    int Count(Severity severity) const;
};

// The setup types' names, as /TYPE= spells them.
extern const char* const kTypeNames[3];

CheckReport CheckMedium(const Medium& medium, const SimulatedText& text);

}  // namespace setup
