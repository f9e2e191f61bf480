#include "check/ScriptChecks.h"

#include <cstring>
#include <map>

#include "check/Checker.h"
#include "core/Text.h"

namespace setup {

namespace {

// How many bytes the UTF-8 sequence at `i` takes; 0 when there is none.
size_t Utf8Sequence(const std::string& bytes, size_t i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    const size_t length = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (length == 0 || b > 0xF4 || i + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

void CheckEncoding(std::string bytes, const SimulatedText& text, Findings& out) {
    // The program reads up to a Ctrl-Z, as text mode does.
    bytes = bytes.substr(0, bytes.find('\x1A'));
    const char* hint = "save it as Shift_JIS (code page 932)";
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        Add(out, Severity::kError, "script-encoding", kScript, 1,
            std::string("the script is saved as UTF-8 with a byte order mark: Setup.exe reads "
                        "code page 932, so the first line's first name is not what it looks like "
                        "and every Japanese text is garbled; ") + hint);
        return;
    }
    bool multiByte = false, utf8 = true;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<uint8_t>(bytes[i]) < 0x80) continue;
        const size_t length = Utf8Sequence(bytes, i);
        if (length == 0) {
            utf8 = false;
            break;
        }
        multiByte = true;
        i += length - 1;
    }
    if (utf8 && multiByte) {
        Add(out, Severity::kError, "script-encoding", kScript, 1,
            std::string("the script is saved as UTF-8: Setup.exe reads code page 932, so every "
                        "Japanese name, folder and text would be garbled; ") + hint);
        return;
    }
    // Line by line: a line pasted from a UTF-8 text, or bytes no character
    // of the code page has.
    int line = 1;
    for (size_t start = 0; start < bytes.size(); ++line) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        // A line is read in pieces of 779 bytes: the rest of a longer one is
        // a line of its own.
        size_t length = end - start;
        if (length > 0 && bytes[end - 1] == '\r') --length;
        if (length >= 779) {
            Add(out, Severity::kWarning, "script-long-line", kScript, line,
                Format("the line has %u bytes: Setup.exe reads it in pieces of 778 bytes and its "
                       "line end, each piece a line of its own",
                       static_cast<unsigned>(length)));
        }
        bool lineMultiByte = false, lineUtf8 = true;
        for (size_t i = start; i < end; ++i) {
            if (static_cast<uint8_t>(bytes[i]) < 0x80) continue;
            const size_t length = Utf8Sequence(bytes, i);
            if (length == 0 || i + length > end) {
                lineUtf8 = false;
                break;
            }
            lineMultiByte = lineMultiByte || length >= 3;
            i += length - 1;
        }
        if (lineUtf8 && lineMultiByte) {
            Add(out, Severity::kWarning, "script-encoding", kScript, line,
                std::string("this line is UTF-8: Setup.exe reads code page 932 and sees other "
                            "characters; ") + hint);
        } else {
            for (size_t i = start; i < end; ++i) {
                const auto b = static_cast<uint8_t>(bytes[i]);
                if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
                const bool pair = b >= 0x81 && b <= 0xFC && b != 0xA0 && i + 1 < end &&
                                  text.DoubleByte(b, static_cast<uint8_t>(bytes[i + 1])) != 0;
                if (!pair) {
                    Add(out, Severity::kWarning, "script-encoding", kScript, line,
                        Format("byte 0x%02X is no character of code page 932: Setup.exe reads "
                               "it as \"・\" or a private character; %s",
                               b, hint));
                    break;
                }
                ++i;
            }
        }
        start = end + 1;
    }
}

