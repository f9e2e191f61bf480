// The progress and preparing windows on screen: what the title, percentage
// and bar show, the owner they hold disabled, and that the user cannot close
// them. Needs a display (Xvfb under Wine); fails where no window opens.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "WindowTestSupport.h"
#include "resource.h"
#include "win32/ui/ProgressWindows.h"
#include "win32/ui/PumpPace.h"

namespace setup {
namespace {

class ProgressTest : public RealWindowTest<> {
protected:
    void TearDown() override {
        if (owner_ != nullptr) ::DestroyWindow(owner_);
    }

    // A made and created progress window; its handle in `hwnd`.
    std::unique_ptr<ProgressWindow> Open(int titleId) {
        auto window = ui.NewProgressWindow(titleId);
        EXPECT_EQ(1, window->Create());
        hwnd = FindThreadDialog(IDC_PROGRESS_BAR);
        EXPECT_NE(nullptr, hwnd);
        return window;
    }
    std::string Percent() const { return ItemText(hwnd, IDC_PROGRESS_PERCENT); }
    LRESULT Bar(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageW(hwnd, IDC_PROGRESS_BAR, message, wParam, lParam);
    }

    // A visible, active top-level window to be the owner: a captioned window of
    // a class of its own, as a program's main window is. Activation reaches it
    // through the X server, so it is asked for again until the events are in.
    HWND ActiveOwner() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ProgressTestOwner";
        ::RegisterClassW(&wc);
        owner_ = ::CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 50, 50, 300,
                                   200, nullptr, nullptr, wc.hInstance, nullptr);
        ::ShowWindow(owner_, SW_SHOW);
        PumpUntil(ui, 50, [this] {
            ::SetForegroundWindow(owner_);
            ::SetActiveWindow(owner_);
            ui.PumpMessages();
            return ::GetActiveWindow() == owner_;
        });
        return owner_;
    }

    HWND hwnd = nullptr;

private:
    HWND owner_ = nullptr;
};

TEST_F(ProgressTest, OpensTitledCentredWithTheTemplatePercentage) {
    for (int id : {0, IDS_INSTALLING, IDS_UNINSTALLING}) {
        auto window = Open(id);
        ASSERT_NE(nullptr, hwnd);
        EXPECT_EQ(id == IDS_UNINSTALLING ? "ｱﾝｲﾝｽﾄｰﾙ中..." : "ｲﾝｽﾄｰﾙ中...", TextOf(hwnd));
        EXPECT_TRUE(::IsWindowVisible(hwnd));
        EXPECT_EQ(0, ::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU);
        EXPECT_EQ(" 0 %", Percent());
        EXPECT_EQ(0, Bar(PBM_GETRANGE, TRUE));
        EXPECT_EQ(100, Bar(PBM_GETRANGE, FALSE));
        EXPECT_EQ(0, Bar(PBM_GETPOS));

        ExpectCentred(hwnd, WorkArea(), 2);  // with no owner

        window->SetStatusText("ﾌｧｲﾙのｺﾋﾟｰ中...");
        EXPECT_EQ("ﾌｧｲﾙのｺﾋﾟｰ中...", ItemText(hwnd, IDC_PROGRESS_STATUS));
        // Ranges and steps leave the text alone; the first position sets it.
        window->SetRange(0, 10);
        window->SetStep(1);
        EXPECT_EQ(" 0 %", Percent());
        EXPECT_EQ(0, window->SetPos(0));
        EXPECT_EQ("0%", Percent());
        window->DestroyWindow();
        EXPECT_FALSE(::IsWindow(hwnd));
    }
}

TEST_F(ProgressTest, PercentageAndBarFollowThePosition) {
    auto window = Open(IDS_INSTALLING);
    window->SetRange(0, 7);
    window->SetStep(1);
    EXPECT_EQ(7, Bar(PBM_GETRANGE, FALSE));
    const char* expected[] = {"14%", "28%", "42%", "57%", "71%", "85%", "100%"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(i, window->StepIt());
        EXPECT_EQ(expected[i], Percent()) << "after step " << i + 1;
        EXPECT_EQ(i + 1, Bar(PBM_GETPOS));
    }
    EXPECT_EQ(7, window->SetPos(3));
    EXPECT_EQ("42%", Percent());

    // Past the end the bar holds full and the text stays 100%, not wrapped.
    window->SetRange(0, 1);
    EXPECT_EQ(1, window->SetPos(0));
    for (int i = 0; i < 3; ++i) window->StepIt();
    EXPECT_EQ("100%", Percent());
    EXPECT_EQ(1, Bar(PBM_GETPOS));
    window->SetStep(5);
    EXPECT_EQ(1, window->StepIt());
    EXPECT_EQ(1, Bar(PBM_GETPOS));

    // An empty range fails nothing and shows 0%.
    window->SetRange(0, 0);
    window->SetPos(0);
    EXPECT_EQ("0%", Percent());
    window->StepIt();
    EXPECT_EQ("0%", Percent());
}

