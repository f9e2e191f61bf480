// setup-check on the build machine.
#include <cstdio>
#include <string>
#include <vector>

#include "check/CheckMain.h"
#include "sim/host/HostText.h"

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        std::string out, err;
        const int status = setup::RunSetupCheck(args, setup::HostText::Instance(), out, err);
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fwrite(err.data(), 1, err.size(), stderr);
        return status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "setup-check: %s\n", e.what());
        return 2;
    }
}
