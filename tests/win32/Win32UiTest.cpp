// The real Ui on Win32: the application box's name and style, the launcher
// driven through its buttons and read back from the screen, the modeless
// side of the dialog layer, and the message pump. The window tests need a
// display (Xvfb under Wine) and fail where no window can be made.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "fakes/BmpBuilder.h"
#include "install/Preparation.h"
#include "launch/Launch.h"
#include "resource.h"
#include "support/ShownBox.h"
#include "support/TempTree.h"
#include "core/Utf16.h"
#include "win32/ui/Dialog.h"
#include "win32/ui/PumpPace.h"

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

constexpr int kWizardBackButton = 0x3023;
constexpr int kWizardNextButton = 0x3024;
constexpr int kWizardFinishId = 0x3025;

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
            // A wizard's own loop does not watch EndDialog.
            if (HWND sheet = FindThreadDialog(kWizardNextButton)) {
                ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
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

// Waits for the launcher, then does `act` on it.
Driver::Step OnLauncher(std::function<void(HWND)> act) {
    return [act] {
        HWND launcher = FindThreadDialog(IDC_INSTALL);
        if (launcher != nullptr) act(launcher);
        return launcher != nullptr;
    };
}

Driver::Step Click(int controlId) {
    return OnLauncher(
        [controlId](HWND l) { ::PostMessageW(::GetDlgItem(l, controlId), BM_CLICK, 0, 0); });
}

// Reads the message box on screen (caption, text, owner) into `shown` and
// answers it.
Driver::Step Answer(ShownBox& shown, int button) {
    return [&shown, button] {
        HWND box = FindThreadDialog(0xFFFF);
        if (box == nullptr) return false;
        shown.caption = TextOf(box);
        shown.text = ItemText(box, 0xFFFF);
        shown.owner = reinterpret_cast<uintptr_t>(::GetWindow(box, GW_OWNER));
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return true;
    };
}

using WindowTest = RealWindowTest<>;

// --- a medium with a title bitmap, and the install state --------------------

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A 24-bit BMP file of the test picture, rows bottom-up unless topDown: red top
// left, green top right, blue bottom half, so a picture drawn upside down,
// mirrored or at the wrong size shows.
std::string PictureBmp(int width, int height, bool topDown) {
    BmpLayout layout;
    layout.width = width;
    layout.height = topDown ? -height : height;
    std::string bmp = MakeBmp(layout);
    const size_t stride = static_cast<size_t>(BmpStride(layout));
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = y >= height / 2 ? kBlue : x < width / 2 ? kRed : kGreen;
            char* pixel = &bmp[14 + layout.headerSize + row * stride + x * 3];
            pixel[0] = static_cast<char>(GetBValue(c));
            pixel[1] = static_cast<char>(GetGValue(c));
            pixel[2] = static_cast<char>(GetRValue(c));
        }
    }
    return bmp;
}

// The width of `window`'s big or small icon; 0 when it has none.
int IconWidth(HWND window, WPARAM which) {
    const auto icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, which, 0));
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) return 0;
    BITMAP mask{};
    ::GetObjectW(info.hbmMask, sizeof(mask), &mask);
    if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return mask.bmWidth;
}

constexpr char kProductKey[] = "SOFTWARE\\SetupWin32Test\\Launcher";

class LauncherTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (HasFatalFailure()) return;
        ctx.GAME_NAME = "テスト・ゲーム";
        ctx.TITLE_BMP = "title.bmp";
        ctx.REG_ROOT_KEY_NAME = "SetupWin32Test\\Launcher";
        ForgetInstall();
        ASSERT_NO_FATAL_FAILURE(WriteTitle(PictureBmp(40, 30, false)));
    }

    void TearDown() override { ForgetInstall(); }

    void WriteTitle(const std::string& bytes) { medium.Put("title.bmp", bytes); }

    // The product key's INSTALL value, written through the real Os as an
    // installation writes it.
    void MarkInstalled(const std::string& folder) {
        RegKey key = 0;
        uint32_t disposition = 0;
        ASSERT_EQ(0, os.RegCreateKeyEx(HKEY_CURRENT_USER_, kProductKey, win::KEY_WRITE_, key,
                                       disposition));
        const std::vector<uint8_t> value = Utf16Bytes(folder, true);
        const long set = os.RegSetValueEx(key, "INSTALL", win::REG_SZ_, value.data(),
                                          static_cast<uint32_t>(value.size()));
        os.RegCloseKey(key);
        ASSERT_EQ(0, set);
    }

    void ForgetInstall() {
        os.RegDeleteKey(HKEY_CURRENT_USER_, kProductKey);
        os.RegDeleteKey(HKEY_CURRENT_USER_, "SOFTWARE\\SetupWin32Test");
    }

    // Records, once the launcher is up, its window, caption and which
    // buttons are enabled; after the first time only while it is still
    // the same window.
    Driver::Step Observe() {
        return [this] {
            HWND h = FindThreadDialog(IDC_INSTALL);
            if (h == nullptr || (launcher != nullptr && h != launcher)) return false;
            launcher = h;
            caption = TextOf(h);
            for (int i = 0; i < 4; ++i) {
                enabled[i] = ::IsWindowEnabled(::GetDlgItem(h, IDC_INSTALL + i)) != FALSE;
            }
            return true;
        };
    }

    // RunLauncher's choice while the driver takes `steps`, all of which must
    // run; the folder it found goes to `installFolder`.
    int Run(std::vector<Driver::Step> steps) {
        launcher = nullptr;
        Driver driver(std::move(steps));
        SetupEnv env{ctx, os, ui};
        const LauncherOutcome outcome = ui.RunLauncher(
            ctx, [&env](std::string& folder) { return ReadInstallFolder(env, folder); });
        EXPECT_TRUE(driver.Finished());
        installFolder = outcome.installFolder;
        return outcome.choice;
    }

    SetupContext ctx;
    HWND launcher = nullptr;
    std::string caption;
    std::string installFolder;
    std::array<bool, 4> enabled{};  // Install, Run, Uninstall, Exit
    // The medium: a folder of its own, made the current one, with a title bitmap in it.
    TempTree medium{"setup_win32_test_" + std::to_string(::GetCurrentProcessId())};
    CurrentFolder inMedium{medium.WidePath()};
};

