// Start-up benchmark: the time from starting a program to its first visible
// top-level window.
//
//   bench_startup <rounds> <program.exe>...
//
// Each round starts every program once, in turn, from its own folder (a
// medium's Setup.exe finds its script there), waits until one of its
// top-level windows is visible, then ends it. Prints one line a start:
// "program=P ms=T". Exits 1 when a program ends or shows nothing within 30 s.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD process;
    bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == search->process && ::IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

double Seconds() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds until `program` shows a window, or a negative number.
double StartUp(const std::wstring& program) {
    const std::wstring folder = program.substr(0, program.find_last_of(L"\\/"));
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double start = Seconds();
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        return -1;
    }
    Search search{process.dwProcessId, false};
    double elapsed = -1;
    while (Seconds() - start < 30) {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            elapsed = (Seconds() - start) * 1000;
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup <rounds> <program.exe>...\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    for (int round = 0; round < rounds; ++round) {
        for (int p = 2; p < argc; ++p) {
            const double ms = StartUp(argv[p]);
            if (ms < 0) {
                std::fprintf(stderr, "bench_startup: %ls showed no window\n", argv[p]);
                return 1;
            }
            const std::wstring program = argv[p];
            std::printf("program=%ls ms=%.1f\n",
                        program.substr(program.find_last_of(L"\\/") + 1).c_str(), ms);
        }
    }
    return 0;
}
