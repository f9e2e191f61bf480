// libFuzzer target: the script reader and its line scanner on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/ScriptReader.h"
#include "fakes/FakeOs.h"
#include "fakes/FakeUi.h"

using namespace setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    FakeOs os;
    FakeUi ui;
    SetupContext ctx;
    SetupEnv env{ctx, os, ui};
    os.AddFile("C:\\Setup.inf", bytes);
    // With a trace attached every kept line is also formatted into it.
    ctx.TraceStream = os.CreateTextFile("C:\\trace.txt");
    if (!ctx.TraceStream) std::abort();

    ScriptLists lists;
    if (ReadSetupScript(env, lists, kSectionAll) != 1) std::abort();
    // Every kept record comes from one line piece.
    const size_t pieces = SplitScriptLines(bytes).size();
    if (lists.Files.size() + lists.Registry.size() + lists.Uninstall.size() > pieces) std::abort();
    for (const std::string& piece : SplitScriptLines(bytes)) {
        if (piece.empty() || piece.size() > 779) std::abort();
    }

    // The scanner alone, with every conversion and fewer destinations than
    // the format asks for.
    std::string a, b;
    int32_t n = 0;
    ScanLine(bytes, "%s:%d:%O:%lx:%q%s\n", {a, n, n, n, b});
    ScanLine(bytes, "%s%s%d", {a});
    return 0;
}
