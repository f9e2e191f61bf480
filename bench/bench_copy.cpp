// Copy benchmark: copies a folder tree with the installation's tree copy on
// the real Os and prints the throughput. A progress window stand-in counts
// the steps and pumps the messages as the program's own does, but draws
// nothing, so the figure is the copy's own cost.
//
//   bench_copy <source folder> <destination folder>
//
// Prints one line: "files=N bytes=B seconds=S mb_per_s=X files_per_s=Y
// pumps=P max_gap_ms=G gap_after_pump=K peak_ws_mib=M": P message pumps during
// the copy, G the longest time without one (ending after K pumps), M the
// process's peak working set.
#include <cstdio>
#include <string>

#include "BenchUi.h"
#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "install/CopySourceTree.h"
#include "system/MeasureTree.h"
#include "platform/win32/Win32Text.h"

namespace setup {
namespace {

int Run(const std::wstring& source, const std::wstring& destination) {
    SetupContext ctx;
    Win32Os os;
    ConsoleUi ui;
    SetupEnv env{ctx, os, ui};
    CountingProgress progress(&ui);
    const std::string base = Narrow(source);
    // The files and bytes to report against, as the installation measures them.
    const long long bytes = MeasureTree(env, base + "\\*.*", 0);
    const long long files = ctx.FileCounts[0];
    // Everything below the source lands below the destination, subfolders
    // keeping their paths relative to it; one run's folder cache, as the
    // installation keeps one.
    FolderCache made;
    ui.Start();
    const double start = Now();
    const int ok =
        CopySourceTree(env, base, base + "\\*.*", "", Narrow(destination), progress, &made);
    const double seconds = Now() - start;
    ui.Stop();
    if (!ok) {
        std::fprintf(stderr, "copy failed\n");
        return 1;
    }
    if (progress.steps != files) {
        std::fprintf(stderr, "copied %d files of %lld\n", progress.steps, files);
        return 1;
    }
    std::printf(
        "files=%lld bytes=%lld seconds=%.3f mb_per_s=%.1f files_per_s=%.0f pumps=%lld "
        "max_gap_ms=%.1f gap_after_pump=%lld peak_ws_mib=%.1f\n",
        files, bytes, seconds, static_cast<double>(bytes) / 1048576.0 / seconds,
        static_cast<double>(files) / seconds, ui.pumps, ui.longestGap * 1000.0, ui.longestGapEnd,
        PeakWorkingSetMiB());
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
