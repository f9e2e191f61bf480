#include "check/CheckMain.h"

#include <exception>

#include "check/Checker.h"
#include "check/Medium.h"
#include "check/Report.h"

namespace setup {

namespace {

constexpr char kUsage[] =
    "usage: setup-check MEDIUM_FOLDER [--json] [--werror]\n"
    "Reads the medium's Setup.inf as Setup.exe does, checks the medium's names, sources and\n"
    "title bitmap, and installs and uninstalls every setup type on a simulated machine.\n"
    "Exit status: 0 clean or warnings only, 1 errors, 2 the check could not run.\n";

}  // namespace

int RunSetupCheck(const std::vector<std::string>& args, const SimulatedText& text,
                  std::string& out, std::string& err) {
    std::string folder;
    bool json = false, werror = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--werror") {
            werror = true;
        } else if (arg == "--help" || arg == "-h") {
            out += kUsage;
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            err += "setup-check: unknown option " + arg + "\n" + kUsage;
            return 2;
        } else if (folder.empty()) {
            folder = arg;
        } else {
            err += "setup-check: one medium folder at a time\n" + std::string(kUsage);
            return 2;
        }
    }
    if (folder.empty()) {
        err += kUsage;
        return 2;
    }
    try {
        Medium medium;
        std::string error;
        if (!ReadMediumFolder(folder, text, medium, error)) {
            err += "setup-check: " + error + "\n";
            return 2;
        }
        const CheckReport report = CheckMedium(medium, text);
        out += json ? FormatJsonReport(folder, report) : FormatReport(folder, report);
        if (report.Count(Severity::kError) > 0) return 1;
        return werror && report.Count(Severity::kWarning) > 0 ? 1 : 0;
    } catch (const std::exception& e) {
        err += std::string("setup-check: ") + e.what() + "\n";
        return 2;
    }
}

}  // namespace setup