TEST_F(ProgressTest, BoundsBeyondSixteenBitsReachTheBarTruncated) {
    auto window = Open(IDS_INSTALLING);
    window->SetRange(0, 70000);
    EXPECT_EQ(70000 & 0xFFFF, Bar(PBM_GETRANGE, FALSE));
    for (auto [pos, percent] : {std::pair{35000, "50%"}, {69999, "99%"}, {70000, "100%"}}) {
        window->SetPos(pos);
        EXPECT_EQ(percent, Percent());
    }
}

TEST_F(ProgressTest, HoldsTheActiveWindowDisabledUntilDestroyed) {
    HWND owner = ActiveOwner();
    ASSERT_EQ(owner, ::GetActiveWindow()) << "the owner could not be activated";
    auto window = Open(IDS_INSTALLING);
    EXPECT_FALSE(::IsWindowEnabled(owner));
    ExpectCentred(hwnd, WindowRect(owner), 2);  // over the window it disabled

    window->DestroyWindow();
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(::IsWindow(hwnd));
    // A second destroy enables nothing that was disabled since.
    ::EnableWindow(owner, FALSE);
    window->DestroyWindow();
    EXPECT_FALSE(::IsWindowEnabled(owner));
    ::EnableWindow(owner, TRUE);

    // Deleting the object with its window open gives the owner back too.
    ::SetActiveWindow(owner);
    window = Open(IDS_UNINSTALLING);
    EXPECT_FALSE(::IsWindowEnabled(owner));
    window.reset();
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(ProgressTest, AnOwnerAlreadyDisabledStaysDisabled) {
    HWND owner = ActiveOwner();
    ASSERT_EQ(owner, ::GetActiveWindow()) << "the owner could not be activated";
    ::EnableWindow(owner, FALSE);
    auto window = Open(IDS_INSTALLING);
    window->DestroyWindow();
    EXPECT_FALSE(::IsWindowEnabled(owner));
}

TEST_F(ProgressTest, EnterEscapeAndCloseLeaveItOpen) {
    auto window = Open(IDS_INSTALLING);
    ::SetFocus(hwnd);
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    ::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpUntil(ui, 5, [] { return false; });
    ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
}

TEST_F(ProgressTest, PreparingWindowShowsItsLineAndDisablesNothing) {
    HWND owner = ActiveOwner();
    auto preparing = ui.NewPreparingWindow();
    ASSERT_EQ(1, preparing->Create());
    HWND box = ::FindWindowExW(nullptr, nullptr, MAKEINTATOM(32770), nullptr);
    ASSERT_NE(nullptr, box);
    EXPECT_FALSE(::IsWindowVisible(box));
    EXPECT_EQ(0, ::GetWindowLongPtrW(box, GWL_STYLE) & WS_CAPTION & ~WS_BORDER);
    preparing->Show();
    ui.PumpMessages();
    EXPECT_TRUE(::IsWindowVisible(box));
    EXPECT_TRUE(::IsWindowEnabled(owner));
    HWND line = ::GetWindow(box, GW_CHILD);
    ASSERT_NE(nullptr, line);
    EXPECT_EQ("ｾｯﾄｱｯﾌﾟﾌﾟﾛｸﾞﾗﾑの準備中...", TextOf(line));

    // Escape does not take it down either; only the program does.
    ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PumpSoon();  // drained now, not at the pump's next 15 ms
    ui.PumpMessages();
    EXPECT_TRUE(::IsWindow(box));
    preparing->DestroyWindow();
    EXPECT_FALSE(::IsWindow(box));
    preparing->DestroyWindow();
}

}  // namespace
}  // namespace setup
