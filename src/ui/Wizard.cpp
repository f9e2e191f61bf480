#include "ui/Wizard.h"

#include "core/Text.h"
#include "system/FileUtil.h"

namespace setup {

namespace {

constexpr char kCreateCaption[] = "新規ﾌｫﾙﾀﾞ作成";

// A string resource with its "???" replaced by a size text.
std::string SizeText(const StringLoader& strings, int id, int64_t bytes) {
    return ReplacePlaceholder(strings(id), FormatSizeText(bytes));
}

int64_t RequiredFor(const SetupContext& ctx, int32_t type) {
    return type >= kSetupMinimum && type < kSetupTypeCount ? ctx.RequiredBytes[type] : 0;
}

}  // namespace

std::string ReplacePlaceholder(const std::string& text, const std::string& with) {
    return ReplaceAll(text, "???", with);
}

std::string OpenInstallSheet(SetupContext& ctx, std::string& directory) {
    ctx.SetupTypeIndex = kSetupStandard;
    ctx.InstallPath = Format("%s\\%s", ctx.ProgramDir.c_str(), ctx.INSTALL_DIR.c_str());
    directory = ctx.InstallPath;
    return ctx.BRAND_NAME;
}

WelcomePage ShowWelcomePage(const SetupContext& ctx, const StringLoader& strings) {
    WelcomePage page;
    page.welcome = ReplacePlaceholder(strings(IDS_WELCOME), ctx.GAME_NAME);
    return page;
}

TypePage ShowTypePage(const SetupContext& ctx, const StringLoader& strings) {
    TypePage page;
    switch (ctx.SetupTypeIndex) {
    case kSetupMinimum:
        page.checked = IDC_TYPE_MINIMUM;
        break;
    case kSetupFull:
        page.checked = IDC_TYPE_FULL;
        break;
    case kSetupStandard:
        page.checked = IDC_TYPE_STANDARD;
        break;
    default:
        page.checked = 0;  // no radio button stands for it
        break;
    }
    page.standardSize = SizeText(strings, IDS_TYPE_SPACE, ctx.RequiredBytes[kSetupStandard]);
    page.minimumSize = SizeText(strings, IDS_TYPE_SPACE, ctx.RequiredBytes[kSetupMinimum]);
    page.fullSize = SizeText(strings, IDS_TYPE_SPACE, ctx.RequiredBytes[kSetupFull]);
    return page;
}

bool ChooseSetupType(SetupContext& ctx, int control) {
    switch (control) {
    case IDC_TYPE_STANDARD:
        ctx.SetupTypeIndex = kSetupStandard;
        return true;
    case IDC_TYPE_MINIMUM:
        ctx.SetupTypeIndex = kSetupMinimum;
        return true;
    case IDC_TYPE_FULL:
        ctx.SetupTypeIndex = kSetupFull;
        return true;
    default:
        return false;
    }
}

SpaceTexts UpdateSpaceTexts(const SetupContext& ctx, const StringLoader& strings) {
    SpaceTexts texts;
    texts.heading = ReplacePlaceholder(strings(IDS_PATH_HEADING), ctx.GAME_NAME);
    texts.freeSpace = SizeText(strings, IDS_FREE_SPACE, ctx.FreeBytes);
    const int64_t required = RequiredFor(ctx, ctx.SetupTypeIndex);
    texts.required = SizeText(strings, IDS_SPACE_REQUIRED, required);
    // Computed unsigned so that no figure can overflow; read back as signed.
    const int64_t spare = static_cast<int64_t>(static_cast<uint64_t>(ctx.FreeBytes) -
                                               static_cast<uint64_t>(required));
    if (spare > 0) {
        texts.buttons = kWizardBack | kWizardNext;
    } else {
        texts.shortfall = SizeText(strings, IDS_SPACE_SHORTFALL,
                                   static_cast<int64_t>(0 - static_cast<uint64_t>(spare)));
        texts.buttons = kWizardBack;
    }
    return texts;
}

int DestinationWizardNext(SetupEnv& env, const PageAsk& ask) {
    const std::string& path = env.ctx.InstallPath;
    const uint32_t attributes = env.os.GetFileAttributes(path);
    if (attributes != win::INVALID_FILE_ATTRIBUTES_ &&
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY_) != 0) {
        return 0;
    }
    const std::string question = Format("%sﾌｫﾙﾀﾞは存在しません。\n\n作成しますか？", path.c_str());
    if (ask(question, kCreateCaption, mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2) !=
        mb::IDYES_) {
        return -1;
    }
    if (CreateDirectoryPath(env.os, path, env.ctx.WizardMadeFolders)) return 0;
    ask("ﾌｫﾙﾀﾞの作成に失敗しました。", kCreateCaption, mb::OK | mb::ICONEXCLAMATION);
    return -1;
}

void ApplyBrowsedFolder(SetupEnv& env, const std::string& folder, std::string& directory) {
    directory = folder;
    // One trailing backslash, also after a drive root the browser gives as "D:\".
    std::string path = folder;
    env.ctx.InstallPath = TrimTrailingBackslashes(path) + "\\";
    int64_t freeBytes = 0;
    GetDiskFreeBytes(env.os, folder, freeBytes);
    env.ctx.FreeBytes = freeBytes;
}

}  // namespace setup
