#include "check/Checker.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <future>
#include <thread>

#include "app/CommandUi.h"
#include "app/ProgramActions.h"
#include "app/SetupApp.h"
#include "check/PlayerMachine.h"
#include "core/CommandLine.h"
#include "core/ScriptReader.h"
#include "core/Text.h"
#include "launch/Launch.h"
#include "resource.h"
#include "system/CopyPaths.h"
#include "system/FileUtil.h"
#include "system/MeasureTree.h"
#include "system/SystemProbe.h"
#include "system/TreeWalk.h"
#include "ui/TitleBitmap.h"
#include "ui/Wizard.h"
#include "uninstall/Uninstallation.h"

namespace setup {

const char* const kTypeNames[3] = {"minimum", "standard", "full"};

int CheckReport::Count(Severity severity) const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [&](const Finding& f) { return f.severity == severity; }));
}

namespace {

constexpr char kScript[] = "Setup.inf";
constexpr size_t kListed = 20;  // leftovers and long paths listed for each type

// The program's string table, as the resources hold it.
const struct {
    int id;
    const char* text;
} kStrings[] = {
#include "check/ResourceStrings.inc"
};

std::string LoadString(int id) {
    for (const auto& entry : kStrings) {
        if (entry.id == id) return entry.text;
    }
    return std::string();
}

// The screen of a run on the simulated machine: nothing is shown, every box
// is kept and answered OK (Yes for a question), the launcher exits and the
// wizard is cancelled.
class CheckUi final : public Ui {
public:
    std::vector<std::string> boxes;

    int AppMessageBox(const std::string& text, unsigned style) override {
        boxes.push_back(text);
        return (style & 0x0F) == mb::YESNO ? mb::IDYES_ : mb::IDOK_;
    }
    int DesktopMessageBox(const std::string& text, const std::string&, unsigned style) override {
        return AppMessageBox(text, style);
    }
    LauncherOutcome RunLauncher(const SetupContext&, const InstallFolderReader&) override {
        return LauncherOutcome{};
    }
    int RunInstallWizard(const SetupContext&, InstallFolderAccess&, WizardChoice&) override {
        return mb::IDCANCEL_;
    }
    void UnshownBox(const std::string& text) override { boxes.push_back(text); }
    void PumpMessages() override {}
    std::unique_ptr<ProgressWindow> NewProgressWindow(int) override {
        return std::make_unique<CommandUi::HiddenProgress>();
    }
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override {
        return std::make_unique<CommandUi::HiddenPreparing>();
    }
};

// A box's text on one line, in the brackets a Japanese text quotes with.
std::string Quoted(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return "「" + line + "」";
}

// "the minimum and full types", "every setup type".
std::string TypesText(unsigned mask) {
    if (mask == 7) return "every setup type";
    std::vector<std::string> names;
    for (int t = 0; t < 3; ++t) {
        if (mask & (1u << t)) names.push_back(kTypeNames[t]);
    }
    std::string text = "the " + names[0];
    for (size_t i = 1; i < names.size(); ++i)
        text += (i + 1 == names.size() ? " and " : ", ") + names[i];
    return text + (names.size() == 1 ? " type" : " types");
}

unsigned TypeMask(const int32_t flags[3]) {
    unsigned mask = 0;
    for (int t = 0; t < 3; ++t) {
        if (flags[t] != 0) mask |= 1u << t;
    }
    return mask;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto up = [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : +c; };
               return up(x) == up(y);
           });
}

// --- the script's text --------------------------------------------------

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