// Every way out of the launcher and the choice it hands back. Escape leaves
// it open. The buttons and the install folder follow the install
// state.
TEST_F(LauncherTest, WaysOutAndButtonsByInstallState) {
    const Driver::Step closeBox =
        OnLauncher([](HWND l) { ::PostMessageW(l, WM_SYSCOMMAND, SC_CLOSE, 0); });
    const Driver::Step escape = OnLauncher([](HWND l) {
        ::SetFocus(::GetDlgItem(l, IDC_RUN));
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(::GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
    });
    const struct {
        const char* name;
        std::vector<Driver::Step> steps;
        const char* installedAt;  // null: not installed
        int choice;
    } cases[] = {
        {"install", {Observe(), Click(IDC_INSTALL)}, nullptr, 1},
        {"run", {Observe(), Click(IDC_RUN)}, "C:\\ゲーム", 3},
        {"exit", {Observe(), Click(IDC_EXIT)}, nullptr, 0},
        {"exit, installed", {Observe(), Click(IDC_EXIT)}, "C:\\Game", 0},
        {"close box", {Observe(), closeBox}, nullptr, 0},
        {"escape", {Observe(), escape, Observe(), Click(IDC_INSTALL)}, "C:\\Game", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool installed = c.installedAt != nullptr;
        ForgetInstall();
        if (installed) MarkInstalled(c.installedAt);
        EXPECT_EQ(c.choice, Run(c.steps));
        EXPECT_EQ("テスト・ゲーム", caption);
        EXPECT_EQ((std::array<bool, 4>{!installed, installed, installed, true}), enabled);
        EXPECT_EQ(installed ? c.installedAt : "", installFolder);
    }
}

TEST_F(LauncherTest, UninstallAsksFirstAndNoKeepsTheLauncherOpen) {
    MarkInstalled("C:\\Game");
    ShownBox no, yes;
    // After No the same launcher is still open, its choice unchanged.
    EXPECT_EQ(2, Run({Observe(), Click(IDC_UNINSTALL), Answer(no, mb::IDNO_),
                      [] { return FindThreadDialog(0xFFFF) == nullptr; }, Observe(),
                      Click(IDC_UNINSTALL), Answer(yes, mb::IDYES_)}));
    for (const ShownBox* shown : {&no, &yes}) {
        EXPECT_EQ("確認", shown->caption);
        EXPECT_EQ("テスト・ゲームのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", shown->text);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(launcher), shown->owner);
    }
}

// The application box has the program's name as its caption, the desktop box
// its own; both return the answer.
TEST_F(WindowTest, MessageBoxesShowTheirCaptionAndReturnTheAnswer) {
    ShownBox app, desktop;
    Driver driver({Answer(app, mb::IDOK_), Answer(desktop, mb::IDNO_)});
    EXPECT_EQ(mb::IDOK_, ui.AppMessageBox("この操作はまだ使用できません。", mb::OK));
    EXPECT_EQ(mb::IDNO_, ui.DesktopMessageBox("続けますか？", "ｲﾝｽﾄｰﾙ", mb::YESNO));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ("win32_tests", app.caption);
    EXPECT_EQ("この操作はまだ使用できません。", app.text);
    EXPECT_EQ("ｲﾝｽﾄｰﾙ", desktop.caption);
    EXPECT_EQ("続けますか？", desktop.text);
}

// --- what the launcher shows ------------------------------------------------

// Checks the open launcher after it has painted: the title bitmap, where it
// stands, its icons.
TEST_F(LauncherTest, OpensCentredAndDrawsTheTitleBitmapAtItsSize) {
    constexpr int w = 40, h = 30;
    // Inside near each corner, then just right of, below and beyond it.
    const POINT points[] = {{0, 0},     {w - 1, 0}, {0, h - 1}, {w - 1, h - 1},
                            {w / 2, 2}, {w, 0},     {0, h},     {w, h}};
    const COLORREF expected[] = {kRed, kGreen, kBlue, kBlue, kGreen};
    HICON icon = ::LoadIconW(ProgramResources(), MAKEINTRESOURCEW(IDI_SETUP));
    const Driver::Step look = OnLauncher([&](HWND launcher) {
        ::UpdateWindow(launcher);
        HDC dc = ::GetDC(launcher);
        for (size_t i = 0; i < std::size(points); ++i) {
            const POINT& p = points[i];
            const COLORREF got = ::GetPixel(dc, p.x, p.y);
            if (i < std::size(expected)) {
                EXPECT_EQ(expected[i], got)
                    << "at " << p.x << "," << p.y << std::hex << " got 0x" << got;
            } else {
                for (COLORREF c : {kRed, kGreen, kBlue}) {
                    EXPECT_NE(c, got) << "bitmap colour outside it at " << p.x << "," << p.y;
                }
            }
        }
        ::ReleaseDC(launcher, dc);

        ExpectCentred(launcher, WorkArea(), 1);

        EXPECT_EQ(::GetSystemMetrics(SM_CXICON), IconWidth(launcher, ICON_BIG));
        EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON), IconWidth(launcher, ICON_SMALL));
        EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageW(launcher, WM_QUERYDRAGICON, 0, 0)));
    });
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        ASSERT_NO_FATAL_FAILURE(WriteTitle(PictureBmp(w, h, topDown)));
        EXPECT_EQ(0, Run({Observe(), look, Click(IDC_EXIT)}));
        EXPECT_EQ("テスト・ゲーム", caption);
    }
}

