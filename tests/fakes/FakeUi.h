// A Ui that records what the user would have seen and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/SetupContext.h"
#include "ui/Ui.h"

namespace setup {

struct ShownBox {
    enum Kind { App, Desktop } kind = App;
    std::string text;
    std::string caption;  // empty for App boxes (the program's name)
    unsigned style = 0;

    bool operator==(const ShownBox& o) const {
        return kind == o.kind && text == o.text && caption == o.caption && style == o.style;
    }
};

inline ShownBox AppBox(std::string text, unsigned style) {
    return ShownBox{ShownBox::App, std::move(text), std::string(), style};
}
inline ShownBox DesktopBox(std::string text, std::string caption, unsigned style) {
    return ShownBox{ShownBox::Desktop, std::move(text), std::move(caption), style};
}

inline std::ostream& operator<<(std::ostream& out, const ShownBox& box) {
    return out << (box.kind == ShownBox::App ? "App" : "Desktop") << "Box(\"" << box.text
               << "\", \"" << box.caption << "\", " << box.style << ")";
}

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
    void PumpMessages() override { ++pumps; }

    std::vector<ShownBox> boxes;
    std::vector<std::string> events;  // boxes and windows in the order shown
    std::deque<int> answers;          // message box answers; IDOK when empty
    std::deque<int> launcherChoices;
    std::function<int(SetupContext&)> onLauncher;
    int launcherRuns = 0;
    int pumps = 0;

private:
    int NextAnswer(int fallback) {
        if (answers.empty()) return fallback;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace setup
