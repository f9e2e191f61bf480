#include <gtest/gtest.h>

#include "core/CommandLine.h"
#include "core/SetupContext.h"

namespace setup {
namespace {

TEST(CommandLine, EveryOptionAndWhatIsNotOne) {
    const struct {
        const char* text;
        bool silent, uninstall, help;
        int32_t type;
        const char* folder;
        const char* log;
        const char* unknown;
    } rows[] = {
        {"", false, false, false, -1, "", "", ""},
        {"   ", false, false, false, -1, "", "", ""},
        {"/S /TYPE=full /D=C:\\Games\\星 の 旅路  ", true, false, false, kSetupFull,
         "C:\\Games\\星 の 旅路", "", ""},
        {"/s /type=Minimum", true, false, false, kSetupMinimum, "", "", ""},
        {"/UNINSTALL /S /LOG=\"C:\\a b\\setup.log\"", true, true, false, -1, "",
         "C:\\a b\\setup.log", ""},
        {"\"/LOG=C:\\a b\\x.log\" /uninstall", false, true, false, -1, "", "C:\\a b\\x.log", ""},
        {"/?", false, false, true, -1, "", "", ""},
        // /D= ends the line: what follows is the folder, options included.
        {"/D=C:\\x /S", false, false, false, -1, "C:\\x /S", "", ""},
        {"/TYPE=huge /S", true, false, false, -1, "", "", "/TYPE=huge"},
        {"/X /Y", false, false, false, -1, "", "", "/X"},
        {"/LOG= /D=", false, false, false, -1, "", "", "/LOG="},
        {"/D=", false, false, false, -1, "", "", "/D="},
        {"\"\"", false, false, false, -1, "", "", "\"\""},
        {"/SILENT", false, false, false, -1, "", "", "/SILENT"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        const CommandLine line = ParseCommandLine(r.text);
        EXPECT_EQ(line.silent, r.silent);
        EXPECT_EQ(line.uninstall, r.uninstall);
        EXPECT_EQ(line.help, r.help);
        EXPECT_EQ(line.setupType, r.type);
        EXPECT_EQ(line.folder, r.folder);
        EXPECT_EQ(line.logPath, r.log);
        EXPECT_EQ(line.unknown, r.unknown);
        EXPECT_EQ(line.Empty(), std::string(r.text).find_first_not_of(' ') == std::string::npos);
    }
}

}  // namespace
}  // namespace setup
