// The base of the host tests of the program's logic: a context, the fake
// operating system and user interface, the environment that joins them, and
// a medium at C:\Media to write a Setup.inf and the medium's files into.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/ScriptReader.h"
#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "fakes/FakeOs.h"
#include "fakes/FakeUi.h"
#include "fakes/TestText.h"
#include "system/InstallRecord.h"

namespace setup {

constexpr char kMedium[] = "C:\\Media";

// A trace stream that keeps what is written to it.
class CapturedTrace : public TextSink {
public:
    explicit CapturedTrace(std::string& into) : into_(into) {}
    void Write(std::string_view text) override { into_.append(text); }

private:
    std::string& into_;
};

// The demo product's own places on the test machine.
inline const std::string kDemoInstall = "C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\\星の旅路";
inline const std::string kDemoMenu = "C:\\Users\\p\\Programs\\ﾃﾞﾓｿﾌﾄ\\星の旅路";
inline const std::string kDemoKey = "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\Hoshi";

// The context of the demo product installed in its own places, from the medium.
inline void PlaceDemoProduct(SetupContext& ctx) {
    ctx.SourceDir = kMedium;
    ctx.ProgramDir = "C:\\Program Files";
    ctx.UserProgramFolderDir = "C:\\Users\\p\\Programs";
    ctx.BRAND_NAME = "ﾃﾞﾓｿﾌﾄ";
    ctx.MENU_NAME = "ﾃﾞﾓｿﾌﾄ\\星の旅路";
    ctx.REG_ROOT_KEY_NAME = "ﾃﾞﾓｿﾌﾄ\\Hoshi";
    ctx.INSTALL_DIR = "ﾃﾞﾓｿﾌﾄ\\星の旅路";
    ctx.TargetDir = kDemoInstall;
}

// A record of the demo product's installation into `folder`, as an install
// that made the maker's and the product's folders, menus and keys writes it.
// The folders must exist.
inline void RecordDemoInstall(FakeOs& os, const std::string& folder) {
    os.SetEnv("LOCALAPPDATA", "C:\\Users\\p\\AppData\\Local");
    InstallRecordWriter record(os, kDemoKey, folder, false);
    const std::string maker = folder.substr(0, folder.find_last_of('\\'));
    for (const std::string& made :
         {maker, folder, kDemoMenu.substr(0, kDemoMenu.find_last_of('\\')), kDemoMenu}) {
        if (os.Exists(made)) record.Folder(made);
    }
    for (const std::string& key :
         {std::string("SOFTWARE\\ﾃﾞﾓｿﾌﾄ"), kDemoKey, kDemoKey + "\\Settings"}) {
        record.Key(key);
    }
}

// The demo product's places on a machine where another product of the same
// maker (月の庭) is installed already: its folder, shortcut and key.
inline void PlaceProductBesideAnother(SetupContext& ctx, FakeOs& os) {
    os.AddFile("C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\\月の庭\\Game.exe", "other");
    os.AddFile("C:\\Users\\p\\Programs\\ﾃﾞﾓｿﾌﾄ\\月の庭\\a.lnk", "other");
    os.SetString(HKEY_CURRENT_USER_, "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\Tsuki", "INSTALL", "other");
    PlaceDemoProduct(ctx);
}

// A machine for one run. OsType: FakeOs or a FakeOs that records more.
template <class OsType>
struct BasicSetupMachine {
    // The medium's folder, made the current directory as `current` spells it.
    void OpenMedium(const std::string& current = kMedium) {
        os.AddFolder(kMedium);
        os.SetCurrentDirectory(current);
    }
    // A file of the medium, by its path inside it.
    void AddMediumFile(const std::string& relative, const std::string& bytes = "",
                       uint32_t attributes = win::FILE_ATTRIBUTE_ARCHIVE_) {
        os.AddFile(std::string(kMedium) + "\\" + relative, bytes, attributes);
    }
    // Setup.inf on the medium, saved in CP932 as the author's editor would.
    void WriteScript(const std::string& utf8) { AddMediumFile("Setup.inf", ToCp932(utf8)); }
    // Writes the script and reads every section of it into `lists`.
    void ReadScript(const std::string& utf8) {
        WriteScript(utf8);
        lists = ScriptLists();
        ASSERT_EQ(ReadSetupScript(env, lists, kSectionAll), 1);
    }
    // From here on the trace lines collect in `trace`.
    void KeepTrace() { ctx.TraceStream = std::make_unique<CapturedTrace>(trace); }

    SetupContext ctx;
    OsType os;
    FakeUi ui;
    SetupEnv env{ctx, os, ui};
    ScriptLists lists;
    std::string trace;
};

template <class OsType>
class BasicSetupFixture : public ::testing::Test, public BasicSetupMachine<OsType> {};

using SetupFixture = BasicSetupFixture<FakeOs>;

}  // namespace setup
