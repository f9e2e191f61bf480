#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "support/SetupFixture.h"
#include "core/Utf16.h"
#include "system/Registry.h"

namespace setup {
namespace {

class RegistryTest : public SetupFixture {
protected:
    RegistryTest() { KeepTrace(); }
    // Every operation closes what it opened, whatever happened.
    void TearDown() override { EXPECT_EQ(os.OpenKeyCount(), 0); }
};

constexpr RegKey HKCU = HKEY_CURRENT_USER_;

TEST_F(RegistryTest, WrittenStringReadsBackWithTraceLinesInTwoPieces) {
    os.AddKey(HKCU, "Software\\Game");
    const std::string text = "C:\\Program Files\\ゲーム";
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\INSTALL", text,
                                  text.size()),
              1);
    // Exactly the text's units, no terminator: the caller's count excluded it.
    EXPECT_EQ(os.ValueOf(HKCU, "Software\\Game", "INSTALL"),
              (FakeOs::RegValue{win::REG_SZ_, Utf16Bytes(u"C:\\Program Files\\ゲーム", false)}));

    std::string out = "sentinel";
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\INSTALL", out), 1);
    EXPECT_EQ(out, text);
    EXPECT_EQ(trace,
              "Trying to set registery key: Software\\Game\\INSTALL "
              "key HKEY_CURRENT_USER Software\\Game\\INSTALL = C:\\Program Files\\ゲーム OK\n"
              "Trying to get registery key: Software\\Game\\INSTALL OK\n");
}

TEST_F(RegistryTest, ByteCountDecidesWhatIsStored) {
    os.AddKey(HKCU, "Software\\Game");
    const std::string text = "abソ";  // 'a', 'b', then three bytes
    ASSERT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\All", text,
                                  text.size() + 1),
              1);
    ASSERT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\Two", text, 2), 1);
    ASSERT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\Cut", text, 4), 1);
    EXPECT_EQ(os.ValueOf(HKCU, "Software\\Game", "All")->data, Utf16Bytes(u"abソ", true));
    EXPECT_EQ(os.ValueOf(HKCU, "Software\\Game", "Two")->data, Utf16Bytes(u"ab", false));
    // A count ending inside a character stores nothing of that character.
    EXPECT_EQ(os.ValueOf(HKCU, "Software\\Game", "Cut")->data, Utf16Bytes(u"ab", false));
}

TEST_F(RegistryTest, WriteNeedsAnExistingKeyAndCreatingItMakesItWork) {
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\New\\Sub\\INSTALL", "x", 1),
              0);
    EXPECT_EQ(WriteRegistryDword(env.os, env.trace(), HKCU, "Software\\New\\Sub\\Count", 3), 0);
    EXPECT_FALSE(os.KeyExists(HKCU, "Software\\New"));

    EXPECT_EQ(CreateRegistryKey(env.os, env.trace(), HKCU, "Software\\New\\Sub"), 1);
    EXPECT_EQ(CreateRegistryKey(env.os, env.trace(), HKCU, "Software\\New\\Sub"),
              1);  // existing is fine
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\New\\Sub\\INSTALL", "x", 1),
              1);
    EXPECT_EQ(os.StringOf(HKCU, "Software\\New\\Sub", "INSTALL"), "x");
    EXPECT_EQ(trace,
              "Trying to set registery key: Software\\New\\Sub\\INSTALL **Failed\n"
              "Trying to set registery key: Software\\New\\Sub\\Count **Failed\n"
              "Trying to create registery key: Software\\New\\Sub "
              "key HKEY_CURRENT_USER Software\\New\\Sub OK\n"
              "Trying to create registery key: Software\\New\\Sub "
              "key HKEY_CURRENT_USER Software\\New\\Sub OK\n"
              "Trying to set registery key: Software\\New\\Sub\\INSTALL "
              "key HKEY_CURRENT_USER Software\\New\\Sub\\INSTALL = x OK\n");
}

