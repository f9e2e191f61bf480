#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "install/Preparation.h"
#include "support/SetupFixture.h"
#include "support/Snapshot.h"
#include "uninstall/Uninstallation.h"

namespace setup {
namespace {

const OwnPlaces kOwn{{kDemoInstall, kDemoMenu, "C:\\Users\\p\\AppData\\Local\\SetupRecords"},
                     {kDemoKey}};

// An error each call could plausibly meet.
uint32_t PlausibleError(const std::string& method) {
    static const std::map<std::string, uint32_t> errors = {
        {"RemoveDirectory", 145},
        {"DeleteFile", 32},
        {"ReadFile", 32},
        {"CopyFileWithProgress", 112},
        {"GetCurrentDirectory", 8},
        {"GetDiskFreeSpaceEx", 21},
        {"RegCloseKey", 6},
        {"GetEnvironmentVariable", 203},
        {"CoInitialize", 0x8007000Eu},
        {"SaveShellLink", static_cast<uint32_t>(win::HRESULT_ACCESS_DENIED_)}};
    const auto it = errors.find(method);
    return it == errors.end() ? win::ERROR_ACCESS_DENIED_ : it->second;
}

// A fresh machine with the product's medium, another product of the same
// maker beside it, and the product installed or not.
struct Machine : BasicSetupMachine<FakeOs> {
    explicit Machine(bool installed) {
        WriteScript(
            "[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:星の旅路\n"
            "COPY DIR:Save:1:1:1:<INSTALL DIR>\\:セーブ\n"
            "[Registory]\nCREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n"
            "CREATE KEY:Settings:1:1:1:0:\nCREATE REG:Settings\\Volume:1:1:1:80:\n"
            "[Uninstall]\nDELETE FILE:<INSTALL DIR>\\Game.exe\n"
            "DELETE DIR:<INSTALL DIR>\nDELETE REG:<REG ROOT>\\Settings\n"
            "DELETE REG:<REG ROOT>\nDELETE MENU:<MENU DIR>\n");
        AddMediumFile("Game.exe", "game");
        AddMediumFile("Save\\a.dat", "a", win::FILE_ATTRIBUTE_READONLY_);
        AddMediumFile("Save\\Sub\\b.dat", "b");
        OpenMedium();
        PlaceProductBesideAnother(ctx, os);
        os.SetEnv("LOCALAPPDATA", "C:\\Users\\p\\AppData\\Local");
        os.AddFolder("C:\\Users\\p\\AppData\\Local");
        if (installed) {
            PrepareInstallation(env, lists);
            ui = FakeUi();
        }
        outside = Snapshot(os, kOwn);
        // Every call of the run from here is recorded; the one numbered
        // failAt fails once.
        os.onCall = [this](const std::string& method, const std::string& path) {
            calls.push_back(method + " " + path);
            return static_cast<int>(calls.size()) - 1 == failAt
                       ? std::optional<uint32_t>(PlausibleError(method))
                       : std::nullopt;
        };
    }
    Machine(const Machine&) = delete;
    // The product's files and settings as a run left them; attributes and
    // shortcuts aside.
    std::vector<std::string> Product() {
        std::vector<std::string> product;
        // The record is not the product: a failed call may leave it behind.
        for (const std::string& folder : {kDemoInstall, kDemoMenu}) {
            snapshot_detail::Files(os, folder, OwnPlaces(), product, false);
        }
        product.erase(
            std::remove_if(product.begin(), product.end(),
                           [](const std::string& e) { return e.find(".lnk ") != e.npos; }),
            product.end());
        product.push_back(os.StringOf(HKEY_CURRENT_USER_, kDemoKey, "INSTALL").value_or("-"));
        product.push_back(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey + "\\Settings") ? "key" : "-");
        const auto volume = os.ValueOf(HKEY_CURRENT_USER_, kDemoKey + "\\Settings", "Volume");
        product.push_back(volume ? std::to_string(volume->data[0]) : "-");
        return product;
    }