// The picture's area is the client area left of the buttons, at 100 % with
// the template's font: 289 x 226 pixels here (the guide gives the figure).
// A larger picture keeps the window's size: it is cut at the bottom and the
// buttons stand over it.
TEST_F(LauncherTest, ALargerBitmapKeepsTheWindowAndRunsUnderTheButtons) {
    RECT client{}, button{};
    COLORREF underButton = 0, pastBottom = 0;
    const Driver::Step look = OnLauncher([&](HWND launcher) {
        ::UpdateWindow(launcher);
        ::GetClientRect(launcher, &client);
        HWND install = ::GetDlgItem(launcher, IDC_INSTALL);
        ::GetWindowRect(install, &button);
        ::MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&button), 2);
        ::UpdateWindow(install);
        HDC dc = ::GetDC(launcher);
        underButton = ::GetPixel(dc, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
        pastBottom = ::GetPixel(dc, 5, client.bottom - 1);
        ::ReleaseDC(launcher, dc);
    });
    ASSERT_NO_FATAL_FAILURE(WriteTitle(PictureBmp(600, 500, false)));
    EXPECT_EQ(0, Run({Observe(), look, Click(IDC_EXIT)}));
    std::printf("launcher client %ld x %ld, buttons from x = %ld\n", client.right, client.bottom,
                button.left);
    EXPECT_EQ(401, client.right);
    EXPECT_EQ(226, client.bottom);
    EXPECT_EQ(289, button.left);
    EXPECT_NE(kRed, underButton);   // the button, not the picture
    EXPECT_EQ(kRed, pastBottom);    // the picture's top half reaches the bottom: cut there
}

// --- the display's scale ----------------------------------------------------
// tests/win32/scale.sh runs the "AtThisScale" tests at 96, 144 and 192 DPI,
// naming the DPI in SETUP_EXPECT_DPI; the plain run checks 96.

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

::testing::AssertionResult AtTheExpectedScale() {
    const char* expected = std::getenv("SETUP_EXPECT_DPI");
    const int dpi = ScreenDpi();
    if (expected != nullptr && std::atoi(expected) != dpi) {
        return ::testing::AssertionFailure() << "the display is at " << dpi << " DPI, not " << expected;
    }
    std::printf("display at %d DPI\n", dpi);
    return ::testing::AssertionSuccess();
}

