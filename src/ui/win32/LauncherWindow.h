// The launcher: four buttons that record the user's choice in MenuChoice.
#pragma once

#include "core/SetupContext.h"
#include "ui/win32/Dialog.h"

namespace setup {

class LauncherWindow final : public Dialog {
public:
    // Sets MenuChoice to 0, as every new launcher does.
    explicit LauncherWindow(SetupContext& ctx);

protected:
    bool PreTranslateMessage(const MSG& msg) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    void OnCancel() override;

private:
    void OnUninstall();

    SetupContext& ctx_;
};

}  // namespace setup
