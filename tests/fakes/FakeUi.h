// A Ui that records what the user would have seen and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/SetupContext.h"
#include "seams/Ui.h"
#include "support/ShownBox.h"
#include "ui/Progress.h"
#include "ui/Wizard.h"

namespace setup {

class FakeUi : public Ui {
public:
    // Every box is answered with OK.
    int AppMessageBox(const std::string& text, unsigned style) override {
        return Show(AppBox(text, style));
    }
    int DesktopMessageBox(const std::string& text, const std::string& caption,
                          unsigned style) override {
        return Show(DesktopBox(text, caption, style));
    }
    // Each launcher pass reads the install folder, as the real one does once
    // its bitmap is in, and takes the next scripted choice; with none left it
    // exits.
    LauncherOutcome RunLauncher(const SetupContext&,
                                const InstallFolderReader& readInstallFolder) override {
        ++launcherRuns;
        events.push_back("launcher");
        LauncherOutcome outcome;
        readInstallFolder(outcome.installFolder);
        if (!launcherChoices.empty()) {
            outcome.choice = launcherChoices.front();
            launcherChoices.pop_front();
        }
        return outcome;
    }
    // The wizard opens on its defaults (standard type, ProgramDir\INSTALL_DIR);
    // onWizard may then choose as a user would and answer, else the next
    // scripted result is returned, else Finish.
    int RunInstallWizard(const SetupContext& ctx, InstallFolderAccess& folders,
                         WizardChoice& choice) override {
        ++wizardRuns;
        events.push_back("wizard");
        std::string directory;
        OpenInstallSheet(ctx, choice, directory);
        if (onWizard) return onWizard(folders, choice);
        if (wizardResults.empty()) return mb::kWizardFinish;
        const int result = wizardResults.front();
        wizardResults.pop_front();
        return result;
    }
    void PumpMessages() override {
        ++pumps;
        events.push_back("pump");
    }
    std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) override;
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override;

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
    std::deque<int> answers;          // to the boxes in turn; OK when none is left
    std::deque<int> launcherChoices;
    int launcherRuns = 0;
    std::deque<int> wizardResults;
    std::function<int(InstallFolderAccess&, WizardChoice&)> onWizard;
    int wizardRuns = 0;
    int pumps = 0;
    ProgressCounter bar;  // the last progress window's bar
    int progressWindowsOpen = 0;
    int preparingWindowsOpen = 0;

private:
    int Show(const ShownBox& box) {
        boxes.push_back(box);
        events.push_back("box: " + box.text);
        if (answers.empty()) return mb::IDOK_;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Records every operation into the FakeUi's event list as "<kind>: <operation>"
// ("progress: range 0 5") and counts itself in `open` while it exists.
template <class Window>
class FakeWindow : public Window {
public:
    FakeWindow(FakeUi& ui, const std::string& kind, std::string created, int& open)
        : ui_(ui), kind_(kind), created_(std::move(created)), open_(open) {}
    ~FakeWindow() override { DestroyWindow(); }
    int Create() override {
        Record(created_);
        exists_ = true;
        ++open_;
        return 1;
    }
    void Show() override { Record("show"); }
    void DestroyWindow() override {
        if (!exists_) return;
        Record("destroy");
        exists_ = false;
        --open_;
    }

protected:
    void Record(const std::string& operation) { ui_.events.push_back(kind_ + ": " + operation); }
    FakeUi& ui_;

private:
    std::string kind_, created_;
    int& open_;
    bool exists_ = false;
};

// Keeps the bar's state in the FakeUi's `bar` too.
class FakeProgressWindow : public FakeWindow<ProgressWindow> {
public:
    FakeProgressWindow(FakeUi& ui, int titleStringId)
        : FakeWindow(ui, "progress", "create " + std::to_string(titleStringId),
                     ui.progressWindowsOpen) {}
    int Create() override {
        ui_.bar = ProgressCounter();
        return FakeWindow::Create();
    }
    void SetRange(int32_t lower, int32_t upper) override {
        Record("range " + std::to_string(lower) + " " + std::to_string(upper));
        ui_.bar.SetRange(lower, upper);
    }
    void SetStep(int32_t step) override {
        Record("step " + std::to_string(step));
        ui_.bar.SetStep(step);
    }
    int32_t SetPos(int32_t position) override {
        ui_.PumpMessages();
        Record("pos " + std::to_string(position));
        return ui_.bar.SetPos(position);
    }
    int32_t StepIt() override {
        ui_.PumpMessages();
        Record("stepit");
        return ui_.bar.StepIt();
    }
    void SetStatusText(const std::string& text) override { Record("status " + text); }
};

inline std::unique_ptr<ProgressWindow> FakeUi::NewProgressWindow(int titleStringId) {
    return std::make_unique<FakeProgressWindow>(*this, titleStringId);
}
inline std::unique_ptr<PreparingWindow> FakeUi::NewPreparingWindow() {
    return std::make_unique<FakeWindow<PreparingWindow>>(*this, "preparing", "create",
                                                         preparingWindowsOpen);
}

}  // namespace setup
