#include "core/ScriptReader.h"

#include <cstdint>

namespace setup {

namespace {

// A script line is read in pieces of at most 779 bytes, newline included: a
// longer physical line arrives as several lines.
constexpr size_t kLinePieceBytes = 779;

// Reads decimal digits (or octal ones, for the "%O"/"%l" forms when the first
// digit is 0) from line[pos]. Overflow wraps modulo 2^32, in unsigned
// arithmetic so that it is defined.
int32_t ReadDigits(std::string_view line, size_t& pos, bool octalWhenLeadingZero) {
    const uint32_t base = (octalWhenLeadingZero && pos < line.size() && line[pos] == '0') ? 8 : 10;
    uint32_t value = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
        value = value * base + static_cast<uint32_t>(line[pos] - '0');
        ++pos;
    }
    return static_cast<int32_t>(value);
}

int SectionNumber(const std::string& name) {
    if (name == "Setup") return kSectionSetup;
    if (name == "Files") return kSectionFiles;
    if (name == "Registory") return kSectionRegistory;
    if (name == "Uninstall") return kSectionUninstall;
    return kSectionNone;
}

struct SetupField {
    const char* key;
    std::string SetupContext::*member;
};
const SetupField kSetupFields[] = {
        {"TITLE_BMP", &SetupContext::TITLE_BMP},
        {"BRAND_NAME", &SetupContext::BRAND_NAME},
        {"GAME_NAME", &SetupContext::GAME_NAME},
        {"MENU_NAME", &SetupContext::MENU_NAME},
        {"INSTALL_DIR", &SetupContext::INSTALL_DIR},
        {"REG_ROOT_KEY_NAME", &SetupContext::REG_ROOT_KEY_NAME},
        {"GAME_EXE_NAME", &SetupContext::GAME_EXE_NAME},
};

void StoreSetupValue(SetupContext& ctx, const std::string& key, const std::string& value) {
    for (const SetupField& field : kSetupFields) {
        if (key == field.key) {
            ctx.*field.member = value;
            return;
        }
    }
}

}  // namespace

bool IsSetupKey(const std::string& key) {
    for (const SetupField& field : kSetupFields) {
        if (key == field.key) return true;
    }
    return false;
}

int ScanLine(std::string_view line, std::string_view format,
             const std::vector<ScanTarget>& targets, ScanResult* result) {
    size_t pos = 0;
    size_t next = 0;
    bool quoted = false;  // spans fields: a quote left open runs on to the end of the line
    bool lost = false;    // a separator was not found: the fields after it are not given
    ScanResult scan;
    const auto nextTarget = [&]() -> const ScanTarget* {
        return next < targets.size() ? &targets[next++] : nullptr;
    };

    for (size_t f = 0; f < format.size(); ++f) {
        if (format[f] != '%') {
            const size_t at = line.find(format[f], pos);
            lost = lost || at == std::string_view::npos;
            pos = at == std::string_view::npos ? line.size() : at + 1;
            continue;
        }
        if (f + 1 >= format.size()) break;
        const char conversion = format[++f];
        if (conversion == 's' || conversion == 'd') {
            ++scan.wanted;
            if (!lost) ++scan.fields;
        }
        if (conversion == 's') {
            const ScanTarget* target = nextTarget();
            const bool hasStop = f + 1 < format.size();
            const char stop = hasStop ? format[f + 1] : '\0';
            std::string field;
            for (; pos < line.size(); ++pos) {
                const char byte = line[pos];
                if (hasStop && !quoted && byte == stop) break;
                if (byte == '"') {
                    quoted = !quoted;
                    continue;
                }
                field += byte;
            }
            if (target && target->text) *target->text = std::move(field);
        } else if (conversion == 'd' || conversion == 'O' || conversion == 'l') {
            if (conversion == 'l' && f + 1 < format.size()) ++f;  // "%l" takes one more character
            const ScanTarget* target = nextTarget();
            const int32_t value = ReadDigits(line, pos, conversion != 'd');
            if (target && target->number) *target->number = value;
        }
        // Any other conversion takes no destination and consumes nothing.
    }
    scan.openQuote = quoted;
    if (result) *result = scan;
    return 0;
}

std::vector<std::string> SplitScriptLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string piece;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char byte = bytes[i];
        if (byte == '\x1A') break;  // text mode: Ctrl-Z ends the file
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            byte = '\n';
            ++i;
        }
        piece += byte;
        if (byte == '\n' || piece.size() == kLinePieceBytes) {
            lines.push_back(std::move(piece));
            piece.clear();
        }
    }
    if (!piece.empty()) lines.push_back(std::move(piece));
    return lines;
}

