// A Ui that records what the user would have seen and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "support/ShownBox.h"
#include "ui/Progress.h"
#include "ui/Ui.h"
#include "ui/Wizard.h"

namespace setup {

class FakeUi;

// Records every operation into the FakeUi's event list, in the words of the
// operation ("progress: range 0 5"), and keeps the bar's state.
class FakeProgressWindow : public ProgressWindow {
public:
    FakeProgressWindow(FakeUi& ui, int titleStringId) : ui_(ui), title_(titleStringId) {}
    ~FakeProgressWindow() override;
    int Create() override;
    void Show() override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override;
    int32_t SetPos(int32_t position) override;
    int32_t StepIt() override;
    void SetStatusText(const std::string& text) override;
    void DestroyWindow() override;

private:
    FakeUi& ui_;
    int title_;
    bool exists_ = false;
};

class FakePreparingWindow : public PreparingWindow {
public:
    explicit FakePreparingWindow(FakeUi& ui) : ui_(ui) {}
    ~FakePreparingWindow() override;
    int Create() override;
    void Show() override;
    void DestroyWindow() override;

private:
    FakeUi& ui_;
    bool exists_ = false;
};

class FakeUi : public Ui {
public:
    int AppMessageBox(const std::string& text, unsigned style) override {
        boxes.push_back(AppBox(text, style));
        events.push_back("box: " + text);
        return NextAnswer(mb::IDOK_);
    }
    int DesktopMessageBox(const std::string& text, const std::string& caption,
                          unsigned style) override {
        boxes.push_back(DesktopBox(text, caption, style));
        events.push_back("box: " + text);
        return NextAnswer(mb::IDOK_);
    }
    // Each launcher pass takes the next scripted choice. The launcher sets
    // MenuChoice to 0 on construction, then to the choice; choice 0 ends it
    // with IDCANCEL, any other with IDOK. With no choice left it exits.
    int RunLauncher(SetupContext& ctx) override {
        ctx.MenuChoice = 0;
        ++launcherRuns;
        events.push_back("launcher");
        if (onLauncher) return onLauncher(ctx);
        if (launcherChoices.empty()) return mb::IDCANCEL_;
        const int choice = launcherChoices.front();
        launcherChoices.pop_front();
        ctx.MenuChoice = choice;
        return choice == 0 ? mb::IDCANCEL_ : mb::IDOK_;
    }
    // The wizard opens on its defaults (standard type, ProgramDir\INSTALL_DIR);
    // onWizard may then choose as a user would and answer, else the next
    // scripted result is returned, else Finish.
    int RunInstallWizard(SetupEnv& env) override {
        ++wizardRuns;
        events.push_back("wizard");
        std::string directory;
        OpenInstallSheet(env.ctx, directory);
        if (onWizard) return onWizard(env);
        if (wizardResults.empty()) return mb::kWizardFinish;
        const int result = wizardResults.front();
        wizardResults.pop_front();
        return result;
    }
    void PumpMessages() override {
        ++pumps;
        events.push_back("pump");
    }
    std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) override {
        return std::make_unique<FakeProgressWindow>(*this, titleStringId);
    }
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override {
        return std::make_unique<FakePreparingWindow>(*this);
    }

    // Only the progress events, in order.
    std::vector<std::string> ProgressEvents() const {
        std::vector<std::string> out;
        for (const std::string& e : events) {
            if (e.rfind("progress: ", 0) == 0) out.push_back(e.substr(10));
        }
        return out;
    }

    std::vector<ShownBox> boxes;
    std::vector<std::string> events;  // boxes and windows in the order shown
    std::deque<int> answers;          // message box answers; IDOK when empty
    std::deque<int> launcherChoices;
    std::function<int(SetupContext&)> onLauncher;
    int launcherRuns = 0;
    std::deque<int> wizardResults;
    std::function<int(SetupEnv&)> onWizard;
    int wizardRuns = 0;
    int pumps = 0;
    ProgressCounter bar;  // the last progress window's bar
    int progressWindowsOpen = 0;
    int preparingWindowsOpen = 0;

private:
    int NextAnswer(int fallback) {
        if (answers.empty()) return fallback;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

inline FakeProgressWindow::~FakeProgressWindow() {
    if (exists_) DestroyWindow();
}
inline int FakeProgressWindow::Create() {
    ui_.events.push_back("progress: create " + std::to_string(title_));
    ui_.bar = ProgressCounter();
    exists_ = true;
    ++ui_.progressWindowsOpen;
    return 1;
}
inline void FakeProgressWindow::Show() {
    ui_.events.push_back("progress: show");
}
inline void FakeProgressWindow::SetRange(int32_t lower, int32_t upper) {
    ui_.events.push_back("progress: range " + std::to_string(lower) + " " + std::to_string(upper));
    ui_.bar.SetRange(lower, upper);
}
inline void FakeProgressWindow::SetStep(int32_t step) {
    ui_.events.push_back("progress: step " + std::to_string(step));
    ui_.bar.SetStep(step);
}
inline int32_t FakeProgressWindow::SetPos(int32_t position) {
    ui_.PumpMessages();
    ui_.events.push_back("progress: pos " + std::to_string(position));
    return ui_.bar.SetPos(position);
}
inline int32_t FakeProgressWindow::StepIt() {
    ui_.PumpMessages();
    ui_.events.push_back("progress: stepit");
    return ui_.bar.StepIt();
}
inline void FakeProgressWindow::SetStatusText(const std::string& text) {
    ui_.events.push_back("progress: status " + text);
}
inline void FakeProgressWindow::DestroyWindow() {
    if (!exists_) return;
    ui_.events.push_back("progress: destroy");
    exists_ = false;
    --ui_.progressWindowsOpen;
}

inline FakePreparingWindow::~FakePreparingWindow() {
    if (exists_) DestroyWindow();
}
inline int FakePreparingWindow::Create() {
    ui_.events.push_back("preparing: create");
    exists_ = true;
    ++ui_.preparingWindowsOpen;
    return 1;
}
inline void FakePreparingWindow::Show() {
    ui_.events.push_back("preparing: show");
}
inline void FakePreparingWindow::DestroyWindow() {
    if (!exists_) return;
    ui_.events.push_back("preparing: destroy");
    exists_ = false;
    --ui_.preparingWindowsOpen;
}

}  // namespace setup
