#include <gtest/gtest.h>

#include "install/CopySourceTree.h"
#include "resource.h"
#include "support/SetupFixture.h"

namespace setup {
namespace {

class CopySourceTreeTest : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium();
        progress = ui.NewProgressWindow(IDS_INSTALLING);
        progress->Create();
        progress->SetRange(0, 100);
        progress->SetStep(1);
    }
    int Copy(const std::string& source, const std::string& relative, const std::string& root,
             CopyRun* made = nullptr) {
        return CopySourceTree(env, "C:\\Games\\Hoshi", base, base + "\\" + source, relative, root,
                              *progress, made);
    }
    int Steps() const {
        int n = 0;
        for (const std::string& e : ui.ProgressEvents()) n += e == "stepit";
        return n;
    }

    std::string base = kMedium;
    std::unique_ptr<ProgressWindow> progress;
};

TEST_F(CopySourceTreeTest, APlainFileLandsInTheDestinationRoot) {
    os.AddFile("C:\\Media\\Readme.txt", "read me");
    EXPECT_EQ(Copy("Readme.txt", "", "<INSTALL DIR>"), 1);
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Readme.txt"), "read me");
    EXPECT_EQ(Steps(), 1);
    EXPECT_TRUE(ui.boxes.empty());
}

// A folder link back up the medium would never end: it is not walked.
TEST_F(CopySourceTreeTest, AFolderLinkIsNotFollowed) {
    os.AddFile("C:\\Media\\Data\\stage1.dat", "1");
    os.AddLink("C:\\Media\\Data\\Loop", "C:\\Media");
    EXPECT_EQ(Copy("Data", "Data", "<INSTALL DIR>\\"), 1);
    EXPECT_EQ(os.List("C:\\Games\\Hoshi\\Data"), (std::vector<std::string>{"stage1.dat"}));
}

TEST_F(CopySourceTreeTest, TheSameFileUnderCopyDirLandsInRootAndSourceJoined) {
    os.AddFile("C:\\Media\\Readme.txt", "x");
    EXPECT_EQ(Copy("Readme.txt", "Readme.txt", "<INSTALL DIR>\\"), 1);
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Readme.txt\\Readme.txt"), "x");
}

TEST_F(CopySourceTreeTest, AWildcardCopiesTheMatchingFilesAndTreesBelowTheRoot) {
    os.AddFile("C:\\Media\\Data\\stage1.dat", "1");
    os.AddFile("C:\\Media\\Data\\notes.txt", "n");
    os.AddFile("C:\\Media\\Data\\stage2.dat", "2");
    EXPECT_EQ(Copy("Data\\*.dat", "", "<INSTALL DIR>\\Data"), 1);
    EXPECT_EQ(os.List("C:\\Games\\Hoshi\\Data"),
              (std::vector<std::string>{"stage1.dat", "stage2.dat"}));
    EXPECT_EQ(Steps(), 2);

    // A matching folder goes below the root under its path from the base.
    os.AddFile("C:\\Media\\Docs\\a.txt", "a");
    os.AddFile("C:\\Media\\Doc.txt", "d");
    EXPECT_EQ(Copy("Do*", "", "C:\\Out"), 1);
    EXPECT_EQ(os.FileContent("C:\\Out\\Docs\\a.txt"), "a");
    EXPECT_EQ(os.FileContent("C:\\Out\\Doc.txt"), "d");
}

TEST_F(CopySourceTreeTest, FilesBeforeAndAfterASubfolderLandTogether) {
    os.AddFile("C:\\Media\\Save\\a.dat", "a");
    os.AddFile("C:\\Media\\Save\\Slots\\s1.dat", "s1");
    os.AddFile("C:\\Media\\Save\\Slots\\Deep\\d.dat", "d");
    os.AddFile("C:\\Media\\Save\\z.dat", "z");
    os.AddFolder("C:\\Media\\Save\\Empty");
    EXPECT_EQ(Copy("Save", "Save", "<INSTALL DIR>\\"), 1);
    EXPECT_EQ(os.List("C:\\Games\\Hoshi\\Save"),
              (std::vector<std::string>{"a.dat", "Slots", "z.dat"}));
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Save\\Slots\\s1.dat"), "s1");
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Save\\Slots\\Deep\\d.dat"), "d");
    EXPECT_FALSE(os.Exists("C:\\Games\\Hoshi\\Save\\Empty"));  // no file, no folder
    EXPECT_EQ(Steps(), 4);
}

TEST_F(CopySourceTreeTest, FromADriveRootTheRelativeFolderStartsWithABackslash) {
    base = "C:";
    os.AddFile("C:\\Data\\x.dat", "x");
    EXPECT_EQ(Copy("Data", "", "D:\\Out"), 0);  // no drive D: yet
    os.AddDrive('D');
    EXPECT_EQ(Copy("Data", "", "D:\\Out"), 1);
    EXPECT_EQ(os.FileContent("D:\\Out\\Data\\x.dat"), "x");
}