namespace {

const char* SectionName(int section) {
    switch (section) {
    case kSectionSetup: return "Setup";
    case kSectionFiles: return "Files";
    case kSectionRegistory: return "Registory";
    case kSectionUninstall: return "Uninstall";
    default: return "";
    }
}

// The known section a misspelt name stands for: the same but for case or
// blanks, or a letter or two apart.
const char* NearestSection(const std::string& name) {
    std::string bare;
    for (char c : name) {
        if (c != ' ' && c != '\t') bare += c;
    }
    for (int section = kSectionSetup; section <= kSectionUninstall; ++section) {
        const std::string known = SectionName(section);
        if (EqualsIgnoringAsciiCase(bare, known)) return SectionName(section);
        // Edit distance up to 2 ("Registry", "Uninstal").
        std::vector<size_t> row(known.size() + 1);
        for (size_t j = 0; j <= known.size(); ++j) row[j] = j;
        for (size_t i = 1; i <= bare.size(); ++i) {
            size_t diagonal = row[0];
            row[0] = i;
            for (size_t j = 1; j <= known.size(); ++j) {
                const size_t above = row[j];
                const bool same = (bare[i - 1] | 0x20) == (known[j - 1] | 0x20);
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
                diagonal = above;
            }
        }
        if (row[known.size()] <= 2) return SectionName(section);
    }
    return nullptr;
}

struct Placeholder {
    const char* text;
    // Where the run replaces it: the section and field (1-based, in line order).
    std::vector<std::pair<int, int>> fields;
};
const Placeholder kPlaceholders[] = {
    {kInstallDirPlaceholder, {{kSectionFiles, 6}, {kSectionRegistory, 7}, {kSectionUninstall, 2}}},
    {kCurrentDirPlaceholder, {{kSectionRegistory, 7}}},
    {kMenuDirPlaceholder, {{kSectionUninstall, 2}}},
    {kRegRootPlaceholder, {{kSectionUninstall, 2}}},
};

void CheckPlaceholders(const ScriptLine& line, const std::vector<std::string>& fields,
                       Findings& out) {
    for (size_t f = 0; f < fields.size(); ++f) {
        const std::string& field = fields[f];
        for (size_t at = field.find('<'); at != std::string::npos; at = field.find('<', at + 1)) {
            for (const Placeholder& p : kPlaceholders) {
                const std::string_view written(field.c_str() + at,
                                               std::min(field.size() - at, std::strlen(p.text)));
                if (!EqualsIgnoringAsciiCase(written, p.text)) continue;
                const bool replacedHere =
                    std::find(p.fields.begin(), p.fields.end(),
                              std::make_pair(line.section, static_cast<int>(f + 1))) !=
                    p.fields.end();
                if (written != p.text) {
                    Add(out, Severity::kWarning, "script-placeholder", kScript, line.number,
                        Format("\"%s\" is not replaced: placeholders are matched with case; "
                               "write %s",
                               std::string(written).c_str(), p.text));
                } else if (!replacedHere) {
                    Add(out, Severity::kWarning, "script-placeholder", kScript, line.number,
                        Format("%s is not replaced in this field: it stays as written", p.text));
                }
            }
        }
    }
}

}  // namespace

