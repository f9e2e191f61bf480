#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/SetupFixture.h"
#include "system/FileUtil.h"

namespace setup {
namespace {

// Records the calls whose order or arguments matter here.
class RecordingOs : public FakeOs {
public:
    bool CreateDirectory(const std::string& path) override {
        if (noParentAnywhere) {
            createCalls.push_back("-" + path);
            SetLastError(win::ERROR_PATH_NOT_FOUND_);
            return false;
        }
        const bool created = FakeOs::CreateDirectory(path);
        createCalls.push_back((created ? "+" : "-") + path);
        return created;
    }
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override {
        ++setAttributeCalls;
        return FakeOs::SetFileAttributes(path, attributes);
    }
    bool GetDiskFreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                          uint32_t& bytesPerSector, uint32_t& freeClusters,
                          uint32_t& totalClusters) override {
        roots.push_back(root);
        return FakeOs::GetDiskFreeSpace(root, sectorsPerCluster, bytesPerSector, freeClusters,
                                        totalClusters);
    }

    bool noParentAnywhere = false;         // every CreateDirectory fails with 3
    std::vector<std::string> createCalls;  // "+" created, "-" refused
    std::vector<std::string> roots;
    int setAttributeCalls = 0;
};

using FileUtilTest = BasicSetupFixture<RecordingOs>;

TEST(FormatSizeTextTest, SwitchesUnitsAt1024And1048576WithoutRounding) {
    const std::vector<std::pair<int64_t, std::string>> table = {
        {0, "0 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1 KB"},
        {1048575, "1023 KB"},
        {1048576, "1 MB"},
        {1572864, "1 MB"},
        {5368709120 + 123, "5120 MB"},
        {-1, "18446744073709551615 Bytes"},
        {-1048576 * 3, "18446744073706405888 Bytes"},
    };
    for (const auto& [bytes, text] : table) EXPECT_EQ(FormatSizeText(bytes), text) << bytes;
}

TEST(TrimTrailingBackslashesTest, RemovesOnlyTrailingBackslashes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\", "C:"},         {"\\\\\\", ""},     {"", ""},
        {"C:\\a\\\\", "C:\\a"}, {"C:\\a", "C:\\a"}, {"\\\\server\\share\\", "\\\\server\\share"},
        {"C:\\ソ\\", "C:\\ソ"}, {"a/", "a/"},
    };
    for (auto [text, expected] : cases) {
        std::string& result = TrimTrailingBackslashes(text);
        EXPECT_EQ(&result, &text);
        EXPECT_EQ(text, expected);
    }
}

TEST(GetPathDriveTest, TakesALetterAndColonAtTheStart) {
    EXPECT_EQ(GetPathDrive("C:\\Program Files"), "C:");
    EXPECT_EQ(GetPathDrive("d:"), "d:");
    EXPECT_EQ(GetPathDrive("E:relative"), "E:");
    EXPECT_EQ(GetPathDrive("\\Windows"), "");
    EXPECT_EQ(GetPathDrive("\\\\server\\share\\x"), "");
    EXPECT_EQ(GetPathDrive("ソ:\\x"), "");
    EXPECT_EQ(GetPathDrive("C"), "");
    EXPECT_EQ(GetPathDrive(""), "");
}

TEST_F(FileUtilTest, CreatesMissingLevelsOutermostFirst) {
    EXPECT_EQ(CreateDirectoryPath(env.os, "C:\\ゲーム\\b\\c"), 1);
    EXPECT_EQ(os.createCalls,
              (std::vector<std::string>{"-C:\\ゲーム\\b\\c", "-C:\\ゲーム\\b", "+C:\\ゲーム",
                                        "+C:\\ゲーム\\b", "+C:\\ゲーム\\b\\c"}));
    EXPECT_TRUE(os.IsFolder("C:\\ゲーム\\b\\c"));

    // A trailing backslash is one more level, the same folder without it.
    os.createCalls.clear();
    EXPECT_EQ(CreateDirectoryPath(env.os, "C:\\x\\y\\"), 1);
    EXPECT_EQ(os.createCalls, (std::vector<std::string>{"-C:\\x\\y\\", "-C:\\x\\y", "+C:\\x",
                                                        "+C:\\x\\y", "-C:\\x\\y\\"}));
    EXPECT_TRUE(os.IsFolder("C:\\x\\y"));
}

TEST_F(FileUtilTest, ExistingFolderIsSuccessWithTheLastErrorCleared) {
    os.AddFolder("C:\\Game");
    EXPECT_EQ(CreateDirectoryPath(env.os, "C:\\Game"), 1);
    EXPECT_EQ(os.GetLastError(), 0u);
    EXPECT_EQ(os.createCalls, (std::vector<std::string>{"-C:\\Game"}));
}

TEST_F(FileUtilTest, MissingRootsEndTheClimbWithZero) {
    EXPECT_EQ(CreateDirectoryPath(env.os, "Q:\\a\\b"), 0);
    EXPECT_EQ(os.GetLastError(), win::ERROR_PATH_NOT_FOUND_);
    EXPECT_EQ(os.createCalls, (std::vector<std::string>{"-Q:\\a\\b", "-Q:\\a", "-Q:\\"}));

    // Whatever the platform says, the climb ends at the root.
    os.noParentAnywhere = true;
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Q:a", {"-Q:a", "-Q:"}},
        {"\\a\\", {"-\\a\\", "-\\a", "-\\"}},
        {"a\\b", {"-a\\b", "-a\\"}},
        {"\\\\srv\\share\\a\\", {"-\\\\srv\\share\\a\\", "-\\\\srv\\share\\a"}},
        {"", {}},
    };
    for (const auto& [path, calls] : cases) {
        os.createCalls.clear();
        EXPECT_EQ(CreateDirectoryPath(env.os, path), 0) << path;
        EXPECT_EQ(os.createCalls, calls) << path;
    }
}

