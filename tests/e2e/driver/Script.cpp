#include "Script.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace e2e {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          size);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                          size, nullptr, nullptr);
    return narrow;
}

std::string Unescape(const std::string& text) {
    std::string out = text;
    for (size_t at = out.find("\\n"); at != std::string::npos; at = out.find("\\n", at + 1)) {
        out.replace(at, 2, "\n");
    }
    return out;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return out + "\"";
}

bool ParseNumber(const std::string& word, unsigned long& value) {
    if (word.empty() || word[0] == '-' || word[0] == '+' || word[0] == ' ') return false;
    char* end = nullptr;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const unsigned long parsed = std::strtoul(word.c_str(), &end, hex ? 16 : 10);
    if (end == nullptr || *end != '\0') return false;
    value = parsed;
    return true;
}

// Splits one line; false when a quote is not closed.
static bool SplitLine(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        if (c == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string::npos) return false;
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        const size_t end = std::min(line.find_first_of(" \t\r", i), line.size());
        words.push_back(line.substr(i, end - i));
        i = end;
    }
    return true;
}

void Print(const std::string& text) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        const std::wstring wide = Widen(text + "\n");
        ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Redirected output stays UTF-8, as the runner's log expects.
    const std::string line = text + "\n";
    ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool ReadScenario(const std::wstring& path, std::vector<Step>& steps, std::string& error) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        error = "cannot open the scenario " + Narrow(path);
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        // An editor's byte order mark is not part of the first step.
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Step step;
        step.line = number;
        step.text = line;
        if (!SplitLine(line, step.words)) {
            error = "line " + std::to_string(number) + ": unclosed quote: " + line;
            return false;
        }
        if (!step.words.empty()) steps.push_back(std::move(step));
    }
    return true;
}

}  // namespace e2e
