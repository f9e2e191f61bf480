// e2e_game: stands in for the installed game. It leaves started.txt beside
// itself, with its command line and current folder, and ends at once, so a
// test can prove the launcher started it and from where.
#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // 32767 characters is the longest path Windows has.
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    if (self.empty() || self.size() == 32768) return 1;
    const std::wstring marker = self.substr(0, self.find_last_of(L'\\') + 1) + L"started.txt";

    std::wstring current(::GetCurrentDirectoryW(0, nullptr), L'\0');
    current.resize(::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));

    std::ofstream out(marker.c_str(), std::ios::binary);
    out << "cmdline=" << Utf8(::GetCommandLineW()) << "\ncwd=" << Utf8(current) << "\n";
    out.close();
    return out.fail() ? 1 : 0;
}