TEST_F(FileUtilTest, FileInTheWayIsAFailure) {
    os.AddFile("C:\\Game");
    EXPECT_EQ(CreateDirectoryPath(env.os, "C:\\Game"), 0);
    EXPECT_EQ(os.GetLastError(), win::ERROR_ALREADY_EXISTS_);
    EXPECT_EQ(CreateDirectoryPath(env.os, "C:\\Game\\Data\\Save"), 0);
    EXPECT_FALSE(os.IsFolder("C:\\Game"));
}

TEST_F(FileUtilTest, OtherErrorsArePassedUpUnchanged) {
    os.FailPath("CreateDirectory", "C:\\Locked", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(CreateDirectoryPath(env.os, "C:\\Locked\\a\\b"), 0);
    EXPECT_EQ(os.GetLastError(), win::ERROR_ACCESS_DENIED_);
    EXPECT_FALSE(os.Exists("C:\\Locked"));
}

TEST_F(FileUtilTest, FreeBytesComeFromTheExCallWhenItExists) {
    os.AddDrive('D');
    os.AddFolder("D:\\Games");
    os.SetDiskSpace('D', FakeOs::DiskSpace{(7ull << 30) + 5});
    for (const char* path : {"D:", "D:\\Games\\"}) {
        int64_t out = -7;
        EXPECT_EQ(GetDiskFreeBytes(env.os, path, out), 1) << path;
        EXPECT_EQ(out, static_cast<int64_t>((7ull << 30) + 5)) << path;
    }
    int64_t out = -7;
    EXPECT_EQ(GetDiskFreeBytes(env.os, "Q:\\", out), 0);
    EXPECT_TRUE(os.roots.empty());
}

TEST_F(FileUtilTest, FallbackMultipliesClustersIn64Bits) {
    os.SetHasGetDiskFreeSpaceEx(false);
    // What the Ex call would say (1 byte) is unused here.
    const auto clusters = [](uint32_t sectors, uint32_t bytes, uint32_t free) {
        return FakeOs::DiskSpace{1, 100ull << 30, sectors, bytes, free};
    };
    os.AddDrive('D');
    os.SetDiskSpace('D', clusters(64, 4096, 0x00100003));  // 256 KiB clusters: above 256 GiB
    // Cluster bytes above 32 bits: the first product must be 64-bit too.
    os.AddDrive('E');
    os.SetDiskSpace('E', clusters(0x10000, 0x10000, 3));
    os.SetDiskSpace('C', clusters(1, 512, 0xFFFFFFFF));
    int64_t out = 0;
    EXPECT_EQ(GetDiskFreeBytes(env.os, "D:\\Games\\Save", out), 1);
    EXPECT_EQ(out, int64_t{64} * 4096 * 0x00100003);

    EXPECT_EQ(GetDiskFreeBytes(env.os, "E:", out), 1);
    EXPECT_EQ(out, int64_t{3} << 32);
    out = 0;
    EXPECT_EQ(GetDiskFreeBytes(env.os, "\\Games", out), 1);  // the current drive, C:
    EXPECT_EQ(out, int64_t{512} * 0xFFFFFFFF);

    out = -7;
    EXPECT_EQ(GetDiskFreeBytes(env.os, "Q:\\x", out), 0);
    EXPECT_EQ(out, -7);
    EXPECT_EQ(os.roots, (std::vector<std::string>{"D:\\", "E:\\", "\\", "Q:\\"}));
}

TEST_F(FileUtilTest, ReadOnlyFlagIsSetAndClearedKeepingOtherBits) {
    KeepTrace();
    const uint32_t others = win::FILE_ATTRIBUTE_ARCHIVE_ | win::FILE_ATTRIBUTE_HIDDEN_;
    os.AddFile("C:\\Game\\save.dat", "x", others);
    SetReadOnlyAttribute(env.os, env.trace(), "C:\\Game\\save.dat", true);
    EXPECT_EQ(os.Attributes("C:\\Game\\save.dat"), others | win::FILE_ATTRIBUTE_READONLY_);
    SetReadOnlyAttribute(env.os, env.trace(), "C:\\Game\\save.dat", false);
    EXPECT_EQ(os.Attributes("C:\\Game\\save.dat"), others);
    SetReadOnlyAttribute(env.os, env.trace(), "C:\\Game\\save.dat", false);
    EXPECT_EQ(os.Attributes("C:\\Game\\save.dat"), others);
    EXPECT_EQ(os.setAttributeCalls, 2);  // nothing to change: no write

    // A file whose attributes cannot be read is not touched.
    SetReadOnlyAttribute(env.os, env.trace(), "C:\\Game\\missing.dat", true);
    EXPECT_EQ(os.setAttributeCalls, 2);
    EXPECT_FALSE(os.Exists("C:\\Game\\missing.dat"));
    EXPECT_EQ(trace,
              "Set Attributes -> C:\\Game\\save.dat\n"
              "Set Attributes -> C:\\Game\\save.dat\n"
              "Set Attributes -> C:\\Game\\save.dat\n"
              "Set Attributes -> C:\\Game\\missing.dat\n");
}

}  // namespace
}  // namespace setup