    std::vector<std::string> outside;
    std::vector<std::string> calls;  // method and path of each call, in order
    int failAt = -1;
};

struct FaultRun {
    const char* name;
    bool installed;
    std::function<int(Machine&)> run;
    ShownBox done;
    std::set<std::string> ignored;  // methods whose failure the run always goes past
};
void PrintTo(const FaultRun& r, std::ostream* out) {
    *out << r.name;
}

class FaultInjection : public ::testing::TestWithParam<FaultRun> {};

// Each call of a clean run fails in turn. Whatever fails, the windows close,
// nothing outside the product's own places changes, and the run either
// stops with a message or finishes with the product whole: only a shortcut,
// an attribute or, when uninstalling, the failed file and the folders above
// it may be missing or left.
TEST_P(FaultInjection, EveryCallFailingOnceEndsAsTheRulesSay) {
    const FaultRun& r = GetParam();
    Machine clean(r.installed);
    ASSERT_EQ(r.run(clean), 1);
    clean.os.onCall = nullptr;
    const std::vector<std::string> calls = clean.calls;
    const std::vector<std::string> whole = clean.Product();
    ASSERT_GT(calls.size(), 20u);

    for (size_t i = 0; i < calls.size(); ++i) {
        Machine m(r.installed);
        m.failAt = static_cast<int>(i);
        const int result = r.run(m);
        m.os.onCall = nullptr;
        const std::string call = "call " + std::to_string(i) + ": " + calls[i];
        const std::string method = calls[i].substr(0, calls[i].find(' '));
        const std::string path = calls[i].substr(calls[i].find(' ') + 1);

        EXPECT_EQ(m.ui.progressWindowsOpen + m.ui.preparingWindowsOpen, 0) << call;
        EXPECT_EQ(Snapshot(m.os, kOwn), m.outside) << call;
        const bool finished = !m.ui.boxes.empty() && m.ui.boxes.back() == r.done;
        // The install action is 1 once its wizard has run, the uninstallation
        // only when it finished.
        EXPECT_EQ(result, r.installed ? finished : m.ui.wizardRuns) << call;
        EXPECT_TRUE(finished || !r.ignored.count(method)) << call;
        if (!finished) {
            EXPECT_TRUE(!m.ui.boxes.empty() || r.installed) << call;
            for (const ShownBox& box : m.ui.boxes) EXPECT_FALSE(box == r.done) << call;
            continue;
        }
        if (!r.installed) {
            EXPECT_EQ(m.Product(), whole) << call;
            continue;
        }
        EXPECT_FALSE(m.os.KeyExists(HKEY_CURRENT_USER_, kDemoKey)) << call;
        const std::string failed = method == "FindFiles" ? path.substr(0, path.rfind('\\')) : path;
        for (const std::string& left : m.Product()) {
            const std::string leftPath = left.substr(0, left.rfind(' '));
            if (left == "-" || left == "key") continue;
            EXPECT_TRUE(LiesWithin(m.os, failed, leftPath) || LiesWithin(m.os, leftPath, failed))
                << call << " left " << left;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, FaultInjection,
    ::testing::Values(FaultRun{"install",
                               false,
                               [](Machine& m) { return PrepareInstallation(m.env, m.lists); },
                               kInstallDone,
                               {"SaveShellLink", "CoInitialize", "SetFileAttributes", "RegCloseKey",
                                "GetDiskFreeSpaceEx"}},
                      FaultRun{"uninstall",
                               true,
                               [](Machine& m) { return RunUninstallation(m.env, m.lists); },
                               kUninstallDone,
                               {"DeleteFile", "RemoveDirectory", "SetFileAttributes",
                                "GetFileAttributes", "RegCloseKey", "RegQueryInfoKey",
                                "GetEnvironmentVariable"}}));

}  // namespace
}  // namespace setup
