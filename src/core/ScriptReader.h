// The setup script (Setup.inf, code page 932) and its line scanner.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/SetupEnv.h"

namespace setup {

enum ScriptSection : int {
    kSectionAll = -1,
    kSectionNone = 0,
    kSectionSetup = 1,
    kSectionFiles = 2,
    kSectionRegistory = 3,
    kSectionUninstall = 4,
};

// The placeholders a script's targets and texts may use.
constexpr char kInstallDirPlaceholder[] = "<INSTALL DIR>";
constexpr char kCurrentDirPlaceholder[] = "<CURRENT DIR>";
constexpr char kMenuDirPlaceholder[] = "<MENU DIR>";  // [Uninstall] only
constexpr char kRegRootPlaceholder[] = "<REG ROOT>";  // [Uninstall] only

// What an entry's action word means, read once with the entry: the words
// are compared exactly and with case, and any other word is kUnknown, which
// every phase passes over.
enum class EntryAction {
    kUnknown,
    kCopy,     // any [Files] word but "COPY DIR" ("COPY" by convention)
    kCopyDir,  // "COPY DIR"
    kCreateKey,
    kCreateReg,
    kDeleteFile,
    kDeleteDir,
    kDeleteReg,
    kDeleteMenu,
};

// The meaning of `word` in `section` (kSectionFiles, kSectionRegistory or
// kSectionUninstall).
EntryAction ParseEntryAction(int section, const std::string& word);

struct FileEntry {
    std::string Action;
    std::string Source;
    int32_t TypeFlags[3] = {};
    std::string Target;
    std::string LinkName;
    EntryAction Kind = EntryAction::kCopy;  // what Action means
    int32_t Line = 0;                       // its line in the script, from 1
};

struct RegistryEntry {
    std::string Action;
    std::string KeyPath;
    int32_t TypeFlags[3] = {};
    std::string Text;
    int32_t Number = 0;
    EntryAction Kind = EntryAction::kUnknown;
    int32_t Line = 0;
};

struct UninstallEntry {
    std::string Action;
    std::string Target;
    EntryAction Kind = EntryAction::kUnknown;
    int32_t Line = 0;
};

// The three entry lists, each in file order.
struct ScriptLists {
    std::vector<FileEntry> Files;
    std::vector<RegistryEntry> Registry;
    std::vector<UninstallEntry> Uninstall;
};

// One destination of ScanLine: a text for "%s", an integer for "%d".
struct ScanTarget {
    std::string* text = nullptr;
    int32_t* number = nullptr;
    ScanTarget(std::string& t) : text(&t) {}
    ScanTarget(int32_t& n) : number(&n) {}
};

// What a scan found, for the author's checker: how many of the format's
// fields the line gave (a field is given when every separator before it was
// found), and whether a double quote was left open.
struct ScanResult {
    int fields = 0;
    int wanted = 0;  // the format's fields
    bool openQuote = false;
};

// Splits one line by a format of literals, "%s" and "%d". Always returns 0.
int ScanLine(std::string_view line, std::string_view format,
             const std::vector<ScanTarget>& targets, ScanResult* result = nullptr);

// The keys a [Setup] line may give; any other is ignored.
bool IsSetupKey(const std::string& key);

// What the reader made of one line, for the author's checker.
enum class ScriptLineKind {
    kHeader,   // "[...": selects `section` (kSectionNone for an unknown name)
    kOutside,  // a data line where no known section is selected: ignored
    kData,     // a data line of `section`
};
struct ScriptLine {
    int number = 0;  // the line in the file, from 1; the pieces of a long line share it
    ScriptLineKind kind = ScriptLineKind::kData;
    int section = kSectionNone;
    std::string text;  // decoded, without its newline
    std::string name;  // a header's name; a [Setup] line's key
    ScanResult scan;   // a data line of a known section
    int entry = -1;    // a list section's line: its index in that list
};

// Splits raw script bytes into the lines the reader sees: text-mode reading
// (CR LF becomes LF, Ctrl-Z ends the file) in pieces of at most 779 bytes.
std::vector<std::string> SplitScriptLines(std::string_view bytes);

// Reads "Setup.inf" from the current directory and keeps the lines of one
// section (or all, -1). 1 when read to its end, 0 when it cannot be opened.
// With `lines`, every line that is no comment and not empty is described
// there too.
int ReadSetupScript(SetupEnv& env, ScriptLists& lists, int section,
                    std::vector<ScriptLine>* lines = nullptr);

}  // namespace setup
