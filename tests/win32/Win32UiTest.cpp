// The real Ui on Win32: the application box's name and style, the launcher
// driven through its buttons, and the message pump. The window tests need a
// display (Xvfb under Wine) and are skipped where no window can be made.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/SetupContext.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Undef.h"
#include "resource.h"
#include "ui/win32/Win32Ui.h"

namespace setup {
namespace {

TEST(AppNameFromPath, DropsFolderAndLastExtensionOnly) {
    EXPECT_EQ("Setup", AppNameFromPath("C:\\Game\\Setup.exe"));
    EXPECT_EQ("Setup", AppNameFromPath("C:\\Game.v2\\Setup.exe"));
    EXPECT_EQ("Setup", AppNameFromPath("/opt/game/Setup.exe"));
    EXPECT_EQ("my.setup", AppNameFromPath("D:\\my.setup.exe"));
    EXPECT_EQ("Setup", AppNameFromPath("Setup.exe"));
    EXPECT_EQ("Setup", AppNameFromPath("C:\\Game\\Setup"));
    EXPECT_EQ("セットアップ", AppNameFromPath("C:\\ゲーム\\セットアップ.exe"));
    // A dot followed by a space does not start an extension.
    EXPECT_EQ("Setup v1. final", AppNameFromPath("C:\\Setup v1. final"));
}

TEST(AppBoxStyle, OnlyAnOkBoxWithoutIconGetsTheExclamation) {
    EXPECT_EQ(mb::ICONEXCLAMATION, AppBoxStyle(mb::OK));
    EXPECT_EQ(mb::ICONEXCLAMATION, AppBoxStyle(mb::ICONEXCLAMATION));
    EXPECT_EQ(mb::ICONINFORMATION, AppBoxStyle(mb::ICONINFORMATION));
    EXPECT_EQ(mb::YESNO, AppBoxStyle(mb::YESNO));
    EXPECT_EQ(0x124u, AppBoxStyle(0x124));
    EXPECT_EQ(mb::DEFBUTTON2 | mb::ICONEXCLAMATION, AppBoxStyle(mb::DEFBUTTON2));
}

TEST(Win32Ui, AppNameIsThisProgramsFileName) {
    EXPECT_EQ("win32_tests", Win32Ui::AppName());
}

// --- driving real windows from a thread timer ---------------------------

std::string TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return Narrow(text);
}

// A visible dialog of this thread that has the given control; null if none.
HWND FindThreadDialog(int controlId) {
    struct Search {
        int id;
        HWND found;
    } search{controlId, nullptr};
    struct Visit {
        static BOOL CALLBACK Window(HWND h, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            if (!::IsWindowVisible(h) || ::GetDlgItem(h, s->id) == nullptr) return TRUE;
            s->found = h;
            return FALSE;
        }
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), &Visit::Window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Shown {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};

// Steps run one per timer tick, each until it returns true. A watchdog ends
// any dialog still open after a few seconds so a failing test cannot hang.
class Driver {
public:
    using Step = std::function<bool()>;

    explicit Driver(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &Driver::OnTimer);
    }
    ~Driver() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        Driver* self = current_;
        if (self == nullptr || self->busy_) return;
        self->busy_ = true;  // a step may open a modal loop that ticks again
        if (++self->ticks_ > 250) {
            for (int id : {0xFFFF, IDC_INSTALL}) {
                if (HWND h = FindThreadDialog(id)) ::EndDialog(h, 0);
            }
        } else if (!self->Finished() && self->steps_[self->next_]()) {
            ++self->next_;
        }
        self->busy_ = false;
    }

    static Driver* current_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool busy_ = false;
    UINT_PTR timer_ = 0;
};
Driver* Driver::current_ = nullptr;

Driver::Step Click(int controlId) {
    return [controlId] {
        HWND launcher = FindThreadDialog(IDC_INSTALL);
        if (launcher == nullptr) return false;
        ::PostMessageW(::GetDlgItem(launcher, controlId), BM_CLICK, 0, 0);
        return true;
    };
}

// Reads the message box on screen into `shown` and answers it.
Driver::Step Answer(Shown& shown, int button) {
    return [&shown, button] {
        HWND box = FindThreadDialog(0xFFFF);
        if (box == nullptr) return false;
        shown.caption = TextOf(box);
        shown.text = TextOf(::GetDlgItem(box, 0xFFFF));
        shown.owner = ::GetWindow(box, GW_OWNER);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return true;
    };
}

// The program's resources: this test's own when it was linked with them,
// else those of Setup.exe built beside it, loaded as data.
HINSTANCE ProgramResources() {
    static HINSTANCE module = [] {
        HINSTANCE self = ::GetModuleHandleW(nullptr);
        if (::FindResourceW(self, MAKEINTRESOURCEW(IDD_LAUNCHER), RT_DIALOG)) return self;
        std::wstring path(MAX_PATH, L'\0');
        path.resize(::GetModuleFileNameW(nullptr, &path[0], MAX_PATH));
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"Setup.exe";
        return static_cast<HINSTANCE>(
            ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }();
    return module;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr);
        if (probe == nullptr) GTEST_SKIP() << "no display to open windows on";
        ::DestroyWindow(probe);
    }

    Win32Ui ui{ProgramResources()};
};

class LauncherTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        if (ProgramResources() == nullptr) GTEST_SKIP() << "Setup.exe is not built";
        ctx.GAME_NAME = "テスト・ゲーム";
        ctx.MenuChoice = 7;
    }

    // Records, once the launcher is up, its caption and MenuChoice.
    Driver::Step Observe() {
        return [this] {
            HWND launcher = FindThreadDialog(IDC_INSTALL);
            if (launcher == nullptr) return false;
            caption = TextOf(launcher);
            choiceWhenOpen = ctx.MenuChoice;
            return true;
        };
    }

    SetupContext ctx;
    std::string caption;
    int choiceWhenOpen = -1;
};

TEST_F(LauncherTest, ButtonsSetTheChoiceAndEndTheDialog) {
    const struct {
        int control;
        int choice;
        int result;
    } cases[] = {
        {IDC_INSTALL, 1, mb::IDOK_},
        {IDC_RUN, 3, mb::IDOK_},
        {IDC_EXIT, 0, mb::IDCANCEL_},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        ctx.MenuChoice = 7;
        Driver driver({Observe(), Click(c.control)});
        EXPECT_EQ(c.result, ui.RunLauncher(ctx));
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(c.choice, ctx.MenuChoice);
        EXPECT_EQ(0, choiceWhenOpen);
        EXPECT_EQ("テスト・ゲーム", caption);
    }
}

TEST_F(LauncherTest, CloseBoxExits) {
    Driver driver({Observe(), [] {
                       HWND launcher = FindThreadDialog(IDC_INSTALL);
                       ::PostMessageW(launcher, WM_SYSCOMMAND, SC_CLOSE, 0);
                       return true;
                   }});
    EXPECT_EQ(mb::IDCANCEL_, ui.RunLauncher(ctx));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(0, ctx.MenuChoice);
}

TEST_F(LauncherTest, EscapeDoesNothing) {
    HWND launcher = nullptr;
    Driver driver({Observe(),
                   [&] {
                       launcher = FindThreadDialog(IDC_INSTALL);
                       ::SetFocus(::GetDlgItem(launcher, IDC_RUN));
                       ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                       ::PostMessageW(::GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
                       return true;
                   },
                   [&] { return FindThreadDialog(IDC_INSTALL) == launcher; }, Click(IDC_INSTALL)});
    EXPECT_EQ(mb::IDOK_, ui.RunLauncher(ctx));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(1, ctx.MenuChoice);
}

TEST_F(LauncherTest, UninstallAsksFirstAndNoKeepsTheLauncherOpen) {
    Shown no, yes;
    HWND launcher = nullptr;
    Driver driver({Observe(), [&] { return (launcher = FindThreadDialog(IDC_INSTALL)) != nullptr; },
                   Click(IDC_UNINSTALL), Answer(no, mb::IDNO_),
                   [&] { return FindThreadDialog(0xFFFF) == nullptr; },
                   [&] {
                       choiceWhenOpen = ctx.MenuChoice;  // still open, unchanged
                       return FindThreadDialog(IDC_INSTALL) == launcher;
                   },
                   Click(IDC_UNINSTALL), Answer(yes, mb::IDYES_)});
    EXPECT_EQ(mb::IDOK_, ui.RunLauncher(ctx));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(2, ctx.MenuChoice);
    EXPECT_EQ(0, choiceWhenOpen);
    for (const Shown* shown : {&no, &yes}) {
        EXPECT_EQ("確認", shown->caption);
        EXPECT_EQ("テスト・ゲームのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", shown->text);
        EXPECT_EQ(launcher, shown->owner);
    }
}

TEST_F(WindowTest, AppMessageBoxShowsTheProgramNameAndReturnsTheAnswer) {
    Shown shown;
    Driver driver({Answer(shown, mb::IDOK_)});
    EXPECT_EQ(mb::IDOK_, ui.AppMessageBox("この操作はまだ使用できません。", mb::OK));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ("win32_tests", shown.caption);
    EXPECT_EQ("この操作はまだ使用できません。", shown.text);
}

TEST_F(WindowTest, DesktopMessageBoxUsesItsCaption) {
    Shown shown;
    Driver driver({Answer(shown, mb::IDNO_)});
    EXPECT_EQ(mb::IDNO_, ui.DesktopMessageBox("続けますか？", "ｲﾝｽﾄｰﾙ", mb::YESNO));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ("ｲﾝｽﾄｰﾙ", shown.caption);
    EXPECT_EQ("続けますか？", shown.text);
}

int g_received = 0;

LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP) ++g_received;
    return ::DefWindowProcW(h, m, w, l);
}

TEST_F(WindowTest, PumpMessagesDispatchesWhatIsQueuedAndReturns) {
    g_received = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PumpTarget";
    ::RegisterClassW(&wc);
    HWND target = ::CreateWindowExW(0, L"PumpTarget", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(nullptr, target);
    ::PostMessageW(target, WM_APP, 0, 0);
    ::PostMessageW(target, WM_APP, 0, 0);
    ui.PumpMessages();
    EXPECT_EQ(2, g_received);
    ui.PumpMessages();  // an empty queue: returns at once
    EXPECT_EQ(2, g_received);
    ::DestroyWindow(target);
}

}  // namespace
}  // namespace setup
