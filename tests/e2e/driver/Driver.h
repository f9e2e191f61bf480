// Runs a scenario against the processes and windows of one Wine prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Script.h"

namespace e2e {

// requestDir: the folder the runner watches for screenshot and launch requests
// (empty: no runner, such steps fail). name: the scenario's name, used for the
// failure screenshot. 0 when every step held; otherwise prints the failing step
// (as fileName:line), asks for the failure screenshot and returns 1.
int RunScenario(const std::vector<Step>& steps, const std::string& fileName,
                const std::wstring& requestDir, const std::string& name);

}  // namespace e2e