// The texts of `window`'s controls that need more room than their control
// gives, measured as the controls draw them: a static's wrapped in its
// width, a push button's on one line.
std::vector<std::string> CutTexts(HWND window) {
    std::vector<std::string> cut;
    for (HWND c = ::GetWindow(window, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t kind[32]{};
        ::GetClassNameW(c, kind, 32);
        const LONG_PTR style = ::GetWindowLongPtrW(c, GWL_STYLE);
        const bool isStatic = _wcsicmp(kind, L"Static") == 0 &&
                              (style & SS_TYPEMASK) <= SS_RIGHT;  // SS_LEFT, SS_CENTER, SS_RIGHT
        const bool isButton = _wcsicmp(kind, L"Button") == 0 &&
                              (style & BS_TYPEMASK) == BS_PUSHBUTTON;
        const std::wstring text = Widen(TextOf(c));
        if ((!isStatic && !isButton) || (style & WS_VISIBLE) == 0 || text.empty()) continue;
        RECT room{};
        ::GetClientRect(c, &room);
        if (isButton) ::InflateRect(&room, -2 * ::GetSystemMetrics(SM_CXEDGE), 0);
        RECT need{0, 0, room.right - room.left, 0};
        HDC dc = ::GetDC(c);
        const HGDIOBJ before =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(c, WM_GETFONT, 0, 0)));
        ::DrawTextW(dc, text.c_str(), -1, &need,
                    DT_CALCRECT | DT_EXPANDTABS | (isButton ? DT_SINGLELINE : DT_WORDBREAK));
        ::SelectObject(dc, before);
        ::ReleaseDC(c, dc);
        if (need.right > room.right - room.left || need.bottom > room.bottom - room.top) {
            cut.push_back(TextOf(c) + " needs " + std::to_string(need.right) + "x" +
                          std::to_string(need.bottom) + ", has " +
                          std::to_string(room.right - room.left) + "x" +
                          std::to_string(room.bottom - room.top));
        }
    }
    return cut;
}

// Pairs of `window`'s visible controls that overlap, a group box and what
// stands in it aside: a control grown for its text must not cover another.
std::vector<std::string> Overlaps(HWND window) {
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND c = ::GetWindow(window, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
        // Controls that touch in the template may share a pixel at some
        // scales: each of a control's place and size is rounded on its own.
        RECT r = WindowRect(c);
        ::InflateRect(&r, -1, -1);
        if (::IsWindowVisible(c)) shown.emplace_back(c, r);
    }
    const auto isBox = [](HWND c) {
        wchar_t kind[16]{};
        ::GetClassNameW(c, kind, 16);
        return _wcsicmp(kind, L"Button") == 0 &&
               (::GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    };
    std::vector<std::string> found;
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT both{};
            if (!isBox(shown[i].first) && !isBox(shown[j].first) &&
                ::IntersectRect(&both, &shown[i].second, &shown[j].second)) {
                found.push_back(TextOf(shown[i].first) + " / " + TextOf(shown[j].first));
            }
        }
    }
    return found;
}

// The title bitmap is drawn at the display's scale, from the top left.
TEST_F(LauncherTest, TheTitleBitmapScalesAtThisScale) {
    ASSERT_TRUE(AtTheExpectedScale());
    const int dpi = ScreenDpi();
    const int w = ::MulDiv(40, dpi, 96), h = ::MulDiv(30, dpi, 96);
    // Inside each colour, then past the right and the bottom of the drawn picture.
    const POINT points[] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 2, 3 * h / 4},
                            {w + 2, h / 4}, {w / 4, h + 2}};
    const COLORREF expected[] = {kRed, kGreen, kBlue};
    std::vector<std::string> cut;
    const Driver::Step look = OnLauncher([&](HWND launcher) {
        ::UpdateWindow(launcher);
        HDC dc = ::GetDC(launcher);
        for (size_t i = 0; i < std::size(points); ++i) {
            const COLORREF got = ::GetPixel(dc, points[i].x, points[i].y);
            if (i < std::size(expected)) {
                EXPECT_EQ(expected[i], got) << "at " << points[i].x << "," << points[i].y;
            } else {
                for (COLORREF c : {kRed, kGreen, kBlue}) EXPECT_NE(c, got) << "at " << points[i].x;
            }
        }
        ::ReleaseDC(launcher, dc);
        cut = CutTexts(launcher);
    });
    EXPECT_EQ(0, Run({Observe(), look, Click(IDC_EXIT)}));
    EXPECT_EQ(std::vector<std::string>(), cut);
}