TEST_F(RegistryTest, DwordIsStoredLittleEndianAndNeverBeyondItsFourBytes) {
    os.AddKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Game");
    EXPECT_EQ(
        WriteRegistryDword(env.os, env.trace(), HKEY_LOCAL_MACHINE_, "SOFTWARE\\Game\\Level", -2),
        1);
    EXPECT_EQ(WriteRegistryDword(env.os, env.trace(), HKEY_LOCAL_MACHINE_, "SOFTWARE\\Game\\Wide",
                                 0x01020304, 8),
              1);
    EXPECT_EQ(os.ValueOf(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Game", "Level"),
              (FakeOs::RegValue{win::REG_DWORD_, {0xFE, 0xFF, 0xFF, 0xFF}}));
    EXPECT_EQ(os.ValueOf(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Game", "Wide"),
              (FakeOs::RegValue{win::REG_DWORD_, {0x04, 0x03, 0x02, 0x01}}));
    EXPECT_EQ(trace,
              "Trying to set registery key: SOFTWARE\\Game\\Level "
              "key HKEY_LOCAL_MACHINE SOFTWARE\\Game\\Level = -2 OK\n"
              "Trying to set registery key: SOFTWARE\\Game\\Wide "
              "key HKEY_LOCAL_MACHINE SOFTWARE\\Game\\Wide = 16909060 OK\n");
}

TEST_F(RegistryTest, ExpandableValueIsExpandedPlainStringIsNot) {
    os.SetEnv("USERPROFILE", "C:\\Users\\山田");
    os.SetExpandString(HKCU, "Software\\Shell", "Expand", "%USERPROFILE%\\Programs");
    os.SetString(HKCU, "Software\\Shell", "Plain", "%USERPROFILE%\\Programs");
    std::string expanded;
    std::string plain;
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Shell\\Expand", expanded),
              1);
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Shell\\Plain", plain), 1);
    EXPECT_EQ(expanded, "C:\\Users\\山田\\Programs");
    EXPECT_EQ(plain, "%USERPROFILE%\\Programs");

    // An expansion that would not fit keeps the stored text.
    os.SetEnv("LONG", std::string(40, 'x'));
    os.SetExpandString(HKCU, "Software\\Shell", "Long", "%LONG%");
    std::string kept;
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Shell\\Long", kept, 10), 1);
    EXPECT_EQ(kept, "%LONG%");
}

// Only REG_SZ and REG_EXPAND_SZ values are strings, read no further than their first NUL and
// no longer than the limit; anything else is a failed read that leaves nothing.
TEST_F(RegistryTest, StringDataIsReadUpToTheFirstNulOrItsEndWithinTheLimit) {
    using namespace win;
    const std::u16string x259(259, u'x'), x260(260, u'x');
    const struct {
        FakeOs::RegValue value;
        int result;
        std::string text;
        size_t maxChars = 259;
    } cases[] = {
        {{REG_SZ_, {'A', 0, 'B', 0}}, 1, "AB"},                        // no terminator
        {{REG_SZ_, {'A', 0, 'B', 0, 'C'}}, 1, "AB"},                   // odd last byte
        {{REG_SZ_, {'A', 0, 0, 0, 'B', 0, 0, 0}}, 1, "A"},             // embedded NUL
        {{REG_SZ_, {}}, 1, ""},                                        // empty data
        {{REG_EXPAND_SZ_, {'%'}}, 1, ""},                              // a lone byte
        {{REG_SZ_, {0x3D, 0xD8, 0x00, 0xDE, 0, 0}}, 1, "\U0001F600"},  // a surrogate pair
        {{REG_DWORD_, {0x41, 0x00, 0x42, 0x30}}, 0, ""},
        {{REG_BINARY_, {'C', 0, ':', 0, 0, 0}}, 0, ""},
        {{7 /* REG_MULTI_SZ */, {'C', 0, 0, 0, 0, 0}}, 0, ""},
        {{REG_SZ_, Utf16Bytes(x259, true)}, 1, std::string(259, 'x')},
        {{REG_SZ_, Utf16Bytes(x260, true)}, 0, ""},
        {{REG_SZ_, Utf16Bytes(x260, false)}, 0, ""},
        {{REG_SZ_, Utf16Bytes(std::u16string(1000, u'y'), true)}, 0, ""},
        // The limit counts UTF-16 units, not UTF-8 bytes.
        {{REG_SZ_, Utf16Bytes("ソフト", true)}, 1, "ソフト", 3},
        {{REG_SZ_, Utf16Bytes("ソフト", true)}, 0, "", 2},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        os.SetValue(HKCU, "Software\\Data", "V", c.value.type, c.value.data);
        std::string out = "sentinel";
        EXPECT_EQ(
            ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Data\\V", out, c.maxChars),
            c.result);
        EXPECT_EQ(out, c.text);
    }
}

TEST_F(RegistryTest, EveryFailurePathTracesFailedAndClosesItsKey) {
    os.SetString(HKCU, "Software\\Game", "INSTALL", "C:\\Game");
    std::string out = "sentinel";
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Missing\\INSTALL", out), 0);
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\Missing", out), 0);
    os.FailNext("RegQueryValueEx", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\INSTALL", out), 0);
    EXPECT_EQ(out, "");
    os.FailNext("RegSetValueEx", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\Game\\INSTALL", "D:\\", 3),
              0);
    os.FailNext("RegSetValueEx", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(WriteRegistryDword(env.os, env.trace(), HKCU, "Software\\Game\\Count", 1), 0);
    os.FailNext("RegCreateKeyEx", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(CreateRegistryKey(env.os, env.trace(), HKCU, "Software\\Other"), 0);
    EXPECT_EQ(os.StringOf(HKCU, "Software\\Game", "INSTALL"), "C:\\Game");
    EXPECT_EQ(trace,
              "Trying to get registery key: Software\\Missing\\INSTALL **Failed\n"
              "Trying to get registery key: Software\\Game\\Missing **Failed\n"
              "Trying to get registery key: Software\\Game\\INSTALL **Failed\n"
              "Trying to set registery key: Software\\Game\\INSTALL **Failed\n"
              "Trying to set registery key: Software\\Game\\Count **Failed\n"
              "Trying to create registery key: Software\\Other **Failed\n");
}

TEST_F(RegistryTest, ValuePathIsSplitAtItsLastBackslash) {
    os.AddKey(HKCU, "SOFTWARE\\ソ");
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "SOFTWARE\\ソ\\INSTALL", "x", 1), 1);
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "SOFTWARE\\ソ\\ソフト", "y", 1), 1);
    EXPECT_EQ(os.StringOf(HKCU, "SOFTWARE\\ソ", "INSTALL"), "x");
    EXPECT_EQ(os.StringOf(HKCU, "SOFTWARE\\ソ", "ソフト"), "y");

    std::string out = "sentinel";
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "SOFTWARE\\ソ\\ソフト", out), 1);
    EXPECT_EQ(out, "y");
    // Without a backslash there is no key to open.
    trace.clear();
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "INSTALL", out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "INSTALL", "x", 1), 0);
    EXPECT_EQ(trace,
              "Trying to get registery key: INSTALL **Failed\n"
              "Trying to set registery key: INSTALL **Failed\n");
}

