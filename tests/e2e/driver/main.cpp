// e2e_driver: runs one scenario against Setup.exe in the same Wine prefix.
//
//   e2e_driver.exe [--requests FOLDER] SCENARIO.txt
//
// FOLDER is where the runner (tests/e2e/run.sh) picks up screenshot and
// launch requests. Exit code 0: every step held; 1: a step failed; 2: usage.
#include <windows.h>

#include <string>
#include <vector>

#include "Driver.h"
#include "Script.h"

int wmain(int argc, wchar_t** argv) {
    std::wstring requests;
    std::wstring scenario;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--requests" && i + 1 < argc) {
            requests = argv[++i];
        } else if (scenario.empty() && arg.rfind(L"--", 0) != 0) {
            scenario = arg;
        } else {
            scenario.clear();
            break;
        }
    }
    if (scenario.empty()) {
        e2e::Print("usage: e2e_driver.exe [--requests FOLDER] SCENARIO.txt");
        return 2;
    }
    while (!requests.empty() && (requests.back() == L'\\' || requests.back() == L'/')) {
        requests.pop_back();
    }

    // The scenario's name (its file name without .txt) names the failure shot.
    const std::string path = e2e::Narrow(scenario);
    const std::string file = path.substr(path.find_last_of("\\/") + 1);
    const bool txt = file.size() > 4 && file.compare(file.size() - 4, 4, ".txt") == 0;

    std::vector<e2e::Step> steps;
    std::string error;
    if (!e2e::ReadScenario(scenario, steps, error)) {
        e2e::Print(file + ": " + error);
        return 2;
    }
    return e2e::RunScenario(steps, file, requests, txt ? file.substr(0, file.size() - 4) : file);
}
