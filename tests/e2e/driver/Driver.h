// Runs a scenario against the processes and windows of one Wine prefix.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Script.h"

namespace e2e {

class Driver {
public:
    // requestDir: the folder the runner watches for screenshot and launch
    // requests (empty: no runner, such steps fail). name: the scenario's name,
    // used for the failure screenshot.
    Driver(std::wstring requestDir, std::string name);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // 0 when every step held; otherwise prints the failing step, asks for the
    // failure screenshot and returns 1.
    int Run(const std::vector<Step>& steps, const std::string& fileName);

private:
    struct Process {
        DWORD pid = 0;
        HANDLE handle = nullptr;
    };
    using Words = std::vector<std::string>;

    std::string Execute(const Words& words);
    std::string Launch(const Words& w);
    std::string WaitWindow(const Words& w);
    std::string Click(const Words& w, bool asCommand);
    std::string Press(const Words& w);
    std::string Key(const Words& w);
    std::string Close(const Words& w);
    std::string Answer(const Words& w);
    std::string Registry(const Words& w);
    std::string File(const Words& w);
    std::string Expect(const Words& w);
    std::string ExpectControl(const Words& w);
    std::string ExpectProcess(const Words& w);
    std::string ExpectRegistry(const Words& w);
    std::string ExpectFile(const Words& w);
    std::string ExpectPixel(const Words& w);
    std::string ExpectColour(const Words& w);
    std::string ExpectLink(const Words& w);

    // Sends a request line to the runner and waits until it has been served.
    std::string Request(const std::string& line);

    // Calls ready() every 15 ms until it returns true or the timeout passes.
    bool Poll(const std::function<bool()>& ready) const;

    // "" for the default process, "any" for every process (pid 0).
    bool ResolveProcess(const std::string& name, DWORD& pid, std::string& error) const;
    HWND NamedWindow(const std::string& name, std::string& error) const;
    HWND NamedControl(const std::string& window, const std::string& id, std::string& error) const;

    std::wstring requestDir_;
    std::string name_;
    DWORD timeoutMs_ = 10000;
    int requests_ = 0;
    std::map<std::string, Process> processes_;
    std::map<std::string, HWND> windows_;
};

}  // namespace e2e
