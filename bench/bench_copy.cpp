// Copy benchmark: copies a folder tree with the installation's tree copy on
// the real Os and prints the throughput. A progress window stand-in only
// counts the steps, so the figure is the copy's own cost.
//
//   bench_copy <source folder> <destination folder>
//
// Prints one line: "files=N bytes=B seconds=S mb_per_s=X files_per_s=Y".
#include <cstdio>
#include <memory>
#include <string>

#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "install/CopySourceTree.h"
#include "platform/win32/Win32Os.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Undef.h"

namespace setup {
namespace {

class CountingProgress final : public ProgressWindow {
public:
    int Create() override { return 1; }
    void Show() override {}
    void SetRange(int32_t, int32_t) override {}
    void SetStep(int32_t) override {}
    int32_t SetPos(int32_t) override { return 0; }
    int32_t StepIt() override { return steps++; }
    void SetStatusText(const std::string&) override {}
    void DestroyWindow() override {}

    int32_t steps = 0;
};

class NoPreparing final : public PreparingWindow {
public:
    int Create() override { return 1; }
    void Show() override {}
    void DestroyWindow() override {}
};

// Messages go to the console; the pump runs as in the program, over no window.
class ConsoleUi final : public Ui {
public:
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
    }
    std::unique_ptr<ProgressWindow> NewProgressWindow(int) override {
        return std::make_unique<CountingProgress>();
    }
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override {
        return std::make_unique<NoPreparing>();
    }
};

// Files and bytes below `folder`, to report against.
void Measure(const std::wstring& folder, long long& files, long long& bytes) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Measure(folder + L"\\" + name, files, bytes);
        } else {
            ++files;
            bytes += (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

int Run(const std::wstring& source, const std::wstring& destination) {
    long long files = 0;
    long long bytes = 0;
    Measure(source, files, bytes);

    SetupContext ctx;
    Win32Os os;
    ConsoleUi ui;
    SetupEnv env{ctx, os, ui};
    CountingProgress progress;
    const std::string base = Narrow(source);
    // Everything below the source lands below the destination, subfolders
    // keeping their paths relative to it.
    LARGE_INTEGER frequency{}, start{}, end{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const int ok = CopySourceTree(env, base, base + "\\*.*", "", Narrow(destination), progress);
    ::QueryPerformanceCounter(&end);
    if (!ok) {
        std::fprintf(stderr, "copy failed\n");
        return 1;
    }
    if (progress.steps != files) {
        std::fprintf(stderr, "copied %d files of %lld\n", progress.steps, files);
        return 1;
    }
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    std::printf("files=%lld bytes=%lld seconds=%.3f mb_per_s=%.1f files_per_s=%.0f\n", files, bytes,
                seconds, static_cast<double>(bytes) / 1048576.0 / seconds,
                static_cast<double>(files) / seconds);
    return 0;
}

}  // namespace
}  // namespace setup

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_copy <source folder> <destination folder>\n");
        return 2;
    }
    std::wstring source = argv[1];
    std::wstring destination = argv[2];
    while (!source.empty() && source.back() == L'\\') source.pop_back();
    while (!destination.empty() && destination.back() == L'\\') destination.pop_back();
    return setup::Run(source, destination);
}