// A move to a monitor at twice the scale: the window, its buttons, their
// font, the picture and the icons all follow.
TEST_F(LauncherTest, FollowsAChangeOfScale) {
    const int twice = 2 * ScreenDpi();
    RECT client{}, button{}, clientAfter{}, buttonAfter{};
    LOGFONTW font{}, fontAfter{};
    const auto measure = [](HWND launcher, RECT& c, RECT& b, LOGFONTW& f) {
        ::GetClientRect(launcher, &c);
        HWND install = ::GetDlgItem(launcher, IDC_INSTALL);
        ::GetWindowRect(install, &b);
        ::MapWindowPoints(nullptr, launcher, reinterpret_cast<POINT*>(&b), 2);
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(install, WM_GETFONT, 0, 0)), sizeof(f), &f);
    };
    COLORREF red = 0, green = 0;
    int bigIcon = 0;
    const Driver::Step move = OnLauncher([&](HWND launcher) {
        measure(launcher, client, button, font);
        RECT suggested = WindowRect(launcher);
        ::SendMessageW(launcher, WM_DPICHANGED, MAKEWPARAM(twice, twice),
                       reinterpret_cast<LPARAM>(&suggested));
        measure(launcher, clientAfter, buttonAfter, fontAfter);
        ::UpdateWindow(launcher);
        HDC dc = ::GetDC(launcher);
        red = ::GetPixel(dc, ::MulDiv(20, twice, 96) / 2, ::MulDiv(15, twice, 96) / 2);
        green = ::GetPixel(dc, ::MulDiv(60, twice, 96) / 2, ::MulDiv(15, twice, 96) / 2);
        ::ReleaseDC(launcher, dc);
        bigIcon = IconWidth(launcher, ICON_BIG);
    });
    EXPECT_EQ(0, Run({Observe(), move, Click(IDC_EXIT)}));
    EXPECT_NEAR(2 * client.right, clientAfter.right, 2);
    EXPECT_NEAR(2 * client.bottom, clientAfter.bottom, 2);
    EXPECT_NEAR(2 * button.left, buttonAfter.left, 2);
    EXPECT_NEAR(2 * (button.bottom - button.top), buttonAfter.bottom - buttonAfter.top, 2);
    EXPECT_NEAR(2 * font.lfHeight, fontAfter.lfHeight, 1);
    EXPECT_EQ(kRed, red);
    EXPECT_EQ(kGreen, green);
    EXPECT_EQ(2 * ::GetSystemMetrics(SM_CXICON), bigIcon);
}

TEST_F(LauncherTest, ABitmapThatCannotBeLoadedClosesItAtOnce) {
    const struct {
        const char* titleBmp;
        std::string content;
        const char* message;
    } cases[] = {
        {"title.bmp", "XX not a bitmap at all, but long enough for its headers to be read ...",
         "読み込んだファイルの形式が正しくありません。"},
        {"title.bmp", PictureBmp(40, 30, false).substr(0, 80),
         "読み込んだファイルの形式が正しくありません。"},
        {"missing.bmp", "", "タイトル画像ファイルがありません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ctx.TITLE_BMP = c.titleBmp;
        ASSERT_NO_FATAL_FAILURE(WriteTitle(c.content));
        ShownBox shown;
        bool launcherVisible = true;
        const Driver::Step look = [&] {
            launcherVisible = FindThreadDialog(IDC_INSTALL) != nullptr;
            return true;
        };
        EXPECT_EQ(0, Run({look, Answer(shown, mb::IDOK_)}));
        EXPECT_EQ(c.message, shown.text);
        EXPECT_EQ("win32_tests", shown.caption);
        EXPECT_FALSE(launcherVisible);
    }
}

// --- the dialog layer, modeless ----------------------------------------------

class ProbeDialog final : public Dialog {
public:
    int initialised = 0;
    int cancelled = 0;
    int destroyed = 0;

protected:
    BOOL OnInitDialog() override {
        ++initialised;
        return TRUE;
    }
    bool OnCommand(int id, int notifyCode, HWND control) override {
        if (id == 4242) throw std::runtime_error("must not reach the window manager");
        return Dialog::OnCommand(id, notifyCode, control);
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY) ++destroyed;
        return Dialog::OnMessage(message, wParam, lParam);
    }
    void OnCancel() override {
        ++cancelled;
        Dialog::OnCancel();
    }
};

TEST_F(WindowTest, ModelessDialogLivesUntilCancelledThroughThePump) {
    ProbeDialog dialog;
    HWND hwnd = dialog.Create(ProgramResources(), IDD_LAUNCHER, nullptr);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, dialog.Window());
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(1, dialog.initialised);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(nullptr, dialog.Create(ProgramResources(), IDD_LAUNCHER, nullptr));

    // Control helpers, in UTF-8 both ways.
    dialog.SetItemText(IDC_RUN, "ｲﾝｽﾄｰﾙ先：C:\\ゲーム");
    EXPECT_EQ("ｲﾝｽﾄｰﾙ先：C:\\ゲーム", dialog.ItemText(IDC_RUN));
    dialog.SetCaption("準備中");
    EXPECT_EQ("準備中", dialog.Caption());
    dialog.EnableItem(IDC_INSTALL, false);
    EXPECT_FALSE(::IsWindowEnabled(dialog.Item(IDC_INSTALL)));
    dialog.EnableItem(IDC_INSTALL, true);
    EXPECT_TRUE(::IsWindowEnabled(dialog.Item(IDC_INSTALL)));
    EXPECT_EQ("", dialog.ItemText(9999));

    // A throwing handler stops at the trampoline; the dialog goes on.
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_COMMAND, 4242, 0));
    EXPECT_TRUE(::IsWindow(hwnd));

    // Escape reaches the dialog only through IsDialogMessage in the pump, and
    // a modeless Cancel destroys the window.
    ::SetFocus(dialog.Item(IDC_EXIT));
    ::PostMessageW(dialog.Item(IDC_EXIT), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PumpUntil(ui, 50, [hwnd] { return !::IsWindow(hwnd); });
    EXPECT_EQ(1, dialog.cancelled);
    EXPECT_EQ(1, dialog.destroyed);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(nullptr, dialog.Window());
}

