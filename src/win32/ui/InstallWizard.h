// The install wizard on Win32: the sheet and its four pages on the dialog
// layer. What the pages show and decide comes from ui/Wizard.h; the classes
// here only move it to and from the screen.
#pragma once

#include <string>

#include "core/SetupContext.h"
#include "ui/Wizard.h"
#include "win32/ui/Dialog.h"

namespace setup {

// Template 106.
class COpening final : public PropertyPage {
public:
    COpening(const SetupContext& ctx, const StringLoader& strings) : ctx_(ctx), strings_(strings) {}

protected:
    bool OnSetActive() override;

private:
    const SetupContext& ctx_;
    const StringLoader& strings_;
    std::string m_strWelcome;
};

// Template 103.
class CSelectType final : public PropertyPage {
public:
    CSelectType(const SetupContext& ctx, WizardChoice& choice, const StringLoader& strings)
        : ctx_(ctx), choice_(choice), strings_(strings) {}

protected:
    bool OnSetActive() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    const SetupContext& ctx_;
    WizardChoice& choice_;
    const StringLoader& strings_;
    std::string m_strStandardSize;
    std::string m_strMinimumSize;
    std::string m_strFullSize;
};

// Template 104.
class CSelectPath final : public PropertyPage {
public:
    CSelectPath(const SetupContext& ctx, InstallFolderAccess& folders, WizardChoice& choice,
                const StringLoader& strings)
        : ctx_(ctx), folders_(folders), choice_(choice), strings_(strings) {}

    // The folder control 1008 shows; the sheet sets it when it opens.
    std::string m_strDirectory;

protected:
    bool OnSetActive() override;
    LRESULT OnWizardNext() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The figures and the buttons of the choice, onto the page.
    void UpdateSpaceTexts();
    void UpdateData();
    void OnBrowse();

    const SetupContext& ctx_;
    InstallFolderAccess& folders_;
    WizardChoice& choice_;
    const StringLoader& strings_;
    std::string m_strFreeSpace;
    std::string m_strRequired;
    std::string m_strShortfall;
    std::string m_strHeading;
};

// Template 105.
class CFinish final : public PropertyPage {
protected:
    bool OnSetActive() override;
};

// The modal wizard: welcome, setup type, destination, ready.
class CInstallSheet {
public:
    // Pages, icon and strings come from `resources`; what the pages choose
    // goes to `choice`.
    CInstallSheet(const SetupContext& ctx, InstallFolderAccess& folders, WizardChoice& choice,
                  HINSTANCE resources);
    CInstallSheet(const CInstallSheet&) = delete;
    CInstallSheet& operator=(const CInstallSheet&) = delete;

    // Opens the wizard on the default choices (standard setup, the default
    // folder) and runs it. kWizardFinish after Finish, IDCANCEL_ after
    // Cancel or when the wizard could not be shown.
    int DoModal(HWND parent);

private:
    const SetupContext& ctx_;
    WizardChoice& choice_;
    HINSTANCE resources_;
    StringLoader strings_;
    COpening welcome_;
    CFinish finish_;
    CSelectType type_;
    CSelectPath path_;
};

}  // namespace setup
