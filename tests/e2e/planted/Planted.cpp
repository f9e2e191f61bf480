// A DLL planted beside Setup.exe under a system DLL's name: whenever a
// process loads it, it appends "<process> loaded <this DLL>" to
// C:\e2e\planted-by-<process file name>.txt.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t process[MAX_PATH] = {}, dll[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, process, MAX_PATH);
    ::GetModuleFileNameW(self, dll, MAX_PATH);
    const std::wstring processPath = process;
    const std::wstring line = processPath + L" loaded " + dll + L"\r\n";
    const std::wstring log = L"C:\\e2e\\planted-by-" +
                             processPath.substr(processPath.find_last_of(L'\\') + 1) + L".txt";
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                    nullptr);
        ::CloseHandle(file);
    }
    return TRUE;
}
