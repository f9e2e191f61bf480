// Measuring benchmark: sizes a folder tree with the walk that sizes the setup
// types (MeasureTree) on the real Os.
//
//   bench_measure <folder>
//
// Prints one line: "files=N bytes=B seconds=S files_per_s=Y pumps=P
// max_gap_ms=G peak_ws_mib=M" (see bench_copy).
#include <cstdio>
#include <string>

#include "BenchUi.h"
#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "platform/win32/Win32Text.h"
#include "system/MeasureTree.h"

namespace setup {
namespace {

int Run(const std::wstring& folder) {
    SetupContext ctx;
    Win32Os os;
    ConsoleUi ui;
    SetupEnv env{ctx, os, ui};
    ui.Start();
    const double start = Now();
    const int64_t bytes = MeasureTree(env, Narrow(folder) + "\\*.*", 0);
    const double seconds = Now() - start;
    ui.Stop();
    if (bytes < 0) {
        std::fprintf(stderr, "measuring failed\n");
        return 1;
    }
    const long long files = ctx.FileCounts[0];
    std::printf(
        "files=%lld bytes=%lld seconds=%.3f files_per_s=%.0f pumps=%lld max_gap_ms=%.1f "
        "peak_ws_mib=%.1f\n",
        files, static_cast<long long>(bytes), seconds, static_cast<double>(files) / seconds,
        ui.pumps, ui.longestGap * 1000.0, PeakWorkingSetMiB());
    return 0;
}

}  // namespace
}  // namespace setup

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_measure <folder>\n");
        return 2;
    }
    std::wstring folder = argv[1];
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return setup::Run(folder);
}
