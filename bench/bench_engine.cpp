// Engine benchmark: the installation's tree copy and the walk that sizes the
// setup types, on the real Os, with a Ui that shows nothing and notes the
// longest time between two message pumps.
//
//   bench_engine copy <source folder> <destination folder>
//   bench_engine measure <folder>
//
// Prints one line: "files=N bytes=B seconds=S [mb_per_s=X] files_per_s=Y
// pumps=P max_gap_ms=G [gap_after_pump=K] peak_ws_mib=M" (the bracketed
// fields for copy only): P message pumps during the work, G the longest time
// without one (ending after K pumps), M the process's peak working set.
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "install/CopySourceTree.h"
#include "seams/Ui.h"
#include "system/MeasureTree.h"
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"
#include "win32/ui/PumpPace.h"

// After the Windows headers: GetProcessMemoryInfo.
#include <psapi.h>

namespace setup {
namespace {

// Seconds on the performance counter.
double Now() {
    LARGE_INTEGER frequency{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
}

// Counts the steps; like the program's progress window, it asks for a pump
// before each step (the pump itself drains as often as the program's does).
class CountingProgress final : public ProgressWindow {
public:
    explicit CountingProgress(Ui& ui) : ui_(ui) {}
    int Create() override { return 1; }
    void Show() override {}
    void SetRange(int32_t, int32_t) override {}
    void SetStep(int32_t) override {}
    int32_t SetPos(int32_t) override { return 0; }
    int32_t StepIt() override {
        ui_.PumpMessages();
        return steps++;
    }
    void SetStatusText(const std::string&) override {}
    void DestroyWindow() override {}

    int32_t steps = 0;

private:
    Ui& ui_;
};

// Messages go to the console; the pump runs as in the program, over no
// window, and notes the longest time between two pumps since Start. The
// copy and the walk open no window of their own.
class ConsoleUi final : public Ui {
public:
    void Start() {
        last_ = Now();
        longestGap = 0;
        pumps = longestGapEnd = 0;
    }
    // The gap from the last pump to now counts too: the work may end long
    // after its last pump.
    void Stop() { Note(); }

    int AppMessageBox(const std::string& text, unsigned) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return mb::IDOK_;
    }
    int DesktopMessageBox(const std::string& text, const std::string&, unsigned) override {
        return AppMessageBox(text, 0);
    }
    LauncherOutcome RunLauncher(const SetupContext&, const InstallFolderReader&) override {
        return {};
    }
    int RunInstallWizard(const SetupContext&, InstallFolderAccess&, WizardChoice&) override {
        return mb::IDCANCEL_;
    }
    void PumpMessages() override {
        if (!PumpDue()) return;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ++pumps;
        Note();
    }
    std::unique_ptr<ProgressWindow> NewProgressWindow(int) override { return nullptr; }
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override { return nullptr; }

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

// The folder named on the command line, without trailing backslashes.
std::string Folder(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return Narrow(folder);
}

int Run(bool copy, const std::string& source, const std::string& destination) {
    SetupContext ctx;
    Win32Os os;
    ConsoleUi ui;
    SetupEnv env{ctx, os, ui};
    // The files and bytes to report, as the installation measures them; when
    // measuring is the work, this is it.
    ui.Start();
    double start = Now();
    TreeSize size;
    std::string missing;
    const bool measured =
        MeasureTree(os, nullptr, source + "\\*.*", size, missing, [&ui] { ui.PumpMessages(); });
    const long long bytes = size.bytes;
    const long long files = size.files;
    if (!measured) {
        std::fprintf(stderr, "measuring failed\n");
        return 1;
    }
    if (copy) {
        // Everything below the source lands below the destination, subfolders
        // keeping their paths relative to it; one run's folder cache, as the
        // installation keeps one.
        CountingProgress progress(ui);
        CopyRun made;
        ui.Start();
        start = Now();
        if (!CopySourceTree(env, destination, source, source + "\\*.*", "", destination, progress,
                            &made)) {
            std::fprintf(stderr, "copy failed\n");
            return 1;
        }
        if (progress.steps != files) {
            std::fprintf(stderr, "copied %d files of %lld\n", progress.steps, files);
            return 1;
        }
    }
    const double seconds = Now() - start;
    ui.Stop();
    std::printf("files=%lld bytes=%lld seconds=%.3f", files, bytes, seconds);
    if (copy) std::printf(" mb_per_s=%.1f", static_cast<double>(bytes) / 1048576.0 / seconds);
    std::printf(" files_per_s=%.0f pumps=%lld max_gap_ms=%.1f",
                static_cast<double>(files) / seconds, ui.pumps, ui.longestGap * 1000.0);
    if (copy) std::printf(" gap_after_pump=%lld", ui.longestGapEnd);
    std::printf(" peak_ws_mib=%.1f\n", PeakWorkingSetMiB());
    return 0;
}

}  // namespace
}  // namespace setup

int wmain(int argc, wchar_t** argv) {
    const bool copy = argc == 4 && std::wcscmp(argv[1], L"copy") == 0;
    if (!copy && !(argc == 3 && std::wcscmp(argv[1], L"measure") == 0)) {
        std::fprintf(stderr,
                     "usage: bench_engine copy <source folder> <destination folder>\n"
                     "       bench_engine measure <folder>\n");
        return 2;
    }
    return setup::Run(copy, setup::Folder(argv[2]), copy ? setup::Folder(argv[3]) : "");
}