TEST_F(RegistryTest, KeyWithSubkeysIsRefusedOnNtAndRemovedOn9x) {
    os.AddKey(HKCU, "Software\\Game\\Sub");
    EXPECT_EQ(DeleteRegistryKey(env.os, env.trace(), HKCU, "Software\\Game"), 0);
    EXPECT_TRUE(os.KeyExists(HKCU, "Software\\Game\\Sub"));
    EXPECT_EQ(DeleteRegistryKey(env.os, env.trace(), HKCU, "Software\\Game\\Sub"), 1);
    EXPECT_EQ(DeleteRegistryKey(env.os, env.trace(), HKCU, "Software\\Game\\Sub"), 0);
    EXPECT_EQ(trace,
              "Trying to delete registery key: Software\\Game **Failed\n"
              "Trying to delete registery key: Software\\Game\\Sub "
              "key HKEY_CURRENT_USER Software\\Game\\Sub OK\n"
              "Trying to delete registery key: Software\\Game\\Sub **Failed\n");

    os.SetVersion({4, 10, 2222, win::VER_PLATFORM_WIN32_WINDOWS_});
    os.AddKey(HKEY_USERS_, ".DEFAULT\\Game\\Sub\\Deeper");
    trace.clear();
    EXPECT_EQ(DeleteRegistryKey(env.os, env.trace(), HKEY_USERS_, ".DEFAULT\\Game"), 1);
    EXPECT_FALSE(os.KeyExists(HKEY_USERS_, ".DEFAULT\\Game"));
    EXPECT_TRUE(os.KeyExists(HKEY_USERS_, ".DEFAULT"));
    EXPECT_EQ(trace,
              "Trying to delete registery key: .DEFAULT\\Game "
              "key HKEY_USERS .DEFAULT\\Game OK\n");
    EXPECT_STREQ(RegistryRootName(0x80000005u), "HKEY_USERS");  // any other root
    EXPECT_STREQ(RegistryRootName(HKEY_CLASSES_ROOT_), "HKEY_CLASSES_ROOT");
}

// A platform may leave anything in the handle of a failed open.
class GarbageHandleOs : public FakeOs {
public:
    long RegOpenKeyEx(RegKey root, const std::string& subKey, uint32_t access,
                      RegKey& out) override {
        const long result = FakeOs::RegOpenKeyEx(root, subKey, access, out);
        if (result != 0) out = 0xBAD;
        return result;
    }
    long RegCreateKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out,
                        uint32_t& disposition) override {
        const long result = FakeOs::RegCreateKeyEx(root, subKey, access, out, disposition);
        if (result != 0) out = 0xBAD;
        return result;
    }
    long RegCloseKey(RegKey key) override {
        closed.push_back(key);
        return FakeOs::RegCloseKey(key);
    }
    std::vector<RegKey> closed;
};

using RegistryHandleTest = BasicSetupFixture<GarbageHandleOs>;

TEST_F(RegistryHandleTest, FailedOpenClosesNothing) {
    std::string out;
    EXPECT_EQ(ReadRegistryString(env.os, env.trace(), HKCU, "Software\\Missing\\V", out), 0);
    EXPECT_EQ(WriteRegistryString(env.os, env.trace(), HKCU, "Software\\Missing\\V", "x", 1), 0);
    os.FailNext("RegCreateKeyEx", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(CreateRegistryKey(env.os, env.trace(), HKCU, "Software\\Missing"), 0);
    EXPECT_TRUE(os.closed.empty());
}

}  // namespace
}  // namespace setup
