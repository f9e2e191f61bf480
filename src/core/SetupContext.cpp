#include "core/SetupContext.h"

#include <cstdarg>
#include <string>

#include "core/Text.h"

namespace setup {

void SetupContext::Reset() {
    static_cast<SystemFolders&>(*this) = SystemFolders{};
    for (std::string* text :
         {&TargetDir, &INSTALL_DIR, &MENU_NAME, &GAME_NAME, &BRAND_NAME, &TITLE_BMP,
          &REG_ROOT_KEY_NAME, &GAME_EXE_NAME, &InstallPath, &SourceDir}) {
        text->clear();
    }
    TraceStream.reset();
    SetupTypeIndex = kSetupMinimum;
    for (int32_t& count : FileCounts) count = 0;
    for (int64_t& bytes : RequiredBytes) bytes = 0;
    FreeBytes = 0;
    MenuChoice = kMenuExit;
}

void SetupContext::Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(TraceStream.get(), format, args);
    va_end(args);
}

}  // namespace setup
