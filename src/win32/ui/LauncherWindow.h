// The launcher window: the title bitmap on the left, four buttons on the
// right. What it shows and what its buttons do is decided by ui/Launcher.h;
// this class puts that on the screen.
#pragma once

#include "ui/Launcher.h"
#include "win32/ui/Dialog.h"

namespace setup {

class LauncherWindow final : public Dialog {
public:
    // A new launcher, its choice 0 and its icon loaded from `resources`.
    // Run it with DoModal on its template.
    LauncherWindow(const SetupContext& ctx, Os& os, Ui& ui,
                   const InstallFolderReader& readInstallFolder, HINSTANCE resources);

    const LauncherOutcome& Outcome() const { return state_.outcome; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnPaint() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override {}
    void OnClose() override;
    void OnDpiChanged() override;

private:
    void Command(int id);
    void PaintIconic();
    void DrawTitleBitmap();

    const SetupContext& ctx_;
    Os& os_;
    Ui& ui_;
    const InstallFolderReader& readInstallFolder_;
    HINSTANCE resources_;
    HICON icon_ = nullptr;  // shared resource icon: never destroyed
    WindowIcons icons_;     // the caption's and the task bar's, at the window's scale
    LauncherState state_;
};

}  // namespace setup
