// The install wizard on Win32: the sheet and its four pages on the dialog
// layer. What the pages show and decide comes from ui/Wizard.h; the classes
// here only move it to and from the screen.
#pragma once

#include <string>

#include "core/SetupEnv.h"
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
    CSelectType(SetupContext& ctx, const StringLoader& strings) : ctx_(ctx), strings_(strings) {}

protected:
    bool OnSetActive() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;

private:
    SetupContext& ctx_;
    const StringLoader& strings_;
    std::string m_strStandardSize;
    std::string m_strMinimumSize;
    std::string m_strFullSize;
};

// Template 104.
class CSelectPath final : public PropertyPage {
public:
    CSelectPath(SetupEnv env, const StringLoader& strings) : env_(env), strings_(strings) {}

    // The folder control 1008 shows; the sheet sets it when it opens.
    std::string m_strDirectory;

protected:
    bool OnSetActive() override;
    LRESULT OnWizardNext() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The figures and the buttons from SetupContext, onto the page.
    void UpdateSpaceTexts();
    void UpdateData();
    void OnBrowse();

    SetupEnv env_;
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
    // Pages, icon and strings come from `resources`.
    CInstallSheet(SetupEnv env, HINSTANCE resources);
    CInstallSheet(const CInstallSheet&) = delete;
    CInstallSheet& operator=(const CInstallSheet&) = delete;

    // Opens the wizard on the default choices (standard setup, the default
    // folder) and runs it. kWizardFinish after Finish, IDCANCEL_ after
    // Cancel or when the wizard could not be shown.
    int DoModal(HWND parent);

private:
    SetupEnv env_;
    HINSTANCE resources_;
    StringLoader strings_;
    COpening welcome_;
    CFinish finish_;
    CSelectType type_;
    CSelectPath path_;
};

}  // namespace setup