TEST_F(WindowTest, ModelessDialogEndsWithItsObject) {
    HWND hwnd = nullptr;
    {
        ProbeDialog dialog;
        hwnd = dialog.Create(ProgramResources(), IDD_LAUNCHER, nullptr);
        ASSERT_NE(nullptr, hwnd);
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    // Its messages find no object now, and the pump copes with that.
    ui.PumpMessages();
}

TEST_F(WindowTest, CenterWindowOverItsOwnerOrTheWorkArea) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 80, 400, 300,
                                   nullptr, nullptr, nullptr, nullptr);
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, owner, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    ASSERT_NE(nullptr, window);
    CenterWindow(window, owner);
    EXPECT_EQ(200, WindowRect(window).left);
    EXPECT_EQ(180, WindowRect(window).top);

    // An owner hidden (or none) leaves the work area to centre on.
    ::ShowWindow(owner, SW_HIDE);
    CenterWindow(window, owner);
    const RECT area = WorkArea();
    ExpectCentred(window, area, 1);

    // An owner near the edge: the window stays on the work area.
    ::SetWindowPos(owner, nullptr, area.left - 300, area.top - 250, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    CenterWindow(window, owner);
    EXPECT_EQ(area.left, WindowRect(window).left);
    EXPECT_EQ(area.top, WindowRect(window).top);
    ::DestroyWindow(window);
    ::DestroyWindow(owner);
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
    wc.hInstance = ProgramResources();
    wc.lpszClassName = L"PumpTarget";
    ::RegisterClassW(&wc);
    HWND target = ::CreateWindowExW(0, L"PumpTarget", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(nullptr, target);
    ::PostMessageW(target, WM_APP, 0, 0);
    ::PostMessageW(target, WM_APP, 0, 0);
    // The pump drains at most every 15 ms; a pump due now drains it all.
    PumpSoon();
    ui.PumpMessages();
    EXPECT_EQ(2, g_received);
    PumpSoon();
    ui.PumpMessages();  // an empty queue: returns at once
    EXPECT_EQ(2, g_received);
    ::DestroyWindow(target);
}

// --- the install wizard -----------------------------------------------------

// What the sheet shows on one page: its buttons and its controls in
// creation order with their styles.
using Buttons = std::array<bool, 3>;  // which work: back, next, finish
struct WizardScreen {
    std::string caption;
    Buttons buttons{};
    std::vector<int> ids;
    std::vector<LONG_PTR> styles;
    std::map<int, std::string> texts;  // by control id
};

// Waits for the page holding `control` and reads it (the buttons it posted
// have arrived by then: posted messages come before the timer's).
Driver::Step ReadPage(int control, WizardScreen& screen) {
    return [control, &screen] {
        HWND sheet = FindThreadDialog(kWizardNextButton);
        HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page == nullptr || ::GetDlgItem(page, control) == nullptr) return false;
        screen.caption = TextOf(sheet);
        HWND finish = ::GetDlgItem(sheet, kWizardFinishId);
        screen.buttons = {::IsWindowEnabled(::GetDlgItem(sheet, kWizardBackButton)) != FALSE,
                          ::IsWindowEnabled(::GetDlgItem(sheet, kWizardNextButton)) != FALSE,
                          ::IsWindowVisible(finish) && ::IsWindowEnabled(finish)};
        for (HWND c = ::GetWindow(page, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
            screen.ids.push_back(::GetDlgCtrlID(c));
            screen.styles.push_back(::GetWindowLongPtrW(c, GWL_STYLE));
            screen.texts[::GetDlgCtrlID(c)] = TextOf(c);
        }
        return true;
    };
}

Driver::Step PressWizard(int button) {
    return [button] {
        HWND sheet = FindThreadDialog(kWizardNextButton);
        return sheet != nullptr && ::PostMessageW(sheet, PSM_PRESSBUTTON, button, 0);
    };
}

TEST_F(WindowTest, WizardPagesAsCreatedAndTheirButtons) {
    TempTree programs("setup_wizard_test_" + std::to_string(::GetCurrentProcessId()));
    programs.Folder("ゲーム");
    SetupContext ctx;
    ctx.BRAND_NAME = "テスト社";
    ctx.GAME_NAME = "テスト";
    ctx.ProgramDir = programs.Path();
    ctx.INSTALL_DIR = "ゲーム";
    ctx.RequiredBytes[1] = 2048;
    ctx.FreeBytes = 1 << 20;
    WizardFolders folders(os);
    WizardChoice choice;
    WizardScreen welcome, type, path, ready;
    Driver driver({ReadPage(IDC_WELCOME_TEXT, welcome), PressWizard(PSBTN_NEXT),
                   ReadPage(IDC_TYPE_PROMPT, type), PressWizard(PSBTN_NEXT),
                   ReadPage(IDC_PATH_BROWSE, path), PressWizard(PSBTN_NEXT), ReadPage(-1, ready),
                   PressWizard(PSBTN_FINISH)});
    EXPECT_EQ(mb::kWizardFinish, ui.RunInstallWizard(ctx, folders, choice));
    ASSERT_TRUE(driver.Finished());
    EXPECT_EQ(programs.Path("ゲーム"), choice.installPath);
    EXPECT_EQ(kSetupStandard, choice.setupType);

    // The program's own strings, with the product's figures in them.
    EXPECT_EQ("テスト ｾｯﾄｱｯﾌﾟﾌﾟﾛｸﾞﾗﾑへようこそ。\nこのﾌﾟﾛｸﾞﾗﾑはｺﾝﾋﾟｭｰﾀに テスト をｲﾝｽﾄｰﾙします。",
              welcome.texts[IDC_WELCOME_TEXT]);
    EXPECT_EQ("約 2 KB の空き容量が必要です。", type.texts[IDC_TYPE_STANDARD_SIZE]);
    // The types' descriptions are the program's, whatever the script installs.
    EXPECT_EQ("ｾｰﾌﾞﾌｧｲﾙや一部の画像、音楽などをｺﾋﾟｰします。", type.texts[IDC_TYPE_STANDARD_NOTE]);
    EXPECT_EQ("ｾｰﾌﾞﾌｧｲﾙのみをｺﾋﾟｰします。", type.texts[IDC_TYPE_MINIMUM_NOTE]);
    EXPECT_EQ("全てのﾌｧｲﾙをｺﾋﾟｰします。", type.texts[IDC_TYPE_FULL_NOTE]);
    EXPECT_EQ("ｾｯﾄｱｯﾌﾟは次のﾌｫﾙﾀﾞに テスト をｲﾝｽﾄｰﾙします。", path.texts[IDC_PATH_HEADING]);
    EXPECT_EQ("約 1 MB の空き容量があります。", path.texts[IDC_PATH_FREE]);
    EXPECT_EQ("約 2 KB がｲﾝｽﾄｰﾙには必要です。", path.texts[IDC_PATH_REQUIRED]);
    // The title on every page; the buttons each page posted.
    for (const WizardScreen* page : {&welcome, &type, &path, &ready}) {
        EXPECT_EQ("テスト社", page->caption);
    }
    EXPECT_EQ((Buttons{false, true, false}), welcome.buttons);
    EXPECT_EQ((Buttons{true, true, false}), type.buttons);
    EXPECT_EQ((Buttons{true, true, false}), path.buttons);
    EXPECT_EQ((Buttons{true, false, true}), ready.buttons);
    // The radio buttons first, one group without tab stops; 1021 last.
    const std::vector<int> order = {1010, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021};
    ASSERT_EQ(order, type.ids);
    for (size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]);
        EXPECT_EQ(i == 0 || i == 3, (type.styles[i] & WS_GROUP) != 0);
        // The button control gives the checked radio button the tab stop.
        EXPECT_EQ(i == 0, (type.styles[i] & WS_TABSTOP) != 0);
        EXPECT_EQ(i < 3, (type.styles[i] & BS_TYPEMASK) == BS_AUTORADIOBUTTON);
    }
    // The ready page's group box is never shown.
    ASSERT_EQ(4u, ready.styles.size());
    EXPECT_EQ(BS_GROUPBOX, ready.styles[3] & BS_TYPEMASK);
    EXPECT_EQ(0, ready.styles[3] & WS_VISIBLE);
}

