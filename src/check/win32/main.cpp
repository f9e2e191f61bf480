// SetupCheck.exe: the author's checker as a Windows console program. The
// simulated machine takes its rules of text from this Windows.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "check/CheckMain.h"
#include "core/Text.h"

namespace {

class Win32Text final : public setup::SimulatedText {
public:
    Win32Text() : upper_(0x10000, u'\0') {
        for (unsigned c = 0; c < 0x10000; ++c) {
            wchar_t unit = static_cast<wchar_t>(c);
            // Surrogates have no case of their own.
            if (c < 0xD800 || c > 0xDFFF) ::CharUpperBuffW(&unit, 1);
            upper_[c] = static_cast<char16_t>(unit);
        }
    }
    const std::u16string& UpperTable() const override { return upper_; }
    char16_t DoubleByte(uint8_t lead, uint8_t trail) const override {
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        wchar_t unit = 0;
        return ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 2, &unit, 1) == 1
                   ? static_cast<char16_t>(unit)
                   : 0;
    }

private:
    std::u16string upper_;
};

void Put(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // UTF-8 bytes as they are: no code page and no CR added to a line end.
    ::SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg(argv[i]);
        args.push_back(setup::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    static const Win32Text text;
    std::string out, err;
    const int status = setup::RunSetupCheck(args, text, out, err);
    Put(stdout, out);
    Put(stderr, err);
    return status;
}
