#include "core/CommandLine.h"

#include <cctype>

#include "core/SetupContext.h"

namespace setup {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// ASCII comparison without case: the option names are ASCII.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

bool EqualsNoCase(std::string_view text, std::string_view word) {
    return text.size() == word.size() && StartsWithNoCase(text, word);
}

int32_t SetupTypeNamed(std::string_view name) {
    if (EqualsNoCase(name, "minimum")) return kSetupMinimum;
    if (EqualsNoCase(name, "standard")) return kSetupStandard;
    if (EqualsNoCase(name, "full")) return kSetupFull;
    return -1;
}

// One argument from `at`, its quotes taken away; `at` moves past it.
std::string NextArgument(std::string_view text, size_t& at) {
    std::string argument;
    bool quoted = false;
    for (; at < text.size() && (quoted || !IsSpace(text[at])); ++at) {
        if (text[at] == '"') {
            quoted = !quoted;
        } else {
            argument += text[at];
        }
    }
    return argument;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view arguments) {
    CommandLine line;
    size_t at = 0;
    for (;;) {
        while (at < arguments.size() && IsSpace(arguments[at])) ++at;
        if (at >= arguments.size()) break;
        if (StartsWithNoCase(arguments.substr(at), "/D=")) {
            std::string_view rest = arguments.substr(at + 3);
            while (!rest.empty() && IsSpace(rest.back())) rest.remove_suffix(1);
            line.folder = std::string(rest);
            if (line.folder.empty() && line.unknown.empty()) line.unknown = "/D=";
            break;
        }
        const std::string argument = NextArgument(arguments, at);
        if (EqualsNoCase(argument, "/S")) {
            line.silent = true;
        } else if (EqualsNoCase(argument, "/UNINSTALL")) {
            line.uninstall = true;
        } else if (argument == "/?") {
            line.help = true;
        } else if (StartsWithNoCase(argument, "/TYPE=") &&
                   SetupTypeNamed(std::string_view(argument).substr(6)) >= 0) {
            line.setupType = SetupTypeNamed(std::string_view(argument).substr(6));
        } else if (StartsWithNoCase(argument, "/LOG=") && argument.size() > 5) {
            line.logPath = argument.substr(5);
        } else if (StartsWithNoCase(argument, "/CLEANUP=") && argument.size() > 9) {
            line.cleanupFolder = argument.substr(9);
        } else if (line.unknown.empty()) {
            line.unknown = argument.empty() ? "\"\"" : argument;
        }
    }
    return line;
}

}  // namespace setup
