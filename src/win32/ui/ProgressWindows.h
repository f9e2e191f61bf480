// The progress and preparing windows on the dialog layer: modeless, without
// a parent, kept alive by the engine's message pumping.
#pragma once

#include "seams/Ui.h"
#include "ui/Progress.h"
#include "win32/ui/Dialog.h"

namespace setup {

// Template 115. The window's own ProgressCounter is the truth for position
// and percentage; the bar only shows it.
class Win32ProgressWindow final : public Dialog, public ProgressWindow {
public:
    // titleStringId 0 means the install title. `ui` pumps the messages.
    Win32ProgressWindow(Ui& ui, HINSTANCE resources, int titleStringId);
    ~Win32ProgressWindow() override;

    int Create() override;
    void Show() override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override;
    int32_t SetPos(int32_t position) override;
    int32_t StepIt() override;
    void SetStatusText(const std::string& text) override;
    void DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    // The user cannot close it: Enter, Esc and the close box do nothing.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void SendRange();
    void ShowPosition();
    void ReleaseOwner();

    Ui& ui_;
    HINSTANCE resources_;
    int titleStringId_;
    ProgressCounter counter_;
    HWND owner_ = nullptr;
    bool ownerDisabled_ = false;
};

// Template 133: one centred line, created hidden, never disables anything.
class Win32PreparingWindow final : public Dialog, public PreparingWindow {
public:
    explicit Win32PreparingWindow(HINSTANCE resources) : resources_(resources) {}

    int Create() override;
    void Show() override;
    void DestroyWindow() override;

protected:
    // A status box: keys that would end a dialog leave it up.
    void OnOK() override {}
    void OnCancel() override {}

private:
    HINSTANCE resources_;
};

}  // namespace setup