void CheckLines(const std::vector<ScriptLine>& lines, const ScriptLists& lists, Findings& out) {
    bool seenHeader = false;
    int ignoredFrom = 0, ignored = 0;
    const auto flushIgnored = [&] {
        if (ignored > 0) {
            Add(out, Severity::kNote, "script-ignored", kScript, ignoredFrom,
                Format("%d line%s from here on %s ignored: %s", ignored, ignored == 1 ? "" : "s",
                       ignored == 1 ? "is" : "are",
                       seenHeader ? "no known section is selected" : "no section has begun"));
        }
        ignored = 0;
    };
    std::map<std::string, int> setupKeys;  // key -> last line
    for (const ScriptLine& line : lines) {
        if (line.kind == ScriptLineKind::kHeader) {
            flushIgnored();
            seenHeader = true;
            if (line.section != kSectionNone) continue;
            const bool closed = line.text.find(']') != std::string::npos;
            const char* near = NearestSection(line.name);
            std::string message =
                !closed ? Format("section header \"%s\" is not closed with \"]\"", line.text.c_str())
                        : Format("unknown section [%s]", line.name.c_str());
            if (near && closed) message += Format(": did you mean [%s]?", near);
            if (near && !closed) message += Format(": write [%s]", near);
            Add(out, Severity::kError, "script-section", kScript, line.number,
                message + " The lines below it are ignored until the next known section.");
            continue;
        }
        if (line.kind == ScriptLineKind::kOutside) {
            if (ignored++ == 0) ignoredFrom = line.number;
            continue;
        }
        const std::string trimmed = line.text.substr(std::min(line.text.find_first_not_of(" \t"),
                                                              line.text.size()));
        if (!trimmed.empty() && trimmed[0] == '[') {
            Add(out, Severity::kError, "script-section", kScript, line.number,
                Format("a header must begin the line: \"%s\" is read as a data line of [%s]",
                       line.text.c_str(), SectionName(line.section)));
            continue;
        }
        if (line.scan.openQuote) {
            Add(out, Severity::kWarning, "script-quote", kScript, line.number,
                "a double quote is left open: the field runs on to the end of the line, "
                "separators and all");
        }
        std::vector<std::string> fields;
        const char* kind = nullptr;
        if (line.section == kSectionSetup) {
            if (line.scan.fields < 2) {
                Add(out, Severity::kWarning, "script-fields", kScript, line.number,
                    "a [Setup] line without \"=\" is ignored");
                continue;
            }
            if (!IsSetupKey(line.name)) {
                std::string message = Format("unknown [Setup] key \"%s\" is ignored", line.name.c_str());
                std::string bare;
                for (char c : line.name) {
                    if (c != ' ' && c != '\t') bare += c;
                }
                if (IsSetupKey(bare)) message += Format(": the blanks belong to it; write %s=", bare.c_str());
                Add(out, Severity::kWarning, "script-setup-key", kScript, line.number, message);
            } else {
                setupKeys[line.name] = line.number;
            }
            continue;
        }
        if (line.entry < 0) continue;
        const int32_t* flags = nullptr;
        EntryAction action = EntryAction::kUnknown;
        std::string word;
        int needed = 2;
        if (line.section == kSectionFiles) {
            const FileEntry& e = lists.Files[line.entry];
            fields = {e.Action, e.Source, "", "", "", e.Target, e.LinkName};
            flags = e.TypeFlags;
            action = e.Kind;
            word = e.Action;
            needed = 6;
            kind = "[Files]";
            if (e.Kind == EntryAction::kCopy && e.Action != "COPY") {
                Add(out, Severity::kWarning, "script-action", kScript, line.number,
                    Format("action \"%s\" is taken as COPY: only COPY DIR is told apart",
                           e.Action.c_str()));
            }
        } else if (line.section == kSectionRegistory) {
            const RegistryEntry& e = lists.Registry[line.entry];
            fields = {e.Action, e.KeyPath, "", "", "", "", e.Text};
            flags = e.TypeFlags;
            action = e.Kind;
            word = e.Action;
            needed = 5;
            kind = "[Registory]";
        } else if (line.section == kSectionUninstall) {
            const UninstallEntry& e = lists.Uninstall[line.entry];
            fields = {e.Action, e.Target};
            action = e.Kind;
            word = e.Action;
            kind = "[Uninstall]";
        }
        if (action == EntryAction::kUnknown) {
            std::string shown = word;
            if (!shown.empty() && shown.back() == '\n') shown.pop_back();
            Add(out, Severity::kWarning, "script-action", kScript, line.number,
                Format("unknown %s action \"%s\": the line does nothing", kind, shown.c_str()));
            continue;
        }
        if (line.scan.fields < needed) {
            Add(out, Severity::kWarning, "script-fields", kScript, line.number,
                Format("the line gives %d of its %d fields: the missing ones are empty or 0",
                       line.scan.fields, line.scan.wanted));
        }
        if (flags) {
            for (int t = 0; t < 3; ++t) {
                if (flags[t] != 0 && flags[t] != 1) {
                    Add(out, Severity::kWarning, "script-flags", kScript, line.number,
                        Format("type flag %d for %s is taken as 1: write 0 or 1", flags[t],
                               kTypeNames[t]));
                }
            }
            if (TypeMask(flags) == 0) {
                Add(out, Severity::kNote, "script-flags", kScript, line.number,
                    "the line belongs to no setup type");
            }
        }
        CheckPlaceholders(line, fields, out);
    }
    flushIgnored();
    static const char* const kRequired[] = {"TITLE_BMP",   "GAME_NAME",         "MENU_NAME",
                                            "INSTALL_DIR", "REG_ROOT_KEY_NAME", "GAME_EXE_NAME"};
    for (const char* key : kRequired) {
        if (setupKeys.count(key) == 0) {
            Add(out, Severity::kError, "script-setup-key", kScript, 0,
                Format("[Setup] has no %s", key));
        }
    }
}

int SetupKeyLine(const std::vector<ScriptLine>& lines, const char* key) {
    int last = 0;
    for (const ScriptLine& line : lines) {
        if (line.kind == ScriptLineKind::kData && line.section == kSectionSetup && line.name == key)
            last = line.number;
    }
    return last;
}

void CheckEmptySetupValues(const SetupContext& ctx, const std::vector<ScriptLine>& lines,
                           Findings& out) {
    const std::pair<const char*, const std::string*> values[] = {
        {"TITLE_BMP", &ctx.TITLE_BMP},       {"GAME_NAME", &ctx.GAME_NAME},
        {"MENU_NAME", &ctx.MENU_NAME},       {"INSTALL_DIR", &ctx.INSTALL_DIR},
        {"REG_ROOT_KEY_NAME", &ctx.REG_ROOT_KEY_NAME}, {"GAME_EXE_NAME", &ctx.GAME_EXE_NAME},
    };
    for (const auto& [key, value] : values) {
        const int last = SetupKeyLine(lines, key);
        if (last > 0 && (value->empty() || *value == "\n")) {
            Add(out, Severity::kError, "script-setup-key", kScript, last,
                Format("%s is empty", key));
        }
    }
}

}  // namespace setup
