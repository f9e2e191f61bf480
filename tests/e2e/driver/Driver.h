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

    // Each step throws when it does not hold (see Driver.cpp).
    void Execute(const Words& words);
    void Timeout(const Words& w);
    void AskRunner(const Words& w);
    void Launch(const Words& w);
    void WaitWindow(const Words& w);
    void Click(const Words& w);
    void Press(const Words& w);
    void Key(const Words& w);
    void Close(const Words& w);
    void Answer(const Words& w);
    void RegSet(const Words& w);
    void RegDelete(const Words& w);
    void FileWrite(const Words& w);
    void FileCopy(const Words& w);
    void FileDelete(const Words& w);
    void ExpectGone(const Words& w);
    void ExpectCaption(const Words& w);
    void ExpectText(const Words& w);
    void ExpectFocus(const Words& w);
    void ExpectStates(const Words& w);
    void ExpectProcess(const Words& w);
    void ExpectRegistry(const Words& w);
    void ExpectFile(const Words& w);
    void ExpectNoFile(const Words& w);
    void ExpectPixel(const Words& w);
    void ExpectColour(const Words& w);
    void ExpectLink(const Words& w);

    // Sends a request line to the runner and waits until it has been served.
    void Request(const std::string& line);

    // Calls ready() every 15 ms until it returns true or the timeout passes.
    bool Poll(const std::function<bool()>& ready, ULONGLONG timeoutMs) const;
    bool Poll(const std::function<bool()>& ready) const { return Poll(ready, timeoutMs_); }
    std::string After() const;  // " after N ms", N the timeout

    const Process& NamedProcess(const std::string& name) const;
    // mustExist: the window must not have been destroyed since.
    HWND NamedWindow(const std::string& name, bool mustExist = false) const;
    HWND NamedControl(const std::string& window, const std::string& id) const;

    std::wstring requestDir_;
    std::string name_;
    DWORD timeoutMs_ = 10000;
    std::map<std::string, Process> processes_;
    std::map<std::string, HWND> windows_;
};

}  // namespace e2e
