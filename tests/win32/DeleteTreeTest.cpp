// DeleteTree on the real Os: a tree holding links to folders and files
// outside it goes, links included; nothing they lead to is touched.
#include <gtest/gtest.h>

#include <string>

#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "fakes/FakeUi.h"
#include "win32/os/Win32Links.h"
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"
#include "support/TempTree.h"
#include "support/WineLinks.h"
#include "uninstall/Uninstallation.h"

namespace setup {
namespace {

TEST(DeleteTreeOnDisk, RemovesLinksAndKeepsWhatTheyLeadTo) {
    TempTree outside("SetupDeleteTree-outside");
    TempTree tree("SetupDeleteTree-tree");
    outside.Folder("empty");
    outside.Folder("sub");
    outside.Put("keep.txt", "keep", FILE_ATTRIBUTE_READONLY);
    outside.Put("sub\\deep.txt", "deep");
    tree.Folder("Data");
    tree.Put("Data\\a.dat", "a");
    tree.Put("Game.exe", "game", FILE_ATTRIBUTE_READONLY);
    if (!win32::MakeTestLink(tree.Path("Data\\outside"), outside.Path()) ||
        !win32::MakeTestLink(tree.Path("empty"), outside.Path("empty")) ||
        !win32::MakeTestLink(tree.Path("Data\\keep.txt"), outside.Path("keep.txt"))) {
        GTEST_SKIP() << "no links on this machine";
    }

    SetupContext ctx;
    Win32Os os;
    FakeUi ui;
    SetupEnv env{ctx, os, ui};
    auto progress = ui.NewProgressWindow(0);
    EXPECT_EQ(1, DeleteTree(env, tree.Path(), *progress));

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(tree.WidePath().c_str()));
    std::string bytes;
    EXPECT_TRUE(os.ReadFile(outside.Path("keep.txt"), bytes) && bytes == "keep") << bytes;
    EXPECT_TRUE(os.ReadFile(outside.Path("sub\\deep.txt"), bytes) && bytes == "deep") << bytes;
    EXPECT_EQ(DWORD{FILE_ATTRIBUTE_DIRECTORY}, outside.Attributes("empty"));
    // Nor are the attributes of what a link leads to.
    EXPECT_EQ(
        DWORD{FILE_ATTRIBUTE_READONLY},
        outside.Attributes("keep.txt") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
}  // namespace setup