TEST_F(CopySourceTreeTest, CopiesAreNeverReadOnly) {
    os.AddFile("C:\\Media\\save.dat", "s",
               win::FILE_ATTRIBUTE_READONLY_ | win::FILE_ATTRIBUTE_HIDDEN_);
    EXPECT_EQ(Copy("save.dat", "", "C:\\Out"), 1);
    EXPECT_EQ(os.Attributes("C:\\Out\\save.dat") &
                  (win::FILE_ATTRIBUTE_READONLY_ | win::FILE_ATTRIBUTE_HIDDEN_),
              win::FILE_ATTRIBUTE_HIDDEN_);
}

TEST_F(CopySourceTreeTest, AReadOnlyDestinationStopsTheCopyNamingTheFile) {
    os.AddFile("C:\\Media\\Set\\a.txt", "new a");
    os.AddFile("C:\\Media\\Set\\b.txt", "new b");
    os.AddFile("C:\\Media\\Set\\c.txt", "new c");
    os.AddFile("C:\\Out\\Set\\b.txt", "old b", win::FILE_ATTRIBUTE_READONLY_);
    EXPECT_EQ(Copy("Set", "Set", "C:\\Out\\"), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{AppBox("b.txtのコピーに失敗しました。", 48)}));
    EXPECT_EQ(os.FileContent("C:\\Out\\Set\\a.txt"), "new a");  // stays copied
    EXPECT_EQ(os.FileContent("C:\\Out\\Set\\b.txt"), "old b");
    EXPECT_FALSE(os.Exists("C:\\Out\\Set\\c.txt"));
    EXPECT_EQ(Steps(), 2);  // the step comes before the copy is tried
}

TEST_F(CopySourceTreeTest, AMissingSourceNamesTheSearch) {
    EXPECT_EQ(Copy("Nothing\\*.dat", "", "C:\\Out"), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{
                            AppBox("ｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\nC:\\Media\\Nothing\\*.dat\n"
                                   "が見つかりませんでした。",
                                   48)}));
}

TEST_F(CopySourceTreeTest, AFolderThatCannotBeMadeNamesTheFolder) {
    os.AddFile("C:\\Media\\a.txt", "a");
    os.FailPath("CreateDirectory", "C:\\Games\\Hoshi\\Sub", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(Copy("a.txt", "", "<INSTALL DIR>\\Sub"), 0);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{AppBox("C:\\Games\\Hoshi\\Subの作成に失敗しました。", 48)}));
}

TEST_F(CopySourceTreeTest, AnEmptyFolderCopiesNothingAndSucceeds) {
    os.AddFolder("C:\\Media\\Empty");
    EXPECT_EQ(Copy("Empty\\*.*", "", "C:\\Out"), 1);
    EXPECT_EQ(Steps(), 0);
    EXPECT_FALSE(os.Exists("C:\\Out"));
}

TEST_F(CopySourceTreeTest, AFolderMadeOnceInARunIsNotMadeAgain) {
    os.AddFile("C:\\Media\\a.txt", "a");
    os.AddFile("C:\\Media\\b.txt", "b");
    CopyRun made;
    EXPECT_EQ(Copy("a.txt", "", "C:\\Out", &made), 1);
    // Asking for the folder again would fail now; the run does not ask.
    os.FailPath("CreateDirectory", "C:\\Out", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(Copy("b.txt", "", "C:\\Out", &made), 1);
    EXPECT_EQ(os.FileContent("C:\\Out\\b.txt"), "b");
    EXPECT_EQ(Copy("b.txt", "", "C:\\Out"), 0);  // a new run asks, and fails
}

TEST_F(CopySourceTreeTest, ALargeFileKeepsTheWindowsPumpedWhileItCopies) {
    os.AddFile("C:\\Media\\movie.bin", "m");
    os.SetFileSize("C:\\Media\\movie.bin", 5u << 20);
    const int pumpsBefore = ui.pumps;
    EXPECT_EQ(Copy("movie.bin", "", "C:\\Out"), 1);
    EXPECT_GE(os.copyProgressReports, 5);
    EXPECT_GE(ui.pumps - pumpsBefore, 1 + 5);  // StepIt's own pump, then one per chunk
}

TEST_F(CopySourceTreeTest, TracesEachFolderAndCopy) {
    KeepTrace();
    os.AddFile("C:\\Media\\a.txt", "a");
    EXPECT_EQ(Copy("a.txt", "", "<INSTALL DIR>"), 1);
    EXPECT_EQ(trace,
              "CREATE DIR C:\\Games\\Hoshi\n"
              "Set Attributes -> C:\\Games\\Hoshi\\a.txt\n"
              "COPY C:\\Media\\a.txt -> C:\\Games\\Hoshi\\a.txt\n");
}

}  // namespace
}  // namespace setup