// Every text of every wizard page and of the progress and preparing windows
// fits its control, with the demo's product and large figures.
TEST_F(WindowTest, EveryTextFitsAtThisScale) {
    ASSERT_TRUE(AtTheExpectedScale());
    TempTree programs("setup_scale_test_" + std::to_string(::GetCurrentProcessId()));
    programs.Folder("ﾃﾞﾓｿﾌﾄ");
    SetupContext ctx;
    ctx.BRAND_NAME = "ﾃﾞﾓｿﾌﾄ";
    ctx.GAME_NAME = "星の旅路 デモ";
    ctx.ProgramDir = programs.Path();
    ctx.INSTALL_DIR = "ﾃﾞﾓｿﾌﾄ";
    ctx.RequiredBytes[0] = int64_t{812} << 20;
    ctx.RequiredBytes[1] = int64_t{99250} << 20;
    ctx.RequiredBytes[2] = int64_t{123456} << 20;
    ctx.FreeBytes = int64_t{76250} << 20;  // too little for the standard type: all three lines
    WizardFolders folders(os);
    WizardChoice choice;
    std::map<int, std::vector<std::string>> cut;  // by the page's place in the wizard
    const auto measure = [&cut](int index) -> Driver::Step {
        return [&cut, index] {
            HWND sheet = FindThreadDialog(kWizardNextButton);
            HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            if (page == nullptr || ::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0) != index) {
                return false;
            }
            cut[index] = CutTexts(page);
            for (const std::string& pair : Overlaps(page)) cut[index].push_back("overlap: " + pair);
            return true;
        };
    };
    // The destination page with all three lines; then the minimum type, which
    // fits, on to the ready page.
    const Driver::Step minimum = [] {
        HWND sheet = FindThreadDialog(kWizardNextButton);
        HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        HWND radio = page != nullptr ? ::GetDlgItem(page, IDC_TYPE_MINIMUM) : nullptr;
        return radio != nullptr && ::PostMessageW(radio, BM_CLICK, 0, 0);
    };
    Driver driver({measure(0), PressWizard(PSBTN_NEXT), measure(1), PressWizard(PSBTN_NEXT),
                   measure(2), PressWizard(PSBTN_BACK), minimum, PressWizard(PSBTN_NEXT),
                   PressWizard(PSBTN_NEXT), measure(3), PressWizard(PSBTN_CANCEL)});
    ui.RunInstallWizard(ctx, folders, choice);
    ASSERT_TRUE(driver.Finished());
    ASSERT_EQ(4u, cut.size());
    for (const auto& page : cut) EXPECT_EQ(std::vector<std::string>(), page.second) << page.first;

    auto progress = ui.NewProgressWindow(IDS_INSTALLING);
    ASSERT_EQ(1, progress->Create());
    progress->Show();
    progress->SetRange(0, 10);
    progress->SetPos(10);  // "100 %", the widest
    HWND progressWindow = FindThreadDialog(IDC_PROGRESS_PERCENT);
    EXPECT_EQ(std::vector<std::string>(), CutTexts(progressWindow));
    progress->DestroyWindow();
    auto preparing = ui.NewPreparingWindow();
    ASSERT_EQ(1, preparing->Create());
    preparing->Show();
    HWND preparingWindow = FindThreadDialog(-1);  // its one control has no id
    ASSERT_NE(nullptr, preparingWindow);
    EXPECT_EQ(std::vector<std::string>(), CutTexts(preparingWindow));
    preparing->DestroyWindow();
}

