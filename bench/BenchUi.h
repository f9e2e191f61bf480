// What the bench programs share: a Ui that shows nothing and times the
// message pumps, and the process's peak working set.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/Win32Os.h"
#include "platform/win32/Win32Undef.h"
#include "ui/Ui.h"

// After the Windows headers: GetProcessMemoryInfo.
#include <psapi.h>

namespace setup {

// Seconds on the performance counter.
inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

inline double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
}

// Counts the steps; like the program's progress window, it pumps the
// windows before each step when it has a Ui.
class CountingProgress final : public ProgressWindow {
public:
    explicit CountingProgress(Ui* ui = nullptr) : ui_(ui) {}
    int Create() override { return 1; }
    void Show() override {}
    void SetRange(int32_t, int32_t) override {}
    void SetStep(int32_t) override {}
    int32_t SetPos(int32_t) override { return 0; }
    int32_t StepIt() override {
        if (ui_ != nullptr) ui_->PumpMessages();
        return steps++;
    }
    void SetStatusText(const std::string&) override {}
    void DestroyWindow() override {}

    int32_t steps = 0;

private:
    Ui* ui_;
};

class NoPreparing final : public PreparingWindow {
public:
    int Create() override { return 1; }
    void Show() override {}
    void DestroyWindow() override {}
};

// Messages go to the console; the pump runs as in the program, over no
// window, and notes the longest time between two pumps since Start.
class ConsoleUi final : public Ui {
public:
    void Start() {
        last_ = Now();
        longestGap = 0;
        pumps = 0;
    }
    // The gap from the last pump to now counts too: the work may end long
    // after its last pump.
    void Stop() { Note(); }

    int AppMessageBox(const std::string& text, unsigned) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return mb::IDOK_;
    }
    int DesktopMessageBox(const std::string& text, const std::string&, unsigned) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return mb::IDOK_;
    }
    int RunLauncher(SetupContext&) override { return mb::IDCANCEL_; }
    int RunInstallWizard(SetupEnv&) override { return mb::IDCANCEL_; }
    void PumpMessages() override {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ++pumps;
        Note();
    }
    std::unique_ptr<ProgressWindow> NewProgressWindow(int) override {
        return std::make_unique<CountingProgress>();
    }
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override {
        return std::make_unique<NoPreparing>();
    }

    double longestGap = 0;  // seconds
    long long pumps = 0;
    long long longestGapEnd = 0;  // the pumps before the longest gap ended

private:
    void Note() {
        const double now = Now();
        if (now - last_ > longestGap) {
            longestGap = now - last_;
            longestGapEnd = pumps;
        }
        last_ = now;
    }

    double last_ = 0;
};

}  // namespace setup
