#include "check/Checker.h"

#include <algorithm>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "app/CommandUi.h"
#include "app/ProgramActions.h"
#include "app/SetupApp.h"
#include "check/PlayerMachine.h"
#include "check/ScriptChecks.h"
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

constexpr size_t kListed = 20;  // leftovers and long paths listed for each type
// The launcher's area for the title bitmap at 100 %: its client area left of
// the buttons, 165 x 139 dialog units of the template's font (as measured by
// the window test).
constexpr int32_t kTitleAreaWidth = 289;
constexpr int32_t kTitleAreaHeight = 226;

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

// --- the medium -----------------------------------------------------------

// Each source measured as the preparation measures it, once for the types it
// belongs to; gives the lines whose sources are missing.
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

// A folder source keeps its path below the target: "Data\script" copied to
// "<INSTALL DIR>\Data" lands in "<INSTALL DIR>\Data\Data\script".
void CheckFolderTargets(Os& os, const ScriptLists& lists, Findings& out) {
    const std::string base = kMediumDrive;
    for (const FileEntry& entry : lists.Files) {
        if (TypeMask(entry.TypeFlags) == 0) continue;
        const uint32_t attributes = os.GetFileAttributes(CopySource(base, entry.Source));
        if (attributes == win::INVALID_FILE_ATTRIBUTES_ ||
            !(attributes & win::FILE_ATTRIBUTE_DIRECTORY_)) {
            continue;
        }
        const std::string first = entry.Source.substr(0, entry.Source.find('\\'));
        const std::string target = WithoutTrailingBackslashes(entry.Target);
        const size_t cut = target.find_last_of('\\');
        const std::string last = cut == std::string::npos ? target : target.substr(cut + 1);
        if (first.empty() || os.CompareStringOrdinal(first, last, true) != 0) continue;
        Add(out, Severity::kWarning, "medium-folder-target", kScript, entry.Line,
            Format("the folder lands in %s\\%s, its name twice: a folder keeps its path below "
                   "the target; write the target without \"\\%s\"",
                   target.c_str(), entry.Source.c_str(), last.c_str()));
    }
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
    CheckUi ui;
    TitleBitmap bitmap;
    if (LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bitmap)) {
        // The launcher draws the picture at its own size in the client area
        // left of its buttons, and keeps its own size.
        if (bitmap.DrawWidth() > kTitleAreaWidth || bitmap.DrawHeight() > kTitleAreaHeight) {
            Add(out, Severity::kWarning, "title-bitmap-size", kScript,
                SetupKeyLine(lines, "TITLE_BMP"),
                Format("the title bitmap is %d x %d pixels, larger than the launcher's area of "
                       "%d x %d at 100 %%: its right part runs under the buttons and its bottom "
                       "is cut",
                       bitmap.DrawWidth(), bitmap.DrawHeight(), kTitleAreaWidth,
                       kTitleAreaHeight));
        }
        return;
    }
    Add(out, Severity::kError, "title-bitmap", kScript, SetupKeyLine(lines, "TITLE_BMP"),
        Format("the launcher refuses the title bitmap \"%s\" with %s", ctx.TITLE_BMP.c_str(),
               ui.boxes.empty() ? "no message" : Quoted(ui.boxes.back()).c_str()));
}

// Two entries of one type that put a file in the same place: the later one's
// copy stands.
void CheckDestinations(Os& os, const SetupContext& ctx, const ScriptLists& lists,
                       Findings& out) {
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
            PlanCopy(os, base, entry, installFolder,
                     [&places](const std::string& path, const FindData&) { places.push_back(path); });
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
// Gives the install folder INSTALL holds (empty without it).
std::string CheckInstalled(SimulatedOs& os, SetupContext& ctx, const ScriptView& script,
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
    return folder;
}

// The places the product takes on the machine: install folder, menu folder
// and product key.
struct Places {
    std::string installFolder, menuFolder, productKey;
};

// `os`: a player's machine with the medium's script read in.
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
    const std::string folder = CheckInstalled(os, ctx, script, made, type, found);

    // Each uninstall target the install made, by what it is now.
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
    // The launcher loads the bitmap whatever the script names, nothing too.
    if (!ctx.TITLE_BMP.empty())
        ReadMediumContent(medium, os, std::string(kMediumDrive) + "\\" + ctx.TITLE_BMP);
    CheckTitleBitmap(os, ctx, lines, out);
    const std::set<int> missingLines = CheckSources(os, lists, out);
    CheckFolderTargets(os, lists, out);
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
