// One message box as a user saw it, for the tests on both sides: the host's
// FakeUi records the call, the Windows-side tests read the box on screen.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace setup {

struct ShownBox {
    enum Kind { App, Desktop } kind = App;
    std::string text;
    std::string caption;  // empty for App boxes (the program's name)
    unsigned style = 0;
    // What the progress window showed meanwhile; empty when none was up.
    std::string status;
    std::string percent;
    uintptr_t owner = 0;  // the box's owner window, where a test reads it

    bool operator==(const ShownBox& o) const {
        return kind == o.kind && text == o.text && caption == o.caption && style == o.style &&
               status == o.status && percent == o.percent && owner == o.owner;
    }
};

inline ShownBox AppBox(std::string text, unsigned style) {
    return ShownBox{ShownBox::App, std::move(text), std::string(), style, {}, {}, 0};
}
inline ShownBox DesktopBox(std::string text, std::string caption, unsigned style) {
    return ShownBox{ShownBox::Desktop, std::move(text), std::move(caption), style, {}, {}, 0};
}
// The boxes of a finished installation and uninstallation.
inline const ShownBox kInstallDone = DesktopBox("ｲﾝｽﾄｰﾙが正常に完了しました。", "ｲﾝｽﾄｰﾙ", 64);
inline const ShownBox kUninstallDone = DesktopBox("ｱﾝｲﾝｽﾄｰﾙが正常に完了しました。", "ｱﾝｲﾝｽﾄｰﾙ", 64);

// The same box, shown while a progress window read `status` and `percent`.
inline ShownBox OverProgress(ShownBox box, std::string status, std::string percent) {
    box.status = std::move(status);
    box.percent = std::move(percent);
    return box;
}

// gtest prints this for a box that did not match.
inline std::ostream& operator<<(std::ostream& out, const ShownBox& box) {
    out << (box.kind == ShownBox::App ? "App" : "Desktop") << "Box(\"" << box.text << "\", \""
        << box.caption << "\", " << box.style;
    if (!box.status.empty() || !box.percent.empty()) {
        out << ", over \"" << box.status << "\" " << box.percent;
    }
    if (box.owner != 0) out << ", owner " << box.owner;
    return out << ")";
}

}  // namespace setup
