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

std::string OpenInstallSheet(const SetupContext& ctx, WizardChoice& choice,
                             std::string& directory) {
    choice.setupType = kSetupStandard;
    choice.installPath = Format("%s\\%s", ctx.ProgramDir.c_str(), ctx.INSTALL_DIR.c_str());
    choice.freeBytes = ctx.FreeBytes;
    directory = choice.installPath;
    return ctx.BRAND_NAME;
}

WelcomePage ShowWelcomePage(const SetupContext& ctx, const StringLoader& strings) {
    WelcomePage page;
    page.welcome = ReplacePlaceholder(strings(IDS_WELCOME), ctx.GAME_NAME);
    return page;
}

TypePage ShowTypePage(const SetupContext& ctx, const WizardChoice& choice,
                      const StringLoader& strings) {
    TypePage page;
    switch (choice.setupType) {
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

bool ChooseSetupType(WizardChoice& choice, int control) {
    switch (control) {
    case IDC_TYPE_STANDARD:
        choice.setupType = kSetupStandard;
        return true;
    case IDC_TYPE_MINIMUM:
        choice.setupType = kSetupMinimum;
        return true;
    case IDC_TYPE_FULL:
        choice.setupType = kSetupFull;
        return true;
    default:
        return false;
    }
}

SpaceTexts UpdateSpaceTexts(const SetupContext& ctx, const WizardChoice& choice,
                            const StringLoader& strings) {
    SpaceTexts texts;
    texts.heading = ReplacePlaceholder(strings(IDS_PATH_HEADING), ctx.GAME_NAME);
    texts.freeSpace = SizeText(strings, IDS_FREE_SPACE, choice.freeBytes);
    const int64_t required = RequiredFor(ctx, choice.setupType);
    texts.required = SizeText(strings, IDS_SPACE_REQUIRED, required);
    // Computed unsigned so that no figure can overflow; read back as signed.
    const int64_t spare = static_cast<int64_t>(static_cast<uint64_t>(choice.freeBytes) -
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

int DestinationWizardNext(InstallFolderAccess& folders, const WizardChoice& choice,
                          const PageAsk& ask) {
    const std::string& path = choice.installPath;
    if (folders.IsFolder(path)) return 0;
    const std::string question = Format("%sﾌｫﾙﾀﾞは存在しません。\n\n作成しますか？", path.c_str());
    if (ask(question, kCreateCaption, mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2) !=
        mb::IDYES_) {
        return -1;
    }
    if (folders.MakeFolder(path)) return 0;
    ask("ﾌｫﾙﾀﾞの作成に失敗しました。", kCreateCaption, mb::OK | mb::ICONEXCLAMATION);
    return -1;
}

void ApplyBrowsedFolder(InstallFolderAccess& folders, const std::string& folder,
                        WizardChoice& choice, std::string& directory) {
    directory = folder;
    // One trailing backslash, also after a drive root the browser gives as "D:\".
    choice.installPath = WithoutTrailingBackslashes(folder) + "\\";
    choice.freeBytes = folders.FreeBytes(folder);
}

}  // namespace setup
