// The launcher window: the title bitmap on the left, four buttons on the
// right. What it shows and what its buttons do is decided by ui/Launcher.h;
// this class puts that on the screen.
#pragma once

#include "core/SetupEnv.h"
#include "ui/Launcher.h"
#include "win32/ui/Dialog.h"

namespace setup {

class LauncherWindow final : public Dialog {
public:
    // A new launcher: MenuChoice back to 0 and the icon loaded from
    // `resources`. Run it with DoModal on its template.
    LauncherWindow(SetupEnv env, HINSTANCE resources);

    HICON Icon() const { return icon_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnPaint() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override {}
    void OnClose() override;

private:
    void Command(int id);
    void PaintIconic();
    void DrawTitleBitmap();

    SetupEnv env_;
    HICON icon_ = nullptr;  // shared resource icon: never destroyed
    LauncherState state_;
};

}  // namespace setup
