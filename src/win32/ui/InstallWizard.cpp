#include "win32/ui/InstallWizard.h"

#include "resource.h"
#include "win32/os/Win32Text.h"

namespace setup {

namespace {

// OLE for the folder browser, for as long as the object lives; only a
// successful initialisation is undone.
class OleSession {
public:
    OleSession() : result_(::OleInitialize(nullptr)) {}
    ~OleSession() {
        if (SUCCEEDED(result_)) ::OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    HRESULT result_;
};

// The folder browser opens on the folder its data names, when there is one.
int CALLBACK BrowseCallbackProc(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

}  // namespace

bool COpening::OnSetActive() {
    const WelcomePage page = ShowWelcomePage(ctx_, strings_);
    m_strWelcome = page.welcome;
    SetItemText(IDC_WELCOME_TEXT, m_strWelcome);
    PostWizardButtons(page.buttons);
    return true;
}

bool CSelectType::OnSetActive() {
    const TypePage page = ShowTypePage(ctx_, choice_, strings_);
    for (int id : {IDC_TYPE_STANDARD, IDC_TYPE_MINIMUM, IDC_TYPE_FULL}) {
        CheckItem(id, id == page.checked);
    }
    m_strStandardSize = page.standardSize;
    m_strMinimumSize = page.minimumSize;
    m_strFullSize = page.fullSize;
    SetItemText(IDC_TYPE_STANDARD_SIZE, m_strStandardSize);
    SetItemText(IDC_TYPE_MINIMUM_SIZE, m_strMinimumSize);
    SetItemText(IDC_TYPE_FULL_SIZE, m_strFullSize);
    PostWizardButtons(page.buttons);
    return true;
}

bool CSelectType::OnCommand(int id, int notifyCode, HWND control) {
    if (notifyCode == BN_CLICKED && ChooseSetupType(choice_, id)) return true;
    return PropertyPage::OnCommand(id, notifyCode, control);
}

bool CSelectPath::OnSetActive() {
    UpdateSpaceTexts();
    return true;
}

void CSelectPath::UpdateSpaceTexts() {
    const SpaceTexts texts = setup::UpdateSpaceTexts(ctx_, choice_, strings_);
    m_strHeading = texts.heading;
    m_strFreeSpace = texts.freeSpace;
    m_strRequired = texts.required;
    m_strShortfall = texts.shortfall;
    PostWizardButtons(texts.buttons);
    UpdateData();
}

void CSelectPath::UpdateData() {
    SetItemText(IDC_PATH_DIRECTORY, m_strDirectory);
    SetItemText(IDC_PATH_FREE, m_strFreeSpace);
    SetItemText(IDC_PATH_REQUIRED, m_strRequired);
    SetItemText(IDC_PATH_SHORTFALL, m_strShortfall);
    SetItemText(IDC_PATH_HEADING, m_strHeading);
}

LRESULT CSelectPath::OnWizardNext() {
    HWND self = Window();
    const PageAsk ask = [self](const std::string& text, const std::string& caption,
                               unsigned style) {
        return ::MessageBoxW(self, Widen(text).c_str(), Widen(caption).c_str(), style);
    };
    return DestinationWizardNext(folders_, choice_, ask);
}

bool CSelectPath::OnCommand(int id, int notifyCode, HWND control) {
    if (id == IDC_PATH_BROWSE && notifyCode == BN_CLICKED) {
        OnBrowse();
        return true;
    }
    return PropertyPage::OnCommand(id, notifyCode, control);
}

INT_PTR CSelectPath::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC &&
        ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_PATH_SHORTFALL) {
        // The usual colours and brush of a static, with the text in red.
        const LRESULT brush = ::DefWindowProcW(Window(), message, wParam, lParam);
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 0, 0));
        return static_cast<INT_PTR>(brush);
    }
    return PropertyPage::OnMessage(message, wParam, lParam);
}

void CSelectPath::OnBrowse() {
    OleSession ole;
    // A folder the browser's path buffer cannot hold is not offered as the
    // start: cutting it would open the browser somewhere else.
    const std::wstring start = Widen(choice_.installPath);
    const bool startFits = start.size() < MAX_PATH;
    const std::wstring title = L"ｲﾝｽﾄｰﾙするﾌｫﾙﾀﾞを指定してください。";

    BROWSEINFOW info{};
    info.hwndOwner = Sheet();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallbackProc;
    info.lParam = startFits ? reinterpret_cast<LPARAM>(start.c_str()) : 0;
    PIDLIST_ABSOLUTE items = ::SHBrowseForFolderW(&info);
    if (items == nullptr) return;  // cancelled

    std::wstring folder(MAX_PATH, L'\0');
    const bool converted = ::SHGetPathFromIDListW(items, &folder[0]) != FALSE;
    ::CoTaskMemFree(items);
    if (!converted) return;  // not a file-system folder: nothing changes
    folder.resize(folder.find(L'\0'));

    ApplyBrowsedFolder(folders_, Narrow(folder), choice_, m_strDirectory);
    UpdateData();
    UpdateSpaceTexts();
}

bool CFinish::OnSetActive() {
    PostWizardButtons(kReadyPageButtons);
    return true;
}

CInstallSheet::CInstallSheet(const SetupContext& ctx, InstallFolderAccess& folders,
                             WizardChoice& choice, HINSTANCE resources)
    : ctx_(ctx),
      choice_(choice),
      resources_(resources),
      strings_([resources](int id) { return LoadResourceString(resources, id); }),
      welcome_(ctx, strings_),
      type_(ctx, choice, strings_),
      path_(ctx, folders, choice, strings_) {}

int CInstallSheet::DoModal(HWND parent) {
    // What the sheet does as it opens, done before its window exists: the
    // pages read it when they are first shown.
    const std::string title = OpenInstallSheet(ctx_, choice_, path_.m_strDirectory);

    // Every page carries the title too: a wizard shows the page's own title
    // in its caption at every page change.
    HPROPSHEETPAGE pages[] = {
        welcome_.CreatePage(resources_, IDD_WIZARD_WELCOME, title),
        type_.CreatePage(resources_, IDD_WIZARD_TYPE, title),
        path_.CreatePage(resources_, IDD_WIZARD_PATH, title),
        finish_.CreatePage(resources_, IDD_WIZARD_READY, title),
    };
    bool complete = true;
    for (HPROPSHEETPAGE page : pages) complete = complete && page != nullptr;
    if (!complete) {
        for (HPROPSHEETPAGE page : pages) {
            if (page != nullptr) ::DestroyPropertySheetPage(page);
        }
        return mb::IDCANCEL_;
    }

    const std::wstring caption = Widen(title);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_USEHICON | PSH_NOAPPLYNOW | PSH_WIZARD;  // and not PSH_HASHELP
    header.hwndParent = parent;
    header.hInstance = resources_;
    header.hIcon = ::LoadIconW(resources_, MAKEINTRESOURCEW(IDI_SETUP));
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(sizeof(pages) / sizeof(pages[0]));
    header.nStartPage = 0;
    header.phpage = pages;
    // A wizard's PropertySheet gives a positive value after Finish, 0 after
    // Cancel and -1 when it could not run.
    const INT_PTR result = ::PropertySheetW(&header);
    return result > 0 ? kWizardFinish : mb::IDCANCEL_;
}

}  // namespace setup