void CheckEmptySetupValues(const SetupContext& ctx, const std::vector<ScriptLine>& lines,
                           Findings& out) {
    const std::pair<const char*, const std::string*> values[] = {
        {"TITLE_BMP", &ctx.TITLE_BMP},       {"GAME_NAME", &ctx.GAME_NAME},
        {"MENU_NAME", &ctx.MENU_NAME},       {"INSTALL_DIR", &ctx.INSTALL_DIR},
        {"REG_ROOT_KEY_NAME", &ctx.REG_ROOT_KEY_NAME}, {"GAME_EXE_NAME", &ctx.GAME_EXE_NAME},
    };
    for (const auto& [key, value] : values) {
        int last = 0;
        for (const ScriptLine& line : lines) {
            if (line.section == kSectionSetup && line.name == key) last = line.number;
        }
        if (last > 0 && (value->empty() || *value == "\n")) {
            Add(out, Severity::kError, "script-setup-key", kScript, last,
                Format("%s is empty", key));
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

// --- the medium -----------------------------------------------------------

// Each source measured as the preparation measures it, once for the types it
// belongs to.
// The lines whose sources are missing.
std::set<int> CheckSources(Os& os, const ScriptLists& lists, Findings& out) {
    std::set<int> missingLines;
    const std::string base = kMediumDrive;
    for (size_t i = 0; i < lists.Files.size(); ++i) {
        const FileEntry& entry = lists.Files[i];
        const unsigned mask = TypeMask(entry.TypeFlags);
        if (mask == 0) continue;
        TreeSize size;
        std::string missing;
        if (MeasureTree(os, nullptr, CopySource(base, entry.Source), size, missing, {})) continue;
        const bool wildcard = entry.Source.find_first_of("*?") != std::string::npos;
        const int line = entry.Line;
        missingLines.insert(line);
        Add(out, Severity::kError, wildcard ? "medium-wildcard" : "medium-missing", kScript, line,
            Format("%s for %s: Setup.exe stops every install with %s",
                   wildcard ? Format("\"%s\" matches nothing", entry.Source.c_str()).c_str()
                            : Format("\"%s\" is not in the medium", entry.Source.c_str()).c_str(),
                   TypesText(mask).c_str(), Quoted(NotFoundForSetupMessage(missing)).c_str()));
    }
    return missingLines;
}

// The script with `lines` made comments: the round trip of a medium with a
// missing source goes on as if its lines were not there.
std::string WithoutLines(const std::string& bytes, const std::set<int>& lines) {
    std::string out;
    int line = 1;
    bool lineStart = true;
    for (const char c : bytes) {
        if (lineStart && lines.count(line)) out += ';';
        out += c;
        lineStart = c == '\n';
        if (lineStart) ++line;
    }
    return out;
}

void CheckTitleBitmap(Os& os, const SetupContext& ctx, const std::vector<ScriptLine>& lines,
                      Findings& out) {
    if (ctx.TITLE_BMP.empty()) return;
    CheckUi ui;
    TitleBitmap bitmap;
    if (LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bitmap)) return;
    Add(out, Severity::kError, "title-bitmap", kScript, SetupKeyLine(lines, "TITLE_BMP"),
        Format("the launcher refuses the title bitmap \"%s\" with %s", ctx.TITLE_BMP.c_str(),
               ui.boxes.empty() ? "no message" : Quoted(ui.boxes.back()).c_str()));
}

// Two entries of one type that put a file in the same place: the later one's
// copy stands.
void CheckDestinations(Os& os, const SetupContext& ctx, const ScriptLists& lists,
                       Findings& out) {
    class Plan : public CopyWalk {
    public:
        Plan(const std::string& base, const std::string& relative, const std::string& destRoot,
             const std::string& installFolder, std::vector<std::string>& out)
            : CopyWalk(base, relative, destRoot), installFolder_(installFolder), out_(out) {}
        bool Missing(const std::string&) override { return true; }
        bool File(const FindData& match) override {
            out_.push_back(DestinationFile(match.name, installFolder_));
            return true;
        }

    private:
        const std::string& installFolder_;
        std::vector<std::string>& out_;
    };
    const std::string base = kMediumDrive;
    const std::string installFolder = Format("%s\\%s", ctx.ProgramDir.c_str(), ctx.INSTALL_DIR.c_str());
    std::map<std::pair<int, int>, unsigned> pairs;  // (first line, second line) -> types
    std::map<std::pair<int, int>, std::string> example;
    for (int t = 0; t < 3; ++t) {
        std::map<std::string, int> writer;  // the place's uppercase -> entry
        for (size_t i = 0; i < lists.Files.size(); ++i) {
            const FileEntry& entry = lists.Files[i];
            if (entry.TypeFlags[t] == 0) continue;
            std::vector<std::string> places;
            const std::string relative =
                entry.Kind == EntryAction::kCopyDir ? entry.Source : std::string();
            Plan plan(base, relative, entry.Target, installFolder, places);
            WalkTree(os, CopySource(base, entry.Source), plan);
            std::set<std::string> own;
            for (const std::string& place : places) {
                std::string key = place;
                for (char& c : key) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                if (!own.insert(key).second) continue;
                const auto [at, first] = writer.emplace(key, static_cast<int>(i));
                if (first || at->second == static_cast<int>(i)) continue;
                const std::pair<int, int> both(at->second, static_cast<int>(i));
                pairs[both] |= 1u << t;
                example.emplace(both, place);
                at->second = static_cast<int>(i);
            }
        }
    }
    for (const auto& [both, mask] : pairs) {
        const int first = lists.Files[both.first].Line;
        Add(out, Severity::kWarning, "product-duplicate", kScript,
            lists.Files[both.second].Line,
            Format("this line and line %d both write %s for %s: this line's copy stands", first,
                   example[both].c_str(), TypesText(mask).c_str()));
    }
}

// --- the round trip -------------------------------------------------------

struct Run {
    int exitCode = 0;
    std::vector<std::string> boxes;
};

// The program started on the machine with `arguments`, as the player's
// shell would start it.
Run RunProgram(SimulatedOs& os, SetupContext& ctx, const std::string& arguments) {
    CheckUi screen;
    Run run;
    {
        SetupApp app(ctx, os, screen);
        ProgramActions actions(app);
        app.SetActions(&actions);
        app.SetCommandLine(ParseCommandLine(arguments));
        run.exitCode = app.InitInstance();
        app.ExitInstance();
    }
    run.boxes = screen.boxes;
    return run;
}

// Everything on drive C: and in the registry: "file C:\...", "folder C:\...",
// "key HKEY_...\..." and "value HKEY_...\...\name".
std::vector<std::string> Snapshot(SimulatedOs& os) {
    std::vector<std::string> out;
    std::function<void(const std::string&)> files = [&](const std::string& folder) {
        std::vector<FindData> found;
        if (!os.FindFiles(folder + "\\*", found)) return;
        for (const FindData& entry : found) {
            if (entry.name == "." || entry.name == "..") continue;
            const std::string path = folder + "\\" + entry.name;
            if (entry.attributes & win::FILE_ATTRIBUTE_DIRECTORY_) {
                out.push_back("folder " + path);
                if (!(entry.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT_)) files(path);
            } else {
                const bool link = entry.name.size() > 4 &&
                                  entry.name.compare(entry.name.size() - 4, 4, ".lnk") == 0 &&
                                  os.LinkAt(path);
                out.push_back((link ? "shortcut " : "file ") + path);
            }
        }
    };
    files("C:");
    std::function<void(RegKey, const std::string&, const std::string&)> keys =
        [&](RegKey root, const std::string& rootName, const std::string& key) {
            for (const std::string& name : os.SubKeys(root, key)) {
                const std::string path = key.empty() ? name : key + "\\" + name;
                out.push_back("key " + rootName + "\\" + path);
                for (const std::string& value : os.ValueNames(root, path))
                    out.push_back("value " + rootName + "\\" + path + "\\" + value);
                keys(root, rootName, path);
            }
        };
    keys(HKEY_CURRENT_USER_, "HKEY_CURRENT_USER", "");
    keys(HKEY_LOCAL_MACHINE_, "HKEY_LOCAL_MACHINE", "");
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Minus(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::string> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

// What one round trip found, kept in order until every trip has ended.
class TripNotes {
public:
    struct Item {
        Severity severity;
        const char* code;
        int line;
        std::string message;
        int type;
    };
    std::vector<Item> items;
    void Note(Severity severity, const char* code, int line, const std::string& message, int type) {
        items.push_back(Item{severity, code, line, message, type});
    }
};

// One finding for the types it holds for.
class ByType {
public:
    void Note(Severity severity, const char* code, int line, const std::string& message, int type) {
        auto [at, added] = index_.emplace(std::make_tuple(code, line, message), items_.size());
        if (added) items_.push_back(Item{severity, code, line, message, 0});
        items_[at->second].mask |= 1u << type;
    }
    void Flush(Findings& out) {
        for (const Item& item : items_) {
            Add(out, item.severity, item.code, kScript, item.line,
                Format("%s (%s)", item.message.c_str(), TypesText(item.mask).c_str()));
        }
    }

private:
    struct Item {
        Severity severity;
        const char* code;
        int line;
        std::string message;
        unsigned mask;
    };
    std::map<std::tuple<std::string, int, std::string>, size_t> index_;
    std::vector<Item> items_;
};

struct ScriptView {
    const ScriptLists& lists;
    const std::vector<ScriptLine>& lines;
    const std::set<int>& missingLines;  // made comments for the round trips
};

int InstallValueLine(const ScriptView& script) {
    for (size_t i = 0; i < script.lists.Registry.size(); ++i) {
        const RegistryEntry& e = script.lists.Registry[i];
        const std::string name = e.KeyPath.substr(e.KeyPath.find_last_of('\\') + 1);
        if (e.Kind == EntryAction::kCreateReg && EqualsIgnoringAsciiCase(name, "INSTALL"))
            return e.Line;
    }
    return 0;
}

// What the install of `type` made is the player's product: the game can be
// started, the shortcuts lead to installed files, no path is too long.
void CheckInstalled(SimulatedOs& os, SetupContext& ctx, const ScriptView& script,
                    const std::vector<std::string>& made, int type, TripNotes& found) {
    CheckUi ui;
    SetupEnv env{ctx, os, ui};
    std::string folder;
    FileIdentity written, installed;
    if (!ReadInstallFolder(env, folder)) {
        found.Note(Severity::kError, "product-install-value", InstallValueLine(script),
                   Format("the install writes no INSTALL value below HKEY_CURRENT_USER\\SOFTWARE\\%s: "
                          "the launcher cannot run or uninstall the product; write "
                          "CREATE REG:INSTALL:1:1:1:0:<INSTALL DIR> in [Registory]",
                          ctx.REG_ROOT_KEY_NAME.c_str()),
                   type);
    } else if (!os.GetFileIdentity(folder, written) ||
               !os.GetFileIdentity(ctx.InstallPath, installed) || written != installed) {
        found.Note(Severity::kError, "product-install-value", InstallValueLine(script),
                   Format("INSTALL holds \"%s\", not the install folder: Run and Uninstall use it "
                          "as the install folder; write <INSTALL DIR> as its text",
                          folder.c_str()),
                   type);
    }
    // The program the launcher would start, from the folder it would read.
    const std::string game = InstalledProgramPath(folder.empty() ? ctx.InstallPath : folder,
                                                  ctx.GAME_EXE_NAME);
    const uint32_t attributes = os.GetFileAttributes(game);
    if (attributes == win::INVALID_FILE_ATTRIBUTES_ ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY_)) {
        found.Note(Severity::kError, "product-game", SetupKeyLine(script.lines, "GAME_EXE_NAME"),
                   Format("GAME_EXE_NAME \"%s\" is not installed: Run fails with %s",
                          ctx.GAME_EXE_NAME.c_str(),
                          Quoted(Format("%s\nを実行できませんでした。", game.c_str())).c_str()),
                   type);
    }
    // Every shortcut the type's lines name, made where the menu folder is.
    const std::string menuFolder =
        Format("%s\\%s", ctx.UserProgramFolderDir.c_str(), ctx.MENU_NAME.c_str());
    for (const FileEntry& entry : script.lists.Files) {
        if (entry.TypeFlags[type] == 0 || entry.LinkName.empty() ||
            script.missingLines.count(entry.Line)) {
            continue;
        }
        const std::string link = menuFolder + "\\" + entry.LinkName + ".lnk";
        if (!os.LinkAt(link)) {
            found.Note(Severity::kError, "product-shortcut", entry.Line,
                       Format("the shortcut \"%s\" is not made: %s could not be written",
                              entry.LinkName.c_str(), link.c_str()),
                       type);
        }
    }
    size_t longPaths = 0;
    for (const std::string& item : made) {
        const size_t space = item.find(' ');
        const std::string path = item.substr(space + 1);
        if (item.compare(0, 9, "shortcut ") == 0) {
            const auto link = os.LinkAt(path);
            const uint32_t attributes = link ? os.GetFileAttributes(link->target) : 0;
            if (link && (attributes == win::INVALID_FILE_ATTRIBUTES_ ||
                         (attributes & win::FILE_ATTRIBUTE_DIRECTORY_))) {
                std::string name = path.substr(path.find_last_of('\\') + 1);
                name = name.substr(0, name.size() - 4);
                int line = 0;
                for (size_t i = 0; i < script.lists.Files.size() && line == 0; ++i) {
                    if (script.lists.Files[i].LinkName == name)
                        line = script.lists.Files[i].Line;
                }
                found.Note(Severity::kError, "product-shortcut", line,
                           Format("the shortcut \"%s\" leads to %s, which is not installed: write "
                                  "the target folder that holds the file and the file's name as "
                                  "the source",
                                  name.c_str(), link->target.c_str()),
                           type);
            }
        }
        if (item.compare(0, 7, "folder ") != 0 && Utf16Length(path) > 259 &&
            ++longPaths <= kListed) {
            found.Note(Severity::kWarning, "medium-path-length", 0,
                       Format("%s has %u characters, more than the classic limit of 259 under "
                              "the default install folder: programs that keep it cannot open it",
                              path.c_str(), static_cast<unsigned>(Utf16Length(path))),
                       type);
        }
    }
}

// `os`: a player's machine with the medium's script read in.
// The places the product takes on the machine: install folder, menu folder
// and product key.
struct Places {
    std::string installFolder, menuFolder, productKey;
};

void RoundTrip(SimulatedOs& os, const ScriptView& script, int type, TypeCheck& check,
               TripNotes& found, Places& places) {
    const std::string scriptPath = std::string(kMediumDrive) + "\\" + kScript;
    if (!script.missingLines.empty())
        os.AddFile(scriptPath, WithoutLines(os.FileContent(scriptPath), script.missingLines));
    SetupContext ctx;
    const std::vector<std::string> before = Snapshot(os);

    const Run install = RunProgram(os, ctx, Format("/S /TYPE=%s", kTypeNames[type]));
    places.installFolder = Format("%s\\%s", ctx.ProgramDir.c_str(), ctx.INSTALL_DIR.c_str());
    places.menuFolder = Format("%s\\%s", ctx.UserProgramFolderDir.c_str(), ctx.MENU_NAME.c_str());
    places.productKey = "HKEY_CURRENT_USER\\SOFTWARE\\" + ctx.REG_ROOT_KEY_NAME;
    check.files = ctx.FileCounts[type];
    check.bytes = ctx.RequiredBytes[type];
    if (install.exitCode != kActionDone) {
        std::string message = "the install stops";
        for (const std::string& box : install.boxes) message += " with " + Quoted(box);
        if (install.boxes.empty()) message += " without a message";
        found.Note(Severity::kError, "round-trip-install", 0, message, type);
        return;
    }
    check.installed = true;
    const std::vector<std::string> installed = Snapshot(os);
    const std::vector<std::string> made = Minus(installed, before);
    CheckInstalled(os, ctx, script, made, type, found);

    // Each uninstall target the install made, by what it is now.
    std::string folder;
    {
        CheckUi ui;
        SetupEnv env{ctx, os, ui};
        ReadInstallFolder(env, folder);
    }
    SetupContext targets = SetupContext();
    targets.TargetDir = folder;
    targets.UserProgramFolderDir = ctx.UserProgramFolderDir;
    targets.MENU_NAME = ctx.MENU_NAME;
    targets.REG_ROOT_KEY_NAME = ctx.REG_ROOT_KEY_NAME;
    for (size_t i = 0; i < script.lists.Uninstall.size(); ++i) {
        const UninstallEntry& entry = script.lists.Uninstall[i];
        const std::string target = UninstallTarget(targets, entry);
        if (target.empty()) continue;
        const bool exists = entry.Kind == EntryAction::kDeleteReg
                                ? os.KeyExists(HKEY_CURRENT_USER_, target)
                                : os.GetFileAttributes(target) != win::INVALID_FILE_ATTRIBUTES_;
        if (exists) continue;
        const std::string shown =
            entry.Kind == EntryAction::kDeleteReg ? "HKEY_CURRENT_USER\\" + target : target;
        check.neverMade.push_back(shown);
        found.Note(Severity::kWarning, "round-trip-never-made",
                   entry.Line,
                   Format("the uninstall names %s, which the install never made", shown.c_str()),
                   type);
    }

    SetupContext again;
    const Run uninstall = RunProgram(os, again, "/UNINSTALL /S");
    if (uninstall.exitCode != kActionDone) {
        std::string message = "the uninstall stops";
        for (const std::string& box : uninstall.boxes) message += " with " + Quoted(box);
        found.Note(Severity::kError, "round-trip-uninstall", 0, message, type);
    }
    check.uninstalled = uninstall.exitCode == kActionDone;
    check.leftovers = Minus(Snapshot(os), before);
    // After a failed uninstall everything is left; the failure says it.
    if (!check.uninstalled) return;
    const size_t shown = std::min(check.leftovers.size(), kListed);
    for (size_t i = 0; i < shown; ++i) {
        found.Note(Severity::kWarning, "round-trip-leftover", 0,
                   "left behind by the uninstall: " + check.leftovers[i], type);
    }
    if (check.leftovers.size() > shown) {
        found.Note(Severity::kWarning, "round-trip-leftover", 0,
                   Format("and %u more left behind by the uninstall",
                          static_cast<unsigned>(check.leftovers.size() - shown)),
                   type);
    }
}

}  // namespace

// The round trips of the standard and full types, each on a machine of its
// own made while the script is still being checked; they start once it has
// been (Start) or are given up (the destructor, on every way out).
class OtherTrips {
public:
    OtherTrips(const Medium& medium, const SimulatedText& text, CheckReport& report,
               TripNotes (&notes)[3], Places (&places)[3])
        : ready_(go_.get_future().share()) {
        for (int type = 1; type < 3; ++type) {
            threads_.emplace_back([&, type, ready = ready_] {
                SimulatedOs machine(text);
                MakePlayerMachine(medium, machine);
                ReadMediumContent(medium, machine, std::string(kMediumDrive) + "\\" + kScript);
                const ScriptView* script = ready.get();
                if (script)
                    RoundTrip(machine, *script, type, report.types[type], notes[type], places[type]);
            });
        }
    }
    ~OtherTrips() {
        if (!started_) go_.set_value(nullptr);
        Wait();
    }
    // `script` must stay until Wait.
    void Start(const ScriptView& script) {
        started_ = true;
        go_.set_value(&script);
    }
    void Wait() {
        for (std::thread& thread : threads_) thread.join();
        threads_.clear();
    }

private:
    bool started_ = false;

    std::promise<const ScriptView*> go_;
    std::shared_future<const ScriptView*> ready_;
    std::vector<std::thread> threads_;
};

CheckReport CheckMedium(const Medium& medium, const SimulatedText& text) {
    CheckReport report;
    report.findings = medium.findings;
    Findings& out = report.findings;
    TripNotes notes[3];
    Places places[3];
    OtherTrips others(medium, text, report, notes, places);

    SimulatedOs os(text);
    MakePlayerMachine(medium, os);
    const std::string scriptPath = std::string(kMediumDrive) + "\\" + kScript;
    if (!ReadMediumContent(medium, os, scriptPath)) {
        Add(out, Severity::kError, "script-missing", kScript, 0,
            "the medium has no Setup.inf: Setup.exe shows 「Failed to open inf file.」 and ends");
        return report;
    }
    CheckEncoding(os.FileContent(scriptPath), text, out);

    SetupContext ctx;
    CheckUi ui;
    SetupEnv env{ctx, os, ui};
    ScriptLists lists;
    std::vector<ScriptLine> lines;
    ReadSetupScript(env, lists, kSectionAll, &lines);
    CheckLines(lines, lists, out);
    CheckEmptySetupValues(ctx, lines, out);
    if (!ctx.TITLE_BMP.empty()) {
        ReadMediumContent(medium, os, std::string(kMediumDrive) + "\\" + ctx.TITLE_BMP);
        CheckTitleBitmap(os, ctx, lines, out);
    }
    const std::set<int> missingLines = CheckSources(os, lists, out);
    if (!missingLines.empty()) {
        std::string numbers;
        for (const int line : missingLines) numbers += (numbers.empty() ? "" : ", ") + std::to_string(line);
        Add(out, Severity::kNote, "round-trip-without", kScript, 0,
            Format("the round trips below run as if line%s %s were not there",
                   missingLines.size() == 1 ? "" : "s", numbers.c_str()));
    }
    // The three round trips side by side; the machine of the checks so far
    // is the first one's: they changed nothing on it but the medium's
    // contents read in. Meanwhile the duplicates, judged where the round
    // trips install.
    const ScriptView script{lists, lines, missingLines};
    others.Start(script);
    Findings duplicates;
    SystemFolders folders;
    std::vector<ProbeMessage> messages;
    ProbeSystem(os, nullptr, folders, messages);
    SetupContext probed;
    probed.ProgramDir = folders.ProgramDir;
    probed.INSTALL_DIR = ctx.INSTALL_DIR;
    CheckDestinations(os, probed, lists, duplicates);
    RoundTrip(os, script, 0, report.types[0], notes[0], places[0]);
    others.Wait();
    ByType found;
    for (const TripNotes& trip : notes) {
        for (const auto& item : trip.items)
            found.Note(item.severity, item.code, item.line, item.message, item.type);
    }
    const Places& shown = places[kSetupStandard];
    report.installFolder = shown.installFolder;
    report.menuFolder = shown.menuFolder;
    report.productKey = shown.productKey;
    out.insert(out.end(), duplicates.begin(), duplicates.end());
    found.Flush(out);

    SetupContext sizes;
    for (int type = 0; type < 3; ++type) sizes.RequiredBytes[type] = report.types[type].bytes;
    const TypePage page = ShowTypePage(sizes, WizardChoice(), LoadString);
    report.types[kSetupMinimum].sizeText = page.minimumSize;
    report.types[kSetupStandard].sizeText = page.standardSize;
    report.types[kSetupFull].sizeText = page.fullSize;
    return report;
}

}  // namespace setup
