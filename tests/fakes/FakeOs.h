// The simulated machine as the host tests use it: failures injected on
// demand, and records of the calls a test asks about.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimulatedOs.h"
#include "sim/host/HostText.h"

namespace setup {

class FakeOs : public SimulatedOs {
public:
    FakeOs() : SimulatedOs(HostText::Instance()) {}

    // --- injected failures ---
    // The next `count` calls of the Os method named `method` (e.g. "CopyFile",
    // "RegOpenKeyEx", "SaveShellLink") fail with `error`: bool methods return
    // false with it as last error, registry methods return it, HRESULT
    // methods return it as the HRESULT, ShellExecute returns it, CreateMutex
    // and CreateTextFile return null with it as last error. Nothing else
    // happens in a failed call, except in CopyFileWithProgress: its failure
    // strikes once writing began, so the copy's own checks come first and the
    // target (new or replaced) is gone afterwards, as after a real chunk failure.
    void FailNext(const std::string& method, uint32_t error, int count = 1) {
        m_failures.push_back(Failure{method, std::string(), error, count});
    }
    // Every call of `method` whose path argument (either one for CopyFile) is
    // `path` fails with `error` until ClearFailures.
    void FailPath(const std::string& method, const std::string& path, uint32_t error) {
        m_failures.push_back(Failure{method, Canonical(path), error, -1});
    }
    void ClearFailures() { m_failures.clear(); }
    // Runs first in every call that can be made to fail, with the method's
    // name and its path (a copy's target; empty for the registry): an error
    // it returns fails that call as FailNext would.
    std::function<std::optional<uint32_t>(const std::string& method, const std::string& path)>
        onCall;

    // --- records ---
    struct ShellExecuteCall {
        std::string verb, file, parameters, directory;
        int showCommand = 0;
        bool operator==(const ShellExecuteCall& o) const {
            return verb == o.verb && file == o.file && parameters == o.parameters &&
                   directory == o.directory && showCommand == o.showCommand;
        }
    };
    std::vector<uint32_t> sleeps;  // every Sleep, in milliseconds
    int copyProgressReports = 0;   // progress calls made by CopyFileWithProgress
    std::vector<ShellExecuteCall> shellExecuteCalls;
    intptr_t shellExecuteResult = 42;

    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
    intptr_t ShellExecute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override {
        shellExecuteCalls.push_back(ShellExecuteCall{verb, file, parameters, directory, showCommand});
        const intptr_t result = SimulatedOs::ShellExecute(verb, file, parameters, directory, showCommand);
        return result == 42 ? shellExecuteResult : result;
    }
    bool CopyFileWithProgress(const std::string& from, const std::string& to, bool failIfExists,
                              const std::function<void()>& progress) override {
        return SimulatedOs::CopyFileWithProgress(from, to, failIfExists, [&] {
            ++copyProgressReports;
            if (progress) progress();
        });
    }

protected:
    std::optional<uint32_t> TakeFailure(const char* method, const std::string& path,
                                        const std::string& path2) override;

private:
    struct Failure {
        std::string method;
        std::string path;  // canonical; empty: FailNext
        uint32_t error;
        int count;  // -1: until cleared
    };
    std::vector<Failure> m_failures;
};

}  // namespace setup
