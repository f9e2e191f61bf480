// The screen as a command line wants it: the real one, or, in a silent run,
// none at all. A silent run shows no window and no box: each box becomes a
// line of the log, answered as OK (Yes for a question). With a log, every box
// is written there too.
#pragma once

#include <memory>
#include <string>

#include "core/SetupContext.h"
#include "seams/Ui.h"

namespace setup {

class CommandUi final : public Ui {
public:
    // The windows of a run that shows none.
    class HiddenProgress final : public ProgressWindow {
    public:
        int Create() override { return 1; }
        void Show() override {}
        void SetRange(int32_t, int32_t) override {}
        void SetStep(int32_t) override {}
        int32_t SetPos(int32_t) override { return 0; }
        int32_t StepIt() override { return 0; }
        void SetStatusText(const std::string&) override {}
        void DestroyWindow() override {}
    };
    class HiddenPreparing final : public PreparingWindow {
    public:
        int Create() override { return 1; }
        void Show() override {}
        void DestroyWindow() override {}
    };


    CommandUi(Ui& screen, SetupContext& ctx) : screen_(screen), ctx_(ctx) {}

    bool silent = false;
    bool logBoxes = false;

    int AppMessageBox(const std::string& text, unsigned style) override {
        Log(text);
        if (!silent) return screen_.AppMessageBox(text, style);
        screen_.UnshownBox(text);
        return Answer(style);
    }
    int DesktopMessageBox(const std::string& text, const std::string& caption,
                          unsigned style) override {
        Log(text);
        if (!silent) return screen_.DesktopMessageBox(text, caption, style);
        screen_.UnshownBox(text);
        return Answer(style);
    }
    LauncherOutcome RunLauncher(const SetupContext& ctx,
                                const InstallFolderReader& readInstallFolder) override {
        return screen_.RunLauncher(ctx, readInstallFolder);
    }
    int RunInstallWizard(const SetupContext& ctx, InstallFolderAccess& folders,
                         WizardChoice& choice) override {
        return screen_.RunInstallWizard(ctx, folders, choice);
    }
    void PumpMessages() override {
        if (!silent) screen_.PumpMessages();
    }
    std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) override {
        if (!silent) return screen_.NewProgressWindow(titleStringId);
        return std::make_unique<HiddenProgress>();
    }
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override {
        if (!silent) return screen_.NewPreparingWindow();
        return std::make_unique<HiddenPreparing>();
    }

private:
    static int Answer(unsigned style) {
        return (style & 0x0F) == mb::YESNO ? mb::IDYES_ : mb::IDOK_;
    }
    // One line, whatever line breaks the box's text has.
    void Log(const std::string& text) {
        if (!logBoxes) return;
        std::string line = text;
        for (char& c : line) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        ctx_.Trace("BOX %s\n", line.c_str());
    }

    Ui& screen_;
    SetupContext& ctx_;
};

}  // namespace setup