EntryAction ParseEntryAction(int section, const std::string& word) {
    static const struct {
        int section;
        const char* word;
        EntryAction action;
    } kWords[] = {
        {kSectionFiles, "COPY DIR", EntryAction::kCopyDir},
        {kSectionRegistory, "CREATE KEY", EntryAction::kCreateKey},
        {kSectionRegistory, "CREATE REG", EntryAction::kCreateReg},
        {kSectionUninstall, "DELETE FILE", EntryAction::kDeleteFile},
        {kSectionUninstall, "DELETE DIR", EntryAction::kDeleteDir},
        {kSectionUninstall, "DELETE REG", EntryAction::kDeleteReg},
        {kSectionUninstall, "DELETE MENU", EntryAction::kDeleteMenu},
    };
    for (const auto& known : kWords) {
        if (known.section == section && word == known.word) return known.action;
    }
    return section == kSectionFiles ? EntryAction::kCopy : EntryAction::kUnknown;
}

int ReadSetupScript(SetupEnv& env, ScriptLists& lists, int section,
                    std::vector<ScriptLine>* lines) {
    SetupContext& ctx = env.ctx;
    std::string bytes;
    if (!env.os.ReadFile("Setup.inf", bytes)) {
        env.ui.AppMessageBox("Failed to open inf file.", mb::OK);
        return 0;
    }
    ctx.Trace("\n");

    int current = kSectionNone;
    int number = 1;
    for (const std::string& raw : SplitScriptLines(bytes)) {
        const int lineNumber = number;
        if (!raw.empty() && raw.back() == '\n') ++number;
        // Lines are cut on the raw bytes; only then is the text decoded, so
        // every rule below sees characters, never half of one. A NUL byte
        // ends the line: past it no path or name could reach the system as
        // it was checked here.
        const std::string line =
            env.os.DecodeCp932(std::string_view(raw).substr(0, raw.find('\0')));
        if (line.empty() || line[0] == '\n' || line[0] == ';') continue;
        ScriptLine* note = nullptr;
        if (lines) {
            lines->push_back(ScriptLine{});
            note = &lines->back();
            note->number = lineNumber;
            note->text = line.substr(0, line.find('\n'));
            note->section = current;
        }
        if (line[0] == '[') {
            std::string name;
            ScanLine(line, "[%s]\n", {name}, note ? &note->scan : nullptr);
            current = SectionNumber(name);
            if (note) {
                note->kind = ScriptLineKind::kHeader;
                note->section = current;
                note->name = name;
            }
            continue;
        }
        if (current == kSectionNone || (section != kSectionAll && current != section)) {
            if (note) note->kind = ScriptLineKind::kOutside;
            continue;
        }
        ScanResult* scan = note ? &note->scan : nullptr;

        switch (current) {
        case kSectionSetup: {
            std::string key, value;
            ScanLine(line, "%s=%s\n", {key, value}, scan);
            if (note) note->name = key;
            ctx.Trace("%s: %s\n", key.c_str(), value.c_str());
            StoreSetupValue(ctx, key, value);
            break;
        }
        case kSectionFiles: {
            FileEntry e;
            ScanLine(line, "%s:%s:%d:%d:%d:%s:%s\n",
                     {e.Action, e.Source, e.TypeFlags[0], e.TypeFlags[1], e.TypeFlags[2], e.Target,
                      e.LinkName},
                     scan);
            if (note) note->entry = static_cast<int>(lists.Files.size());
            ctx.Trace("FILES : %s:%s:%d:%d:%d:%s:%s\n", e.Action.c_str(), e.Source.c_str(),
                      e.TypeFlags[0], e.TypeFlags[1], e.TypeFlags[2], e.Target.c_str(),
                      e.LinkName.c_str());
            e.Kind = ParseEntryAction(kSectionFiles, e.Action);
            e.Line = lineNumber;
            lists.Files.push_back(std::move(e));
            break;
        }
        case kSectionRegistory: {
            RegistryEntry e;
            ScanLine(line, "%s:%s:%d:%d:%d:%d:%s\n",
                     {e.Action, e.KeyPath, e.TypeFlags[0], e.TypeFlags[1], e.TypeFlags[2], e.Number,
                      e.Text},
                     scan);
            if (note) note->entry = static_cast<int>(lists.Registry.size());
            ctx.Trace("REG : %s:%s:%d:%d:%d:%d:%s\n", e.Action.c_str(), e.KeyPath.c_str(),
                      e.TypeFlags[0], e.TypeFlags[1], e.TypeFlags[2], e.Number, e.Text.c_str());
            e.Kind = ParseEntryAction(kSectionRegistory, e.Action);
            e.Line = lineNumber;
            lists.Registry.push_back(std::move(e));
            break;
        }
        case kSectionUninstall: {
            UninstallEntry e;
            ScanLine(line, "%s:%s\n", {e.Action, e.Target}, scan);
            if (note) note->entry = static_cast<int>(lists.Uninstall.size());
            ctx.Trace("UNINST : %s:%s\n", e.Action.c_str(), e.Target.c_str());
            e.Kind = ParseEntryAction(kSectionUninstall, e.Action);
            e.Line = lineNumber;
            lists.Uninstall.push_back(std::move(e));
            break;
        }
        default:
            break;
        }
    }
    return 1;
}

}  // namespace setup