// A wizard moved to a monitor at twice the scale on its first page: the
// sheet and that page follow, and a page made after the move opens at the
// new scale, in the same place, with its texts fitting.
TEST_F(WindowTest, TheWizardFollowsAChangeOfScale) {
    SetupContext ctx;
    ctx.GAME_NAME = "星の旅路 デモ";
    ctx.ProgramDir = "C:\\";
    ctx.INSTALL_DIR = "ﾃﾞﾓｿﾌﾄ";
    WizardFolders folders(os);
    WizardChoice choice;
    const auto currentPage = [] {
        HWND sheet = FindThreadDialog(kWizardNextButton);
        return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    };
    RECT sheetBefore{}, sheetAfter{}, welcome{}, type{};
    LOGFONTW fontBefore{}, fontAfter{};
    std::vector<std::string> cut{"not measured"};
    const auto fontOf = [](HWND w, LOGFONTW& f) {
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(f), &f);
    };
    const Driver::Step move = [&] {
        HWND page = currentPage();
        if (page == nullptr || ::GetDlgItem(page, IDC_WELCOME_TEXT) == nullptr) return false;
        HWND sheet = ::GetParent(page);
        ::GetClientRect(sheet, &sheetBefore);
        fontOf(::GetDlgItem(page, IDC_WELCOME_TEXT), fontBefore);
        RECT suggested = WindowRect(sheet);
        const int twice = 2 * ScreenDpi();
        ::SendMessageW(sheet, WM_DPICHANGED, MAKEWPARAM(twice, twice),
                       reinterpret_cast<LPARAM>(&suggested));
        ::GetClientRect(sheet, &sheetAfter);
        welcome = WindowRect(page);
        return true;
    };
    const Driver::Step look = [&] {
        HWND page = currentPage();
        if (page == nullptr || ::GetDlgItem(page, IDC_TYPE_PROMPT) == nullptr) return false;
        type = WindowRect(page);
        fontOf(::GetDlgItem(page, IDC_TYPE_PROMPT), fontAfter);
        cut = CutTexts(page);
        return true;
    };
    Driver driver({move, PressWizard(PSBTN_NEXT), look, PressWizard(PSBTN_CANCEL)});
    ui.RunInstallWizard(ctx, folders, choice);
    ASSERT_TRUE(driver.Finished());
    EXPECT_NEAR(2 * sheetBefore.right, sheetAfter.right, 2);
    EXPECT_NEAR(2 * sheetBefore.bottom, sheetAfter.bottom, 2);
    EXPECT_EQ(welcome.left, type.left);
    EXPECT_EQ(welcome.top, type.top);
    EXPECT_NEAR(welcome.right - welcome.left, type.right - type.left, 2);
    EXPECT_NEAR(2 * fontBefore.lfHeight, fontAfter.lfHeight, 1);
    EXPECT_EQ(std::vector<std::string>(), cut);
}

}  // namespace
}  // namespace setup
